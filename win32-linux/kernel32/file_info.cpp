// win32-linux/kernel32/file_info.cpp
// What an open file is, and what is set through its handle: its end, and its removal.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "kernel32/file_handles.h"
#include "kernel32/last_error.h"

using standin::OpenFile;

namespace {

// The open file behind a handle, its kind and identity read; null (the last error set) for
// a handle that is none.
OpenFile* KnownFile(HANDLE hFile) {
    OpenFile* file = standin::OpenFileOf(hFile);
    if (file == nullptr || !standin::Know(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return file;
}

// Removes the file's name from the folder it was opened in, as long as that name still holds
// this very file. NOTE: Linux cannot remove a name by the open file: between the look at the
// name and its removal, the name could be given to another file, by a rename within that same
// folder, which only someone who may remove that name anyway can do. A swap of the folder
// itself, or of any folder above it, reaches nothing: the folder is held open.
BOOL RemoveName(OpenFile* file) {
    struct stat st;
    if (file->folderFd < 0 || file->removed || (file->access & DELETE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (fstatat(file->folderFd, file->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        standin::SetErrorFromErrno(errno);
        return FALSE;
    }
    if (st.st_dev != file->dev || st.st_ino != file->ino) {
        standin::SetLastErrorFromUnix(ERROR_FILE_NOT_FOUND, ENOENT);  // the file has moved
        return FALSE;
    }
    // A read-only file stays, as on Windows, where its attribute must be cleared first.
    if (standin::AttributesFromMode(st.st_mode) & FILE_ATTRIBUTE_READONLY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlinkat(file->folderFd, file->name.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) != 0) {
        standin::SetErrorFromErrno(errno);
        return FALSE;
    }
    file->removed = true;
    return TRUE;
}

}  // namespace

DWORD WINAPI GetFileType(HANDLE hFile) {
    OpenFile* file = KnownFile(hFile);
    if (file == nullptr)
        return FILE_TYPE_UNKNOWN;
    switch (file->kind) {
    case S_IFREG:
        return standin::OnKernelFileSystem(file) ? FILE_TYPE_CHAR : FILE_TYPE_DISK;
    case S_IFDIR:
    case S_IFLNK:  // the link itself, opened as Windows opens a reparse point
        return FILE_TYPE_DISK;
    case S_IFCHR:
        return FILE_TYPE_CHAR;
    case S_IFIFO:
    case S_IFSOCK:
        return FILE_TYPE_PIPE;
    default:
        return FILE_TYPE_UNKNOWN;  // block devices are not files on a disk here
    }
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info) {
    OpenFile* file = standin::OpenFileOf(hFile);
    struct statx st;
    if (info == nullptr || file == nullptr ||
        statx(file->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &st) != 0) {
        SetLastError(info == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const dev_t dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    standin::Remember(file, st.stx_mode, dev, st.stx_ino);
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = standin::AttributesFromMode(st.stx_mode);
    // NOTE: a file the kernel keeps from being changed (immutable) or cut (append-only) is
    // read-only, whatever its write bits, as the read-only attribute binds everyone.
    if (st.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        info->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    if (S_ISREG(st.stx_mode) && standin::OnKernelFileSystem(file))
        info->dwFileAttributes = (info->dwFileAttributes & ~FILE_ATTRIBUTE_ARCHIVE) |
                                 FILE_ATTRIBUTE_DEVICE;
    info->dwVolumeSerialNumber = static_cast<DWORD>(dev);
    info->nFileSizeHigh = static_cast<DWORD>(st.stx_size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(st.stx_size);
    info->nNumberOfLinks = st.stx_nlink;
    info->nFileIndexHigh = static_cast<DWORD>(st.stx_ino >> 32);
    info->nFileIndexLow = static_cast<DWORD>(st.stx_ino);
    return TRUE;
}

BOOL WINAPI SetFileInformationByHandle(HANDLE hFile, FILE_INFO_BY_HANDLE_CLASS infoClass,
                                       LPVOID lpFileInformation, DWORD dwBufferSize) {
    OpenFile* file = KnownFile(hFile);
    if (file == nullptr)
        return FALSE;
    if (infoClass == FileEndOfFileInfo && dwBufferSize >= sizeof(FILE_END_OF_FILE_INFO)) {
        const auto* end = static_cast<const FILE_END_OF_FILE_INFO*>(lpFileInformation);
        if (ftruncate(file->fd, static_cast<off_t>(end->EndOfFile.QuadPart)) != 0) {
            standin::SetErrorFromErrno(errno);
            return FALSE;
        }
        return TRUE;
    }
    if (infoClass == FileDispositionInfo && dwBufferSize >= sizeof(FILE_DISPOSITION_INFO))
        return !static_cast<const FILE_DISPOSITION_INFO*>(lpFileInformation)->DeleteFile ||
               RemoveName(file);
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
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

// A find handle: the one entry was handed out at once.
struct FindHandle {};

}  // namespace

DWORD WINAPI GetFinalPathNameByHandleA(HANDLE hFile, LPSTR lpszFilePath, DWORD cchFilePath,
                                       DWORD) {
    char path[PATH_MAX];
    const ssize_t n =
        readlinkat(standin::ProcessFds(), standin::FdName(standin::ToFd(hFile)).text, path, sizeof path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof path) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return CopyPathOut(path, static_cast<size_t>(n), lpszFilePath, cchFilePath);
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA data) {
    if (lpFileName == nullptr || data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const char* slash = strrchr(lpFileName, '/');
    const char* name = slash != nullptr ? slash + 1 : lpFileName;
    struct stat st;
    if (*name == '\0' || fstatat(AT_FDCWD, lpFileName, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // Windows tells a missing folder from a missing last name.
        const std::string folder = slash != nullptr ? std::string(lpFileName, slash + 1) : ".";
        const bool inFolder = *name == '\0' || (errno == ENOENT && stat(folder.c_str(), &st) == 0 &&
                                                S_ISDIR(st.st_mode));
        standin::SetErrorFromErrno(*name == '\0' ? ENOENT : errno,
                                   inFolder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = WIN32_FIND_DATAA{};
    data->dwFileAttributes = standin::AttributesFromMode(st.st_mode);
    data->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    data->nFileSizeLow = static_cast<DWORD>(st.st_size);
    snprintf(data->cFileName, sizeof data->cFileName, "%s", name);
    return reinterpret_cast<HANDLE>(new FindHandle);
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    delete reinterpret_cast<FindHandle*>(hFindFile);
    return TRUE;
}
