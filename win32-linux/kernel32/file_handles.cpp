// win32-linux/kernel32/file_handles.cpp
#include "kernel32/file_handles.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pthread.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>

#include "kernel32/last_error.h"

namespace standin {
namespace {

// The program has one thread that calls these: nothing here is locked.
std::unordered_map<int, OpenFile>& Files() {
    static std::unordered_map<int, OpenFile> files;
    return files;
}

// How many handles hold each folder descriptor.
std::unordered_map<int, int>& FolderUses() {
    static std::unordered_map<int, int> uses;
    return uses;
}

// /proc/self/fd as opened: -2 before the first use. A child of fork holds its parent's folder
// and opens its own.
int g_processFds = -2;

void ForgetProcessFds() {
    if (g_processFds >= 0)
        close(g_processFds);
    g_processFds = -2;
}

}  // namespace

int ProcessFds() {
    if (g_processFds == -2) {
        static const bool forgotInChildren =
            pthread_atfork(nullptr, nullptr, ForgetProcessFds) == 0;
        (void)forgotInChildren;
        g_processFds = open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    return g_processFds;
}

FdName::FdName(int fd) {
    // A handle that is none (-1) names no entry of the folder.
    char digits[sizeof text];
    size_t n = 0;
    unsigned value = fd < 0 ? 0u - static_cast<unsigned>(fd) : static_cast<unsigned>(fd);
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    size_t i = 0;
    if (fd < 0)
        text[i++] = '-';
    while (n > 0)
        text[i++] = digits[--n];
    text[i] = '\0';
}

// The kernel's own file systems: their files show an interface of the kernel, where a write
// acts (sets a process's name, a device's state, a security policy) instead of storing.
bool IsKernelFileSystem(long magic) {
    static constexpr long kMagics[] = {
        0x9fa0,      // proc
        0x62656572,  // sysfs
        0x64626720,  // debugfs
        0x74726163,  // tracefs
        0x73636673,  // securityfs
        0x27e0eb,    // cgroup
        0x63677270,  // cgroup2
        0x62656570,  // configfs
        0xde5e81e4,  // efivarfs
        0xcafe4a11,  // bpf
        0x6165676c,  // pstore
        0xf97cff8c,  // selinuxfs
        0x43415d53,  // smackfs
        0x42494e4d,  // binfmt_misc
        0x65735543,  // fusectl
        0x19800202,  // mqueue
        0x6e667364,  // nfsd
        0x67596969,  // rpc_pipefs
        0x1cd1,      // devpts
    };
    for (long m : kMagics)
        if (magic == m)
            return true;
    return false;
}

HANDLE ToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1); }

int ToFd(HANDLE h) {
    const intptr_t v = reinterpret_cast<intptr_t>(h);
    return (h == nullptr || h == INVALID_HANDLE_VALUE || v > INT32_MAX) ? -1 : static_cast<int>(v - 1);
}

HANDLE AddOpenFile(const OpenFile& file) {
    if (file.folderFd >= 0)
        ++FolderUses()[file.folderFd];
    Files()[file.fd] = file;
    return ToHandle(file.fd);
}

OpenFile* OpenFileOf(HANDLE h) {
    const auto it = Files().find(ToFd(h));
    return it == Files().end() ? nullptr : &it->second;
}

bool CloseOpenFile(HANDLE h) {
    const int fd = ToFd(h);
    const auto it = Files().find(fd);
    if (it != Files().end()) {
        const int folderFd = it->second.folderFd;
        Files().erase(it);
        if (folderFd >= 0 && --FolderUses()[folderFd] == 0) {
            FolderUses().erase(folderFd);
            close(folderFd);
        }
    }
    return fd >= 0 && close(fd) == 0;
}

void Remember(OpenFile* file, mode_t mode, dev_t dev, ino_t ino) {
    file->known = true;
    file->kind = mode & S_IFMT;
    file->dev = dev;
    file->ino = ino;
}

bool Know(OpenFile* file) {
    struct stat st;
    if (!file->known && fstat(file->fd, &st) == 0)
        Remember(file, st.st_mode, st.st_dev, st.st_ino);
    return file->known;
}

bool OnKernelFileSystem(OpenFile* file) {
    // NOTE: the kernel's file systems have no device of their own: their device numbers are
    // anonymous ones, of major number 0. A file on a block device is on a disk.
    if (file->onKernelFs < 0 && file->known && major(file->dev) != 0)
        file->onKernelFs = 0;
    struct statfs fs;
    if (file->onKernelFs < 0 && fstatfs(file->fd, &fs) == 0)
        file->onKernelFs = IsKernelFileSystem(static_cast<long>(fs.f_type)) ? 1 : 0;
    return file->onKernelFs == 1;
}

DWORD AttributesFromMode(mode_t mode) {
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;  // set on every file written, as Windows does
    else if (S_ISLNK(mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    else
        attributes |= FILE_ATTRIBUTE_DEVICE;
    // NOTE: without any write bit a file is read-only for everybody, root included, as the
    // read-only attribute binds administrators on Windows.
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

void SetErrorFromErrno(int err, DWORD missing) {
    DWORD error = ERROR_INVALID_PARAMETER;
    switch (err) {
    case ENOENT:
        error = missing;
        break;
    case ENOTDIR:
        error = ERROR_PATH_NOT_FOUND;
        break;
    case ENAMETOOLONG:
        error = ERROR_FILENAME_EXCED_RANGE;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ELOOP:  // a link met where links are not followed
    case ETXTBSY:
    case EBADF:  // a handle without the access asked for
        error = ERROR_ACCESS_DENIED;
        break;
    case EEXIST:
        error = ERROR_FILE_EXISTS;
        break;
    case ENXIO:  // a FIFO without a reader, a device without its driver
    case EAGAIN:
    case EBUSY:
        error = ERROR_SHARING_VIOLATION;
        break;
    case ENOSPC:
    case EDQUOT:
        error = ERROR_DISK_FULL;
        break;
    case ENOMEM:
        error = ERROR_NOT_ENOUGH_MEMORY;
        break;
    }
    SetLastErrorFromUnix(error, err);
}

}  // namespace standin
