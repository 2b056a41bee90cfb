// win32-linux/shell32/file_manager_menus.h
// What stands in for the Explorer's verb lookup: the verbs under HKEY_CLASSES_ROOT\*\shell
// as entries in the per-user context menus of the Linux file managers.
#ifndef ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H
#define ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace standin {

namespace menus {
class SyncLock;
}

// The menus' lock, which one sync at a time holds. With `wait`, another process's sync is
// waited for, at most 5 s (as long as the registry waits for its database); without, it is
// tried once.
class MenusLock {
public:
    explicit MenusLock(bool wait);
    ~MenusLock();
    // ERROR_SUCCESS when held; ERROR_LOCK_VIOLATION when another process holds it.
    LONG status() const;

private:
    std::unique_ptr<menus::SyncLock> lock_;
    bool wait_;
};

// What a sync left.
struct MenusSynced {
    // Every entry of this program's matches the registry (or is gone when its verb is): none
    // that it should have changed or removed was left as it was.
    bool complete = true;
    // For the verb asked about: ERROR_SUCCESS when the registry's change shows, that is, no entry
    // of this program's for the verb was left out of step and, when the verb has a command, at
    // least one file manager has its entry; else why not.
    LONG verbStatus = ERROR_SUCCESS;
};

// Makes the entries match the registry: one per usable verb in each of GNOME Files
// ($XDG_DATA_HOME/nautilus/scripts), Dolphin ($XDG_DATA_HOME/kio/servicemenus), Nemo
// ($XDG_DATA_HOME/nemo/actions) and Thunar ($XDG_CONFIG_HOME/Thunar/uca.xml), and none for a
// verb that is gone. Only entries that are still exactly what this program wrote last are
// replaced or removed. The caller holds the MenusLock. Each entry it cannot write or remove is
// named on standard error with the reason. `verb` may be empty.
MenusSynced SyncFileManagerMenus(const std::string& verb);

// True when at least one file manager can take an entry for the verb (or when the verb is
// one that has no entries); else false, after naming each file manager's reason on standard
// error. The registry asks before a verb's key is opened to be written.
bool FileManagersCanTake(const std::string& verb);

// True when the file managers can carry a command of this type and text for the verb (the
// text ends at its first NUL); else false, after naming the reason on standard error. The
// registry asks before a verb's command is written.
bool FileManagersCanCarry(const std::string& verb, DWORD type, std::string_view command);

}  // namespace standin

#endif
