// win32-linux/shell32/menu_files.cpp
#include "shell32/menu_files.h"

#include "kernel32/user_folders.h"
#include "shell32/menu_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace standin::menus {
namespace {

// Where the records and the lock live; empty when no home folder can be found.
std::string MenusFolder() {
    const std::string config = XdgHome("XDG_CONFIG_HOME", ".config");
    return config.empty() ? config : config + "/zapfile/menus";
}

}  // namespace

std::string Reason(int err) {
    switch (err) {
    case kUsersFile:
        return "a file of the user's has this name";
    case kNotAList:
        return "not a plain list of actions";
    case ELOOP:
        return "a symbolic link, not a file";
    case EFBIG:
        return "too large";
    case EINVAL:
        return "not a regular file";
    default:
        return strerror(err);
    }
}

int ReadRegular(const std::string& path, size_t limit, std::string* bytes, mode_t* mode) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    int err = fstat(fd, &st) != 0 ? errno
              : S_ISDIR(st.st_mode) ? EISDIR
              : !S_ISREG(st.st_mode) ? EINVAL
              : static_cast<size_t>(st.st_size) > limit ? EFBIG
                                                        : 0;
    if (err == 0) {
        bytes->resize(static_cast<size_t>(st.st_size));
        const ssize_t n = read(fd, bytes->data(), bytes->size());
        err = n < 0 ? errno : static_cast<size_t>(n) != bytes->size() ? EIO : 0;
        *mode = st.st_mode & 07777;
    }
    close(fd);
    return err;
}

int WriteWhole(const std::string& folder, const std::string& path, const std::string& bytes,
               mode_t mode, bool replace) {
    std::string temp = folder + "/.zapfile-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                      fsync(fd) == 0 && fchmod(fd, mode) == 0
                  ? 0
                  : errno != 0 ? errno : EIO;
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && replace && rename(temp.c_str(), path.c_str()) != 0)
        err = errno;
    // A new entry goes only where nothing is: a file the user made meanwhile stays.
    if (err == 0 && !replace && link(temp.c_str(), path.c_str()) != 0)
        err = errno;
    unlink(temp.c_str());
    return err;
}

int WritableFolder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/')
        return ENOENT;
    std::string at = folder;
    for (;;) {
        struct stat st;
        if (stat(at.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return ENOTDIR;
            return faccessat(AT_FDCWD, at.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
        }
        if (errno != ENOENT)
            return errno;
        at.resize(at.rfind('/'));  // the nearest folder above that is there must take it
        if (at.empty())
            return ENOENT;
    }
}

Record::Record(const char* id) {
    const std::string menus = MenusFolder();
    folder_ = menus.empty() ? menus : menus + "/" + id;
    DIR* dir = folder_.empty() ? nullptr : opendir(folder_.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* e = readdir(dir)) {
        std::string bytes;
        mode_t mode = 0;
        if (e->d_name[0] != '.' &&
            ReadRegular(folder_ + "/" + e->d_name, kMaxEntry, &bytes, &mode) == 0)
            entries_[e->d_name] = bytes;
    }
    closedir(dir);
}

int Record::Writable() const {
    return WritableFolder(folder_);
}

bool Record::Holds(const std::string& name, const std::string& bytes) const {
    const auto found = entries_.find(name);
    return found != entries_.end() && found->second == bytes;
}

int Record::Keep(const std::string& name, const std::string& bytes) {
    if (Holds(name, bytes))
        return 0;
    if (!MakeFolders(folder_)) {
        const int err = WritableFolder(folder_);
        return err != 0 ? err : EIO;
    }
    const int err = WriteWhole(folder_, folder_ + "/" + name, bytes, 0600, true);
    if (err == 0)
        entries_[name] = bytes;
    return err;
}

void Record::Forget(const std::string& name) {
    if (entries_.erase(name) > 0)
        unlink((folder_ + "/" + name).c_str());
}

SyncLock::SyncLock() {
    const std::string menus = MenusFolder();
    if (menus.empty() || !MakeFolders(menus)) {
        error_ = menus.empty() ? ENOENT : WritableFolder(menus);
        error_ = error_ != 0 ? error_ : EIO;
        return;
    }
    fd_ = open((menus + "/lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    while (flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = errno;
            return;
        }
    }
}

SyncLock::~SyncLock() {
    if (fd_ >= 0)
        close(fd_);  // and with it the lock
}

}  // namespace standin::menus
