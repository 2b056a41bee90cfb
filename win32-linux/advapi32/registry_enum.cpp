// win32-linux/advapi32/registry_enum.cpp
//
// RegEnumKeyExA and RegEnumValueA. Windows hands out a key's subkeys (sorted by name) and
// values (in creation order) by index, and callers ask for 0, 1, 2 ... in turn. Each handle
// keeps where its last enumeration stopped: the next index is found by seeking past the name
// or value given last, one indexed step, so that a whole enumeration costs one step per item;
// and a step reads the items after its own, which the next steps take while no process has
// committed anything since (Database::Unchanged).
// The answer for an index is always the item that stands at that index now, as on Windows: when
// the database changed in between (through this process or another), or the index is not the
// next one, the items are counted from the first again.

#include <windows.h>

#include "advapi32/registry_calls.h"
#include "advapi32/registry_handles.h"
#include "advapi32/registry_store.h"

#include <cstring>
#include <mutex>
#include <string_view>

using namespace standin::registry;

namespace {

// How many items after the one asked for a step reads in its transaction, and about how many
// bytes of them at most: the next steps take them without a transaction while nothing changes.
constexpr size_t kAhead = 64;
constexpr size_t kAheadBytes = 64 * 1024;

EnumItem ItemOf(Query& q, bool keys) {
    EnumItem item;
    item.name = q.Text(0);
    if (!keys) {
        item.type = static_cast<DWORD>(q.Int(1));
        item.data = q.Bytes(2);
        item.id = q.Int(3);
    }
    return item;
}

// The cursor now stands at `item`, the item at `index`.
void MoveCursor(EnumCursor* cursor, DWORD index, const EnumItem& item, bool keys) {
    cursor->index = index;
    cursor->name = keys ? item.name : std::string();
    cursor->valueId = keys ? 0 : item.id;
}

// The item at `index` of the handle's key (statement kEnumKey or kEnumValue), read by `take`;
// ERROR_NO_MORE_ITEMS, or why the key itself is gone, past the last one.
template <typename Take>
LONG ReadItem(HKEY hKey, StatementId id, DWORD index, Take take) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    LONG status = StartCall(r, hKey, &key);
    if (status != ERROR_SUCCESS)
        return status;
    EnumCursor& cursor = r.Cursor(hKey);
    const bool keys = id == kEnumKey;
    const bool follows = cursor.statement == id && index > 0 && cursor.index == index - 1;
    if (follows && cursor.next < cursor.ahead.size() && r.db.Unchanged() &&
        cursor.generation == r.db.Generation()) {
        const EnumItem& item = cursor.ahead[cursor.next];
        const LONG taken = take(item);
        if (taken == ERROR_SUCCESS) {
            MoveCursor(&cursor, index, item, keys);
            ++cursor.next;
        }
        return taken;
    }
    Transaction t(r.db, false);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    // Taken as the answer once the item is handed out: a call that finds the caller's buffer
    // too small is asked again for the same index.
    const auto answer = [&](Query& q, int rc) -> LONG {
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? Missing(r.db, key, ERROR_NO_MORE_ITEMS) : StatusOf(rc, false);
        const EnumItem item = ItemOf(q, keys);
        const LONG taken = take(item);
        if (taken != ERROR_SUCCESS)
            return taken;
        cursor.statement = id;
        MoveCursor(&cursor, index, item, keys);
        cursor.version = r.db.Version();
        cursor.ahead.clear();
        cursor.next = 0;
        for (size_t bytes = 0; cursor.ahead.size() < kAhead && bytes < kAheadBytes &&
                               q.Step() == SQLITE_ROW;) {
            cursor.ahead.push_back(ItemOf(q, keys));
            bytes += cursor.ahead.back().name.size() + cursor.ahead.back().data.size();
        }
        if (r.db.Stamp())
            cursor.generation = r.db.Generation();
        else
            cursor.ahead.clear();
        return taken;
    };
    const KeyId rows = 1 + kAhead;
    if (follows) {
        Query next(r.db, keys                   ? kEnumKeyAfter
                         : r.db.HasValueIndex() ? kEnumValueAfter
                                                : kEnumValueAfterScan);
        next.Bind(1, key);
        if (keys)
            next.Bind(2, cursor.name);
        else
            next.Bind(2, cursor.valueId);
        next.Bind(3, rows);
        const int rc = next.Step();
        // The version is known once the transaction has read.
        if (r.db.Version() == cursor.version)
            return answer(next, rc);
    }
    Query q(r.db, id);
    q.Bind(1, key);
    q.Bind(2, static_cast<KeyId>(index));
    q.Bind(3, rows);
    return answer(q, q.Step());
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

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          FILETIME* lpftLastWriteTime) {
    if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return ReadItem(hKey, kEnumKey, dwIndex, [&](const EnumItem& item) {
        const LONG status = CopyNameOut(item.name, lpName, lpcchName);
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
    return ReadItem(hKey, kEnumValue, dwIndex, [&](const EnumItem& item) {
        const std::string_view name = item.name;
        const LONG status = CopyValueOut(item.type, item.data, lpType, lpData, lpcbData);
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
