// win32-linux/advapi32/registry_calls.h
// What the files of the registry calls share: handing a value out, and what a call owes the
// file managers' menus when it changes the verbs under HKEY_CLASSES_ROOT\*\shell.
#ifndef ZAPFILE_STANDIN_ADVAPI32_REGISTRY_CALLS_H
#define ZAPFILE_STANDIN_ADVAPI32_REGISTRY_CALLS_H

#include <windows.h>

#include <string>
#include <string_view>

#include "advapi32/registry_handles.h"
#include "advapi32/registry_store.h"

namespace standin::registry {

// Hands a value out as RegQueryValueExA does. A buffer too small gets ERROR_MORE_DATA, the
// size needed, and not one byte of data.
LONG CopyValueOut(DWORD type, std::string_view bytes, LPDWORD lpType, LPBYTE lpData,
                  LPDWORD lpcbData);

// ---- The menus (registry_menus.cpp) -------------------------------------------------------

// Where a path leads from a key that stands at `place`.
int PlaceBelow(int place, const KeyPath& levels);

// The file managers' menus stand for the Explorer: a verb is opened to be written only while
// one of them can take its entry (as only a user who may write there opens a key of
// HKEY_CLASSES_ROOT to write), else a registration would succeed that no menu shows.
LONG MenusTakeVerb(Database& db, KeyId from, const KeyPath& levels);

// A verb's command is written only when the menus can carry it: ERROR_INVALID_DATA, with the
// reason on standard error, for one they cannot. Anything else written passes.
LONG MenusCarryValue(Database& db, KeyId key, int place, std::string_view name, DWORD type,
                     const BYTE* data, DWORD size);

// What a call owes the menus. Declared before the call's lock; Note runs inside the call's
// transaction and Settle after the lock is released, since a sync reads the registry through
// its calls.
class MenusDue {
public:
    // In a write transaction, before its commit: a change at or below the verbs' key (`place`
    // is where the changed key stands, `key` that key) is marked as owing a sync in the same
    // transaction, so that the mark stands exactly when the change does, whenever the process
    // dies; and a sync that an earlier call still owes is noticed.
    LONG Note(Database& db, bool changed, KeyId key, int place);
    // The first call of a process that opens a key to write notices a sync still owed; inside
    // its read transaction.
    void NoteOnOpen(Registry& r);
    // After the lock: brings the menus in step when a sync is owed. When this call's own change
    // of a verb does not show in the menus, the call fails with why, and it waits for another
    // process's sync to do so; what an earlier call owed is only tried, and its failures only
    // reported on standard error: a sync that holds the lock now covers it, or the count stays.
    LONG Settle(LONG status);

private:
    bool changed_ = false;
    bool owed_ = false;
    bool wait_ = false;
    std::string verb_;
};

}  // namespace standin::registry

#endif
