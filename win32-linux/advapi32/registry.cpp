// win32-linux/advapi32/registry.cpp
//
// The advapi32 registry calls over the store of registry_store.h. Each call is one
// transaction, so several processes may read and write the registry at once without losing a
// write. A call that changes the verbs under HKEY_CLASSES_ROOT\*\shell brings the file
// managers' menus up to date when it returns.

#include <windows.h>

#include "advapi32/registry_handles.h"
#include "advapi32/registry_store.h"
#include "shell32/file_manager_menus.h"

#include <strings.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

using namespace standin::registry;

namespace {

// The Win32 limits on names, in characters.
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;

// Splits a subkey path at its backslashes, as Windows and Wine do: trailing backslashes name
// the key itself ("A\shell\" is "A\shell"), backslashes in a row part two levels as one
// does, and a path that starts with one is a bad path name. A level longer than the
// documented 255 characters is refused.
LONG SplitKeyPath(const char* sub, KeyPath* levels) {
    levels->clear();
    std::string_view rest = sub != nullptr ? sub : "";
    if (!rest.empty() && rest.front() == '\\')
        return ERROR_BAD_PATHNAME;
    while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string_view level = rest.substr(0, cut);
        if (level.size() > kMaxKeyName)
            return ERROR_INVALID_PARAMETER;
        if (!level.empty())
            levels->push_back(level);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return ERROR_SUCCESS;
}

int PlaceBelow(int place, const KeyPath& levels) {
    for (const std::string_view level : levels) {
        if (place == kClassesRoot && level == "*")
            place = kAllFiles;
        else if (place == kAllFiles && level.size() == 5 &&
                 strncasecmp(level.data(), "shell", 5) == 0)  // names ignore case
            place = kAtVerbs;
        else if (place != kAtVerbs)
            return kOffVerbs;
    }
    return place;
}

// Brings the menus up to date when a call that changed the verbs returns. Declared before the
// call's lock, it runs after the lock is released: it reads the registry through its calls.
class VerbsChanged {
public:
    ~VerbsChanged() {
        if (changed_)
            standin::SyncFileManagerMenus();
    }
    // The call's status, unchanged; a success at or below the verbs' key is noted.
    LONG Note(LONG status, int place) {
        changed_ = status == ERROR_SUCCESS && place == kAtVerbs;
        return status;
    }

private:
    bool changed_ = false;
};

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Hands a value out as RegQueryValueExA does. A buffer too small gets ERROR_MORE_DATA, the
// size needed, and not one byte of data.
LONG CopyValueOut(DWORD type, std::string_view bytes, LPDWORD lpType, LPBYTE lpData,
                  LPDWORD lpcbData) {
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            if (lpType != nullptr)
                *lpType = type;
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            memcpy(lpData, bytes.data(), size);
        // Windows ends a string stored without its NUL when the buffer has room for one,
        // and does not count it: callers that read text into a larger buffer rely on it.
        // An empty value leaves the buffer as it was.
        if (IsStringType(type) && *lpcbData > size && size > 0 && lpData[size - 1] != 0)
            lpData[size] = 0;
    }
    if (lpType != nullptr)
        *lpType = type;
    if (lpcbData != nullptr)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

std::string_view ValueName(LPCSTR name) {
    return name != nullptr ? name : "";
}

// The file managers' menus stand for the Explorer: a verb is opened to be written only while
// one of them can take its entry (as only a user who may write there opens a key of
// HKEY_CLASSES_ROOT to write), else a registration would succeed that no menu shows.
LONG MenusTakeVerb(Database& db, KeyId from, const KeyPath& levels) {
    std::vector<std::string> path;  // "*", "shell", the verb, ...
    const LONG status = KeyNames(db, from, &path);
    path.insert(path.end(), levels.begin(), levels.end());
    if (status != ERROR_SUCCESS || path.size() < 3)
        return status;
    return standin::FileManagersCanTake(path[2]) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG OpenKey(HKEY hKey, LPCSTR lpSubKey, bool create, bool write, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId from = 0;
    int place = kOffVerbs;
    LONG status = r.Resolve(hKey, &from, &place);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = nullptr;
    // NOTE: Windows lets a path below the predefined HKEY_CLASSES_ROOT start with one
    // backslash when a key is opened, not when it is created or deleted: a lone "\" opens the
    // root as a new handle, "\x" opens "x" and "\\x" is still a bad path name. A handle that
    // the root was opened as gets no such leave.
    if (!create && PredefinedKey(hKey) == kClassesRootId && lpSubKey != nullptr &&
        lpSubKey[0] == '\\')
        ++lpSubKey;
    KeyPath levels;
    if ((status = SplitKeyPath(lpSubKey, &levels)) != ERROR_SUCCESS)
        return status;
    if ((status = r.db.Open()) != ERROR_SUCCESS)
        return status;
    if (write && PlaceBelow(place, levels) == kAtVerbs &&
        (status = MenusTakeVerb(r.db, from, levels)) != ERROR_SUCCESS)
        return status;
    KeyId key = 0;
    const sqlite3_int64 changes = sqlite3_total_changes64(r.db.handle());
    {
        Transaction t(r.db, create);
        if ((status = t.status()) != ERROR_SUCCESS ||
            (status = Walk(r.db, from, levels, create, &key)) || (status = t.Commit()))
            return status;
    }
    place = PlaceBelow(place, levels);
    *phkResult = r.NewHandle(key, place);
    const bool created = sqlite3_total_changes64(r.db.handle()) != changes;
    return menus.Note(ERROR_SUCCESS, created ? place : kOffVerbs);
}

bool IsEmpty(LPCSTR lpSubKey) {
    return lpSubKey == nullptr || lpSubKey[0] == '\0';
}

// RegCreateKeyA hands back the very handle it was given for an empty subkey once the handle
// is known.
LONG SameKey(HKEY hKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    const LONG status = r.Resolve(hKey, &key);
    if (status == ERROR_SUCCESS)
        *phkResult = hKey;
    return status;
}

// One row of a statement on the handle's key and a second parameter (a value name, an
// enumeration's index), read by `take` inside the call's read transaction; `missing`, or why
// the key itself is gone, when there is no such row.
template <typename Second, typename Take>
LONG ReadRow(HKEY hKey, StatementId id, Second second, LONG missing, Take take) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    LONG status = StartCall(r, hKey, &key);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, false);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    Query q(r.db, id);
    q.Bind(1, key);
    q.Bind(2, second);
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? Missing(r.db, key, missing) : StatusOf(rc, false);
    return take(q);
}

