// win32-linux/shell32/file_manager_menus.h
// What stands in for the Explorer's verb lookup: the verbs under HKEY_CLASSES_ROOT\*\shell
// as entries in the per-user context menus of the Linux file managers.
#ifndef ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H
#define ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H

#include <string>

namespace standin {

// Makes the entries match the registry: one per usable verb in each of GNOME Files
// ($XDG_DATA_HOME/nautilus/scripts), Dolphin ($XDG_DATA_HOME/kio/servicemenus), Nemo
// ($XDG_DATA_HOME/nemo/actions) and Thunar ($XDG_CONFIG_HOME/Thunar/uca.xml), and none for a
// verb that is gone. Only entries that are still exactly what this program wrote last are
// replaced or removed. The registry calls run it after each change at or below that key, one
// process at a time; each entry it cannot write is named on standard error with the reason.
void SyncFileManagerMenus();

// True when at least one file manager can take an entry for the verb (or when the verb is
// one that has no entries); else false, after naming each file manager's reason on standard
// error. The registry asks before a verb's key is opened to be written.
bool FileManagersCanTake(const std::string& verb);

}  // namespace standin

#endif
