// win32-linux/advapi32/registry.cpp
//
// The advapi32 registry calls over the store of registry_store.h (the enumerations are in
// registry_enum.cpp). Each call is one transaction, so several processes may read and write
// the registry at once without losing a write; a key opened or a value read again while no
// process has committed anything since is answered from what the process read then
// (registry_cache.h). A call that changes the verbs under HKEY_CLASSES_ROOT\*\shell brings
// the file managers' menus in step before it returns (registry_menus.cpp).

#include <windows.h>

#include "advapi32/registry_cache.h"
#include "advapi32/registry_calls.h"
#include "advapi32/registry_handles.h"
#include "advapi32/registry_store.h"

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

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

LONG standin::registry::CopyValueOut(DWORD type, std::string_view bytes, LPDWORD lpType, LPBYTE lpData,
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

namespace {

std::string_view ValueName(LPCSTR name) {
    return name != nullptr ? name : "";
}

LONG OpenKeyLocked(HKEY hKey, LPCSTR lpSubKey, bool create, bool write, PHKEY phkResult,
                   MenusDue* menus) {
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
    if ((status = r.db.Open()) != ERROR_SUCCESS || (status = r.InOpenDatabase(hKey)))
        return status;
    if (write && PlaceBelow(place, levels) == kAtVerbs &&
        (status = MenusTakeVerb(r.db, from, levels)) != ERROR_SUCCESS)
        return status;
    KeyId key = 0;
    place = PlaceBelow(place, levels);
    // A key opened before, while nothing has changed since, is known without a transaction;
    // the process's first look for a sync the menus are owed, and a verb opened to be written,
    // read the database.
    const bool cached = !create && !(write && (!r.menusChecked || place == kAtVerbs));
    std::string asked;
    if (cached) {
        asked = AskedKey(from, levels);
        if (const CachedRead* found = r.cache.Find(r.db, asked)) {
            if (found->status == ERROR_SUCCESS)
                *phkResult = r.NewHandle(found->key, place);
            return found->status;
        }
    }
    const sqlite3_int64 changes = sqlite3_total_changes64(r.db.handle());
    Transaction t(r.db, create);
    if ((status = t.status()) == ERROR_SUCCESS)
        status = Walk(r.db, from, levels, create, &key);
    if (cached && r.db.Stamp()) {
        CachedRead found;
        found.status = status;
        found.key = key;
        r.cache.Keep(r.db, std::move(asked), std::move(found));
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (create)
        status = menus->Note(r.db, sqlite3_total_changes64(r.db.handle()) != changes, key, place);
    else if (write)
        menus->NoteOnOpen(r);
    if (status != ERROR_SUCCESS || (status = t.Commit()) != ERROR_SUCCESS)
        return status;
    *phkResult = r.NewHandle(key, place);
    return ERROR_SUCCESS;
}

// The menus are brought in step after the lock is released: a sync reads the registry through
// its calls.
LONG OpenKey(HKEY hKey, LPCSTR lpSubKey, bool create, bool write, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    MenusDue menus;
    const LONG opened = OpenKeyLocked(hKey, lpSubKey, create, write, phkResult, &menus);
    const LONG status = menus.Settle(opened);
    // A key made whose menus could not follow stays made; the call failed all the same, and a
    // failed call hands back no handle.
    if (opened == ERROR_SUCCESS && status != ERROR_SUCCESS) {
        RegCloseKey(*phkResult);
        *phkResult = nullptr;
    }
    return status;
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

// The handle's value `name`, handed to `give` as its type and bytes: what the process read
// before while nothing has changed since, else what the call's read transaction finds. When
// there is none: ERROR_FILE_NOT_FOUND, or why the key itself is gone.
template <typename Give>
LONG ReadValue(HKEY hKey, std::string_view name, Give give) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    LONG status = StartCall(r, hKey, &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::string asked = AskedValue(key, name);
    if (const CachedRead* found = r.cache.Find(r.db, asked))
        return found->status == ERROR_SUCCESS ? give(found->type, found->data) : found->status;
    Transaction t(r.db, false);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    Query q(r.db, kGetValue);
    q.Bind(1, key);
    q.Bind(2, name);
    const int rc = q.Step();
    CachedRead found;
    if (rc == SQLITE_ROW) {
        found.type = static_cast<DWORD>(q.Int(0));
        found.data = q.Bytes(1);
    } else {
        found.status =
            rc == SQLITE_DONE ? Missing(r.db, key, ERROR_FILE_NOT_FOUND) : StatusOf(rc, false);
    }
    status = found.status == ERROR_SUCCESS ? give(found.type, found.data) : found.status;
    if (r.db.Stamp())
        r.cache.Keep(r.db, std::move(asked), std::move(found));
    return status;
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
    MenusDue menus;
    const LONG status = [&]() -> LONG {
        Registry& r = State();
        std::lock_guard<std::mutex> lock(r.mutex);
        KeyId key = 0;
        int place = kOffVerbs;
        LONG status = StartCall(r, hKey, &key, &place);
        if (status != ERROR_SUCCESS)
            return status;
        Transaction t(r.db, true);
        if ((status = t.status()) || (status = KeyAlive(r.db, key)) ||
            (status = MenusCarryValue(r.db, key, place, name, dwType, lpData, cbData)))
            return status;
        Query q(r.db, kSetValue);
        q.Bind(1, key);
        q.Bind(2, name);
        q.Bind(3, static_cast<KeyId>(dwType));
        q.BindBytes(4, lpData, cbData);
        if ((status = StatusOf(q.Step(), true)) || (status = menus.Note(r.db, true, key, place)))
            return status;
        return t.Commit();
    }();
    return menus.Settle(status);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    // NOTE: asked for the size alone, Windows sets it to 0 before it looks for the value (a
    // null handle aside), so a query that fails reports no data.
    if (lpData == nullptr && lpcbData != nullptr && hKey != nullptr)
        *lpcbData = 0;
    return ReadValue(hKey, ValueName(lpValueName), [&](DWORD type, std::string_view bytes) {
        return CopyValueOut(type, bytes, lpType, lpData, lpcbData);
    });
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    KeyPath levels;
    const LONG split = SplitKeyPath(lpSubKey, &levels);
    if (split != ERROR_SUCCESS)
        return split;
    MenusDue menus;
    const LONG status = [&]() -> LONG {
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
        // Noted while the key still has its name.
        if ((status = menus.Note(r.db, true, key, PlaceBelow(place, levels))))
            return status;
        status = Change(r.db, kDeleteValues, key, nullptr);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
        if ((status = Change(r.db, kDeleteKey, key, nullptr)) != ERROR_SUCCESS)
            return status;
        return t.Commit();
    }();
    return menus.Settle(status);
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    MenusDue menus;
    const LONG status = [&]() -> LONG {
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
        if (status != ERROR_SUCCESS || (status = menus.Note(r.db, true, key, place)))
            return status;
        return t.Commit();
    }();
    return menus.Settle(status);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.Close(hKey);
}
