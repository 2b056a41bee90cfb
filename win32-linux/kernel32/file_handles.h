// win32-linux/kernel32/file_handles.h
// What the stand-in keeps beside each open file handle, shared by the file calls. A HANDLE is
// the descriptor plus one, so that no valid handle is null or INVALID_HANDLE_VALUE.
#ifndef ZAPFILE_STANDIN_KERNEL32_FILE_HANDLES_H
#define ZAPFILE_STANDIN_KERNEL32_FILE_HANDLES_H

#include <windows.h>

#include <string>
#include <sys/stat.h>

namespace standin {

// An open file: the folder its name was found in, held open so that the name is removed
// from there and nowhere else, its name in that folder, and what can never change while it
// is open (its kind, device and inode, its file system), each read once when first needed.
struct OpenFile {
    int fd = -1;
    int folderFd = -1;   // -1: no folder held (a folder opened as itself)
    std::string name;
    DWORD access = 0;    // as asked for: GENERIC_WRITE, DELETE ...
    bool known = false;  // kind, dev and ino below have been read
    mode_t kind = 0;     // S_IFREG, S_IFDIR ...
    dev_t dev = 0;
    ino_t ino = 0;
    int onKernelFs = -1;  // 1: proc, sysfs ...; 0: a file system that stores; -1: not yet read
    bool removed = false;  // its name was removed through it
};

HANDLE ToHandle(int fd);
int ToFd(HANDLE h);

// Keeps `file` for its descriptor and gives its handle; the folder's descriptor, if any, is
// now held by one more handle.
HANDLE AddOpenFile(const OpenFile& file);
// The open file behind a handle; null for one the file calls did not give.
OpenFile* OpenFileOf(HANDLE h);
// Closes the handle's descriptor, and the folder's when no other handle holds it.
bool CloseOpenFile(HANDLE h);
// Notes what never changes, from a fresh look at the file.
void Remember(OpenFile* file, mode_t mode, dev_t dev, ino_t ino);
// Reads the file's kind and identity once; false when the descriptor cannot be read.
bool Know(OpenFile* file);
// True for a file of the kernel's own file systems (proc, sysfs ...), read once.
bool OnKernelFileSystem(OpenFile* file);
// This process's folder of descriptors, /proc/self/fd, held open, and the name of a descriptor
// in it: a descriptor's link is looked up there by its number alone.
int ProcessFds();
struct FdName {
    explicit FdName(int fd);
    char text[16];
};
// True for the magic number (statfs's f_type) of one of those file systems.
bool IsKernelFileSystem(long magic);

// The attributes Windows would give a file of this mode.
DWORD AttributesFromMode(mode_t mode);
// The last error for a failed system call, errno kept behind it; `missing` is the error for
// ENOENT (Windows tells a missing folder from a missing last name).
void SetErrorFromErrno(int err, DWORD missing = ERROR_FILE_NOT_FOUND);

}  // namespace standin

#endif
