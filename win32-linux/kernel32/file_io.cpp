// win32-linux/kernel32/file_io.cpp
// Opening, writing and closing files, over POSIX descriptors. A name is looked up once, when
// the file is opened: the folder it is found in stays open with the handle, the file is
// opened relative to it, and ReOpenFile gives the same open file again by its descriptor.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "kernel32/file_handles.h"
#include "kernel32/last_error.h"

using standin::OpenFile;

namespace {

// The descriptor flags for an access: no access at all (or FILE_READ_ATTRIBUTES or DELETE
// alone) asks for the attributes only, which Windows gives without the right to read, and
// opens nothing but the name: a FIFO, a device or a kernel file is not opened at all.
int AccessFlags(DWORD dwDesiredAccess) {
    const bool read = dwDesiredAccess & GENERIC_READ;
    const bool write = dwDesiredAccess & GENERIC_WRITE;
    return read && write ? O_RDWR : write ? O_WRONLY : read ? O_RDONLY : O_PATH;
}

// Opens `name` in the folder held by folderFd (AT_FDCWD for a whole path). Unless the file
// is known to be a plain one or made new, a FIFO or a device never blocks the open, and the
// descriptor blocks from then on.
int OpenIn(int folderFd, const char* name, int flags, mode_t mode, bool plainFile = false) {
    const bool mayBlock = !plainFile && !(flags & (O_PATH | O_EXCL));
    const int fd = openat(folderFd, name, flags | (mayBlock ? O_NONBLOCK : 0), mode);
    if (fd >= 0 && mayBlock)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// Windows refuses to open a folder for anything without backup semantics (and for writing,
// which Linux refuses too).
bool RefusedFolder(OpenFile* file, DWORD dwFlagsAndAttributes) {
    if ((file->access & GENERIC_WRITE) || (dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS))
        return false;
    return standin::Know(file) && S_ISDIR(file->kind);
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int flags = O_CLOEXEC | O_NOCTTY | AccessFlags(dwDesiredAccess);
    if (dwFlagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT)
        flags |= O_NOFOLLOW;
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & O_PATH) && (flags & (O_CREAT | O_TRUNC))) {
        SetLastError(ERROR_ACCESS_DENIED);  // making or emptying a file asks for writing
        return INVALID_HANDLE_VALUE;
    }
    // The folder is opened first and held; the last name is then looked up in it alone. A
    // path that ends in a folder of its own ("d/", "d/.", "/") is opened whole.
    OpenFile file;
    file.access = dwDesiredAccess;
    const char* slash = strrchr(lpFileName, '/');
    const char* name = slash != nullptr ? slash + 1 : lpFileName;
    int lookIn = AT_FDCWD;
    if (*lpFileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (*name == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) {
        name = lpFileName;
    } else {
        const std::string folder = slash != nullptr ? std::string(lpFileName, slash + 1) : ".";
        file.folderFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (file.folderFd < 0) {
            standin::SetErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        file.name = name;
        lookIn = file.folderFd;
    }
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    // OPEN_ALWAYS and CREATE_ALWAYS tell the caller whether the file was there already
    // (ERROR_ALREADY_EXISTS): a new file is made exclusively, else the existing one opened.
    const bool mayCreate =
        dwCreationDisposition == OPEN_ALWAYS || dwCreationDisposition == CREATE_ALWAYS;
    file.fd = OpenIn(lookIn, name, mayCreate ? (flags | O_EXCL) & ~O_TRUNC : flags, mode);
    const bool existed = file.fd < 0 && mayCreate && errno == EEXIST;
    if (existed)
        file.fd = OpenIn(lookIn, name, flags & ~O_CREAT, mode);
    const int err = errno;
    if (file.fd < 0 || RefusedFolder(&file, dwFlagsAndAttributes)) {
        if (file.fd >= 0)
            close(file.fd);
        if (file.folderFd >= 0)
            close(file.folderFd);
        if (file.fd < 0)
            standin::SetErrorFromErrno(err, lookIn == AT_FDCWD ? ERROR_PATH_NOT_FOUND
                                                               : ERROR_FILE_NOT_FOUND);
        else
            SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return standin::AddOpenFile(file);
}

HANDLE WINAPI ReOpenFile(HANDLE hOriginalFile, DWORD dwDesiredAccess, DWORD,
                         DWORD dwFlagsAndAttributes) {
    OpenFile* original = standin::OpenFileOf(hOriginalFile);
    if (original == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    OpenFile file = *original;
    file.access = dwDesiredAccess;
    if (RefusedFolder(&file, dwFlagsAndAttributes)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // The kernel's link to the open descriptor leads to the very file it holds: no name is
    // looked up, so whatever has since taken the file's name or its folder's is not reached.
    file.fd = OpenIn(standin::ProcessFds(), standin::FdName(original->fd).text,
                     O_CLOEXEC | O_NOCTTY | AccessFlags(dwDesiredAccess), 0,
                     file.known && S_ISREG(file.kind));
    if (file.fd < 0) {
        standin::SetErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return standin::AddOpenFile(file);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
    const int fd = standin::ToFd(hFile);
    const char* p = static_cast<const char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const ssize_t n = write(fd, p + done, nNumberOfBytesToWrite - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (lpNumberOfBytesWritten != nullptr)
                *lpNumberOfBytesWritten = done;
            if (n < 0)
                standin::SetErrorFromErrno(errno);
            else
                SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = done;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (!standin::CloseOpenFile(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
