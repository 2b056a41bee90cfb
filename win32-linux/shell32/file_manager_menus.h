// win32-linux/shell32/file_manager_menus.h
// What stands in for the Explorer's verb lookup: the verbs under HKEY_CLASSES_ROOT\*\shell
// as entries in the per-user context menus of the Linux file managers.
#ifndef ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H
#define ZAPFILE_STANDIN_SHELL32_FILE_MANAGER_MENUS_H

namespace standin {

// Makes the entries match the registry: one per usable verb in each of GNOME Files
// ($XDG_DATA_HOME/nautilus/scripts), Dolphin ($XDG_DATA_HOME/kio/servicemenus), Nemo
// ($XDG_DATA_HOME/nemo/actions) and Thunar ($XDG_CONFIG_HOME/Thunar/uca.xml), and none for a
// verb that is gone. Only entries that carry this program's mark are replaced or removed.
// The registry calls run it after each change at or below that key; it reports nothing: a
// folder it cannot write keeps what it had.
void SyncFileManagerMenus();

}  // namespace standin

#endif
