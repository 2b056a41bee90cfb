// win32-linux/advapi32/registry_menus.cpp
//
// The registry calls and the file managers' menus. A call that changes the verbs under
// HKEY_CLASSES_ROOT\*\shell brings the menus in step before it returns, and fails when its
// change does not show there. A process may die at any moment in between, after its change
// committed and before the menus followed: so the change raises a count of owed syncs in its
// own transaction, and a sync that finished with every entry in step clears the count it read
// before it read the verbs. The next call that writes, and the first call of a process that
// opens a key to write (the program's start does), finds the count raised and syncs.

#include <windows.h>

#include "advapi32/registry_calls.h"
#include "shell32/file_manager_menus.h"

#include <strings.h>

#include <mutex>
#include <string>
#include <vector>

namespace standin::registry {
namespace {

// The count of owed syncs; 0 also for a database made before the count was kept.
sqlite3_int64 MenusOwed(Database& db) {
    Query q(db, kMenusOwed);
    return q.Step() == SQLITE_ROW ? q.Int(0) : 0;
}

LONG ReadOwed(sqlite3_int64* owed) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    LONG status = r.db.Open();
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, false);
    if ((status = t.status()) == ERROR_SUCCESS)
        *owed = MenusOwed(r.db);
    return status;
}

// Clears the count when it is still what the sync read: a change made since owes its own.
void ClearOwed(sqlite3_int64 owed) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.db.Open() != ERROR_SUCCESS)
        return;
    Transaction t(r.db, true);
    if (t.status() != ERROR_SUCCESS)
        return;
    Query q(r.db, kMenusPaid);
    q.Bind(1, owed);
    if (q.Step() == SQLITE_DONE)
        t.Commit();
}

// One sync under the menus' lock. The count is read before the verbs are, so the sync covers
// every change that raised it. Once a wait for the lock has run out, the process only tries
// it: what holds it that long is no sync, and each later call would wait as long again.
LONG BringMenusInStep(const std::string& verb, bool wait) {
    Registry& r = State();
    const bool waits = wait && !r.menusLockStuck;
    const MenusLock lock(waits);
    LONG status = lock.status();
    if (waits && status == ERROR_LOCK_VIOLATION)
        r.menusLockStuck = true;
    if (status != ERROR_SUCCESS)
        return status;
    sqlite3_int64 owed = 0;
    if ((status = ReadOwed(&owed)) != ERROR_SUCCESS)
        return status;
    const MenusSynced synced = SyncFileManagerMenus(verb);
    if (synced.complete && owed > 0)
        ClearOwed(owed);
    return synced.verbStatus;
}

// The path below HKEY_CLASSES_ROOT of `key` and then `levels`: "*", "shell", the verb, ...
LONG ClassesPath(Database& db, KeyId key, const KeyPath& levels, std::vector<std::string>* path) {
    const LONG status = KeyNames(db, key, path);
    path->insert(path->end(), levels.begin(), levels.end());
    return status;
}

}  // namespace

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

LONG MenusTakeVerb(Database& db, KeyId from, const KeyPath& levels) {
    std::vector<std::string> path;
    const LONG status = ClassesPath(db, from, levels, &path);
    if (status != ERROR_SUCCESS || path.size() < 3)
        return status;
    return FileManagersCanTake(path[2]) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG MenusCarryValue(Database& db, KeyId key, int place, std::string_view name, DWORD type,
                     const BYTE* data, DWORD size) {
    if (place != kAtVerbs || !name.empty())
        return ERROR_SUCCESS;
    std::vector<std::string> path;
    const LONG status = ClassesPath(db, key, {}, &path);
    if (status != ERROR_SUCCESS || path.size() != 4 || strcasecmp(path[3].c_str(), "command") != 0)
        return status;
    const std::string_view command(reinterpret_cast<const char*>(data), size);
    return FileManagersCanCarry(path[2], type, command) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG MenusDue::Note(Database& db, bool changed, KeyId key, int place) {
    wait_ = changed && place == kAtVerbs;
    if (wait_) {
        std::vector<std::string> path;
        const LONG status = KeyNames(db, key, &path);
        if (status != ERROR_SUCCESS)
            return status;
        verb_ = path.size() >= 3 ? path[2] : "";
        changed_ = true;
        Query q(db, kOweMenus);
        return StatusOf(q.Step(), true);
    }
    owed_ = MenusOwed(db) > 0;
    return ERROR_SUCCESS;
}

void MenusDue::NoteOnOpen(Registry& r) {
    if (r.menusChecked)
        return;
    r.menusChecked = true;
    owed_ = MenusOwed(r.db) > 0;
}

LONG MenusDue::Settle(LONG status) {
    if (status != ERROR_SUCCESS || !(changed_ || owed_))
        return status;
    const LONG synced = BringMenusInStep(verb_, wait_);
    return changed_ && synced != ERROR_SUCCESS ? synced : status;
}

}  // namespace standin::registry
