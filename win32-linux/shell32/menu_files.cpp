// win32-linux/shell32/menu_files.cpp
#include "shell32/menu_files.h"

#include "kernel32/user_folders.h"
#include "shell32/menu_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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
    case kNotUtf8:
        return "the command is not UTF-8, which this format must be";
    case kTooLarge:
        return "the command is too long for an entry";
    case kLockHeld:
        return "another program has held the menus' lock for " +
               std::to_string(kLockWaitMs / 1000) + " s";
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

namespace {

std::map<std::string, std::string> ReadRecords(const std::string& folder) {
    std::map<std::string, std::string> records;
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (dir == nullptr)
        return records;
    while (const dirent* e = readdir(dir)) {
        std::string bytes;
        mode_t mode = 0;
        if (e->d_name[0] != '.' &&
            ReadRegular(folder + "/" + e->d_name, kMaxEntry, &bytes, &mode) == 0)
            records[e->d_name] = bytes;
    }
    closedir(dir);
    return records;
}

int WriteRecord(const std::string& folder, const std::string& name, const std::string& bytes) {
    if (!MakeFolders(folder)) {
        const int err = WritableFolder(folder);
        return err != 0 ? err : EIO;
    }
    return WriteWhole(folder, folder + "/" + name, bytes, 0600, true);
}

}  // namespace

Record::Record(const char* id) {
    const std::string menus = MenusFolder();
    folder_ = menus.empty() ? menus : menus + "/" + id;
    next_ = menus.empty() ? menus : folder_ + ".next";
    entries_ = ReadRecords(folder_);
    intended_ = ReadRecords(next_);
}

int Record::Writable() const {
    const int err = WritableFolder(folder_);
    return err != 0 ? err : WritableFolder(next_);
}

std::vector<std::pair<std::string, std::string>> Record::entries() const {
    std::vector<std::pair<std::string, std::string>> all(entries_.begin(), entries_.end());
    all.insert(all.end(), intended_.begin(), intended_.end());
    return all;
}

bool Record::Holds(const std::string& name, const std::string& bytes) const {
    for (const auto* records : {&entries_, &intended_}) {
        const auto found = records->find(name);
        if (found != records->end() && found->second == bytes)
            return true;
    }
    return false;
}

int Record::Intend(const std::string& name, const std::string& bytes) {
    if (Holds(name, bytes))
        return 0;
    const int err = WriteRecord(next_, name, bytes);
    if (err == 0)
        intended_[name] = bytes;
    return err;
}

int Record::Keep(const std::string& name, const std::string& bytes) {
    const auto found = entries_.find(name);
    if (found == entries_.end() || found->second != bytes) {
        const int err = WriteRecord(folder_, name, bytes);
        if (err != 0)
            return err;
        entries_[name] = bytes;
    }
    if (intended_.erase(name) > 0)
        unlink((next_ + "/" + name).c_str());
    return 0;
}

void Record::Forget(const std::string& name) {
    if (entries_.erase(name) > 0)
        unlink((folder_ + "/" + name).c_str());
    if (intended_.erase(name) > 0)
        unlink((next_ + "/" + name).c_str());
}

SyncLock::SyncLock(bool wait) {
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
    // Polled: a wait with a limit needs no signal. The pause grows from 1 ms to 4 ms: a sync
    // holds the lock for a few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    for (int pause = 1; flock(fd_, LOCK_EX | LOCK_NB) != 0; pause = std::min(pause * 2, 4)) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error_ = errno;
            return;
        }
        if (!wait || std::chrono::steady_clock::now() >= deadline) {
            error_ = kLockHeld;
            return;
        }
        usleep(pause * 1000);
    }
}

SyncLock::~SyncLock() {
    if (fd_ >= 0)
        close(fd_);  // and with it the lock
}

}  // namespace standin::menus
