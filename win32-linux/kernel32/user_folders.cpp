// win32-linux/kernel32/user_folders.cpp
#include "kernel32/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace standin {

std::string XdgHome(const char* variable, const char* fallback) {
    const char* xdg = getenv(variable);
    if (xdg != nullptr && xdg[0] == '/')  // a relative one is to be ignored
        return xdg;
    const char* home = getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const struct passwd* pw = getpwuid(getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    return home != nullptr && home[0] == '/' ? std::string(home) + "/" + fallback : "";
}

bool MakeFolders(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        errno = S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        return S_ISDIR(st.st_mode);
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
        return false;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace standin