// Copies a name with its NUL into a buffer of *lpcchName characters, as the enumerations
// give names; ERROR_MORE_DATA, writing nothing, when it does not fit.
LONG CopyNameOut(std::string_view name, LPSTR lpName, LPDWORD lpcchName) {
    if (*lpcchName <= name.size())
        return ERROR_MORE_DATA;
    memcpy(lpName, name.data(), name.size());
    lpName[name.size()] = '\0';
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

// ---- advapi32 -----------------------------------------------------------------------------

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    // NOTE: for an empty subkey Windows hands back the handle it was given without looking at
    // it: RegOpenKeyA(NULL, NULL, &h) succeeds and sets h to NULL.
    if (phkResult != nullptr && IsEmpty(lpSubKey)) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return OpenKey(hKey, lpSubKey, false, true, phkResult);  // all the access there is
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired,
                          PHKEY phkResult) {
    // A predefined key opened with an empty subkey is that key's own handle, as passed; any
    // other key gets a new handle.
    if (phkResult != nullptr && IsEmpty(lpSubKey) && PredefinedKey(hKey) != 0) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return OpenKey(hKey, lpSubKey, false, (samDesired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0,
                   phkResult);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (IsEmpty(lpSubKey))
        return SameKey(hKey, phkResult);
    return OpenKey(hKey, lpSubKey, true, true, phkResult);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    const std::string_view name = ValueName(lpValueName);
    if ((lpData == nullptr && cbData > 0) || name.size() > kMaxValueName)
        return ERROR_INVALID_PARAMETER;
    // Windows stores a text's terminating NUL that the count left out when it comes right
    // after the counted bytes: "abc" with a count of 3 becomes the 4 bytes "abc\0".
    if (IsStringType(dwType) && cbData > 0 && lpData[cbData - 1] != 0 && lpData[cbData] == 0)
        ++cbData;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &key, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    if ((status = t.status()) || (status = KeyAlive(r.db, key)))
        return status;
    {
        Query q(r.db, kSetValue);
        q.Bind(1, key);
        q.Bind(2, name);
        q.Bind(3, static_cast<KeyId>(dwType));
        q.BindBytes(4, lpData, cbData);
        if ((status = StatusOf(q.Step(), true)) != ERROR_SUCCESS)
            return status;
    }
    return menus.Note(t.Commit(), place);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    // NOTE: asked for the size alone, Windows sets it to 0 before it looks for the value (a
    // null handle aside), so a query that fails reports no data.
    if (lpData == nullptr && lpcbData != nullptr && hKey != nullptr)
        *lpcbData = 0;
    return ReadRow(hKey, kGetValue, ValueName(lpValueName), ERROR_FILE_NOT_FOUND, [&](Query& q) {
        return CopyValueOut(static_cast<DWORD>(q.Int(0)), q.Bytes(1), lpType, lpData, lpcbData);
    });
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    KeyPath levels;
    const LONG split = SplitKeyPath(lpSubKey, &levels);
    if (split != ERROR_SUCCESS)
        return split;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId from = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &from, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    KeyId key = 0;
    if ((status = t.status()) || (status = Walk(r.db, from, levels, false, &key)))
        return status;
    if (IsRoot(key))
        return ERROR_ACCESS_DENIED;
    {
        // Windows refuses to delete a key that has subkeys; only the tree calls do that.
        Query q(r.db, kHasChild);
        q.Bind(1, key);
        const int rc = q.Step();
        if (rc != SQLITE_DONE)
            return rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : StatusOf(rc, true);
    }
    status = Change(r.db, kDeleteValues, key, nullptr);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return status;
    if ((status = Change(r.db, kDeleteKey, key, nullptr)) != ERROR_SUCCESS)
        return status;
    return menus.Note(t.Commit(), PlaceBelow(place, levels));
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &key, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    const std::string_view name = ValueName(lpValueName);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    status = Change(r.db, kDeleteValue, key, &name);
    if (status == ERROR_FILE_NOT_FOUND)
        status = Missing(r.db, key, status);
    if (status != ERROR_SUCCESS)
        return status;
    return menus.Note(t.Commit(), place);
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          FILETIME* lpftLastWriteTime) {
    if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    const KeyId index = dwIndex;
    return ReadRow(hKey, kEnumKey, index, ERROR_NO_MORE_ITEMS, [&](Query& q) {
        const LONG status = CopyNameOut(q.Text(0), lpName, lpcchName);
        if (status != ERROR_SUCCESS)
            return status;
        // Keys here have no class and no recorded write time.
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
            lpClass[0] = '\0';
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime != nullptr)
            *lpftLastWriteTime = FILETIME{0, 0};
        return status;
    });
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    // NOTE: Windows hands out the data before the name. Data that does not fit its buffer
    // gives ERROR_MORE_DATA with the type and the size needed, and neither the name nor its
    // count is written. A name that does not fit gives ERROR_MORE_DATA after the type, the size
    // and the data: as much of the name as the buffer holds before a NUL is written, and the
    // count is left as it was.
    const KeyId index = dwIndex;
    return ReadRow(hKey, kEnumValue, index, ERROR_NO_MORE_ITEMS, [&](Query& q) {
        const std::string_view name = q.Text(0);
        const LONG status =
            CopyValueOut(static_cast<DWORD>(q.Int(1)), q.Bytes(2), lpType, lpData, lpcbData);
        if (status != ERROR_SUCCESS ||
            CopyNameOut(name, lpValueName, lpcchValueName) == ERROR_SUCCESS)
            return status;
        if (*lpcchValueName > 0) {
            memcpy(lpValueName, name.data(), *lpcchValueName - 1);
            lpValueName[*lpcchValueName - 1] = '\0';
        }
        return static_cast<LONG>(ERROR_MORE_DATA);
    });
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.Close(hKey);
}
