// win32-linux/programs/zapfile/failure_reason.cpp
#include "programs/zapfile/failure_reason.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "kernel32/file_handles.h"

std::string FailureReason(const char* path, int unixError) {
    // Refused before the file is looked at: the tail "PATH" must fit the command-line buffer,
    // and quote removal would change the name.
    if (strlen(path) + 2 > MAX_PATH)
        return strerror(ENAMETOOLONG);
    if (strchr(path, '"') != nullptr)
        return "Name contains a double quote";
    struct stat st;
    const bool named = lstat(path, &st) == 0;
    const int lstatError = named ? 0 : errno;
    if (named) {
        if (S_ISDIR(st.st_mode))
            return strerror(EISDIR);
        if (S_ISLNK(st.st_mode))
            return "Is a symbolic link";
        struct statfs fs;
        if (!S_ISREG(st.st_mode))
            return "Not a regular file";
        if (statfs(path, &fs) == 0 && standin::IsKernelFileSystem(static_cast<long>(fs.f_type)))
            return "A file of the kernel, not of a disk";
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return "Read-only file";
    }
    if (unixError != 0)
        return strerror(unixError);
    return strerror(named ? EPERM : lstatError);
}
