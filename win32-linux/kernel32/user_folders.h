// win32-linux/kernel32/user_folders.h
// The user's base folders as XDG names them, and making a folder with its parents.
#ifndef ZAPFILE_STANDIN_KERNEL32_USER_FOLDERS_H
#define ZAPFILE_STANDIN_KERNEL32_USER_FOLDERS_H

#include <string>

namespace standin {

// $variable when it is an absolute path, else the home folder's `fallback` (".config",
// ".local/share"); empty when no home folder can be found.
std::string XdgHome(const char* variable, const char* fallback);

// Creates the folder and its missing parents, private to the user as XDG asks (0700). True
// when it is a folder afterwards.
bool MakeFolders(const std::string& path);

}  // namespace standin

#endif
