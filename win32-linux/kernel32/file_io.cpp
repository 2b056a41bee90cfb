// win32-linux/kernel32/file_io.cpp
// The file calls of kernel32 over POSIX file descriptors. A HANDLE is the descriptor plus one,
// so that no valid handle is null or INVALID_HANDLE_VALUE.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kernel32/last_error.h"

namespace {

HANDLE ToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1); }

int ToFd(HANDLE h) {
    const intptr_t v = reinterpret_cast<intptr_t>(h);
    return (h == nullptr || h == INVALID_HANDLE_VALUE || v > INT32_MAX) ? -1 : static_cast<int>(v - 1);
}

DWORD ErrorFromErrno(int err) {
    switch (err) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ELOOP:  // a link met where links are not followed
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENXIO:  // a FIFO without a reader, a device without its driver
    case EAGAIN:
        return ERROR_SHARING_VIOLATION;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

// The error for a path that names nothing: Windows tells a missing folder on the way
// (ERROR_PATH_NOT_FOUND) from a missing last name (ERROR_FILE_NOT_FOUND).
DWORD MissingError(const char* path) {
    const char* slash = strrchr(path, '/');
    if (slash == nullptr || slash == path)
        return ERROR_FILE_NOT_FOUND;
    const std::string folder(path, slash);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                   : ERROR_PATH_NOT_FOUND;
}

DWORD ErrorForPath(int err, const char* path) {
    return err == ENOENT ? MissingError(path) : ErrorFromErrno(err);
}

// The last error for a failed system call, errno kept behind it.
void SetErrorFromErrno(int err, const char* path = nullptr) {
    standin::SetLastErrorFromUnix(path != nullptr ? ErrorForPath(err, path) : ErrorFromErrno(err),
                                  err);
}

DWORD AttributesFromStat(const struct stat& st, const char* name) {
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(st.st_mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;  // set on every file written, as Windows does
    else if (S_ISLNK(st.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    else
        attributes |= FILE_ATTRIBUTE_DEVICE;
    // NOTE: without any write bit a file is read-only for everybody, root included, as the
    // read-only attribute binds administrators on Windows.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    (void)name;  // a leading dot is not "hidden": Linux has no such attribute
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const bool read = dwDesiredAccess & GENERIC_READ;
    const bool write = dwDesiredAccess & GENERIC_WRITE;
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // a FIFO or device never blocks the open
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
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
    // No access at all asks for the attributes only, which Windows gives without the right to
    // read: a folder that may be passed through but not listed opens too.
    if (!read && !write && dwCreationDisposition == OPEN_EXISTING)
        flags = O_PATH | O_CLOEXEC | (flags & O_NOFOLLOW);
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    // OPEN_ALWAYS and CREATE_ALWAYS tell the caller whether the file was there already
    // (ERROR_ALREADY_EXISTS): a new file is made exclusively, else the existing one opened.
    const bool mayCreate =
        dwCreationDisposition == OPEN_ALWAYS || dwCreationDisposition == CREATE_ALWAYS;
    int fd = open(lpFileName, mayCreate ? (flags | O_EXCL) & ~O_TRUNC : flags, mode);
    const bool existed = fd < 0 && mayCreate && errno == EEXIST;
    if (existed)
        fd = open(lpFileName, flags & ~O_CREAT, mode);
    if (fd < 0) {
        SetErrorFromErrno(errno, lpFileName);
        return INVALID_HANDLE_VALUE;
    }
    // Windows refuses to open a folder for writing, or for anything without backup semantics.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) &&
        !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // Blocking mode from here on: only the open itself must not wait.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return ToHandle(fd);
}

DWORD WINAPI GetFileType(HANDLE hFile) {
    struct stat st;
    if (fstat(ToFd(hFile), &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISCHR(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;  // block devices are not files on a disk here
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info) {
    struct stat st;
    if (info == nullptr || fstat(ToFd(hFile), &st) != 0) {
        SetLastError(info == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = AttributesFromStat(st, nullptr);
    info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
    info->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    info->nFileSizeLow = static_cast<DWORD>(st.st_size);
    info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    info->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
    info->nFileIndexLow = static_cast<DWORD>(st.st_ino);
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr)
        distance = (static_cast<int64_t>(*lpDistanceToMoveHigh) << 32) |
                   static_cast<uint32_t>(lDistanceToMove);
    const int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == 1 ? SEEK_CUR : SEEK_END;
    const off_t pos = lseek(ToFd(hFile), distance, whence);
    if (pos < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(pos) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(pos);
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
    const int fd = ToFd(hFile);
    const off_t pos = lseek(fd, 0, SEEK_CUR);
    if (pos < 0 || ftruncate(fd, pos) != 0) {
        SetErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
    const int fd = ToFd(hFile);
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
                SetErrorFromErrno(errno);
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
    if (close(ToFd(hObject)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A read-only file stays, as on Windows, where its attribute must be cleared first.
    struct stat st;
    if (lstat(lpFileName, &st) == 0 &&
        (AttributesFromStat(st, lpFileName) & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // unlink never removes a folder, as DeleteFileA never does.
    if (unlink(lpFileName) != 0) {
        SetErrorFromErrno(errno, lpFileName);
        return FALSE;
    }
    return TRUE;
}

namespace {

// Hands a path out as the Win32 path calls do: its length when it fits with its NUL, else
// the size needed, NUL included, and nothing written.
DWORD CopyPathOut(const char* path, size_t length, LPSTR lpBuffer, DWORD cchBuffer) {
    if (length >= cchBuffer)
        return static_cast<DWORD>(length + 1);
    memmove(lpBuffer, path, length);
    lpBuffer[length] = '\0';
    return static_cast<DWORD>(length);
}

}  // namespace

DWORD WINAPI GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath,
                                       DWORD) {
    char link[32];
    snprintf(link, sizeof link, "/proc/self/fd/%d", ToFd(hFile));
    char path[PATH_MAX];
    const ssize_t n = readlink(link, path, sizeof path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof path) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return CopyPathOut(path, static_cast<size_t>(n), lpszFilePath, cchFilePath);
}

DWORD WINAPI GetLongPathNameA(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer) {
    struct stat st;
    if (lpszShortPath == nullptr || lstat(lpszShortPath, &st) != 0) {
        if (lpszShortPath == nullptr)
            SetLastError(ERROR_INVALID_PARAMETER);
        else
            SetErrorFromErrno(errno, lpszShortPath);
        return 0;
    }
    return CopyPathOut(lpszShortPath, strlen(lpszShortPath), lpszLongPath, cchBuffer);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    const int order = strcasecmp(lpString1 != nullptr ? lpString1 : "",
                                 lpString2 != nullptr ? lpString2 : "");
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}
