// win32-linux/shell32/menu_files.h
// The files behind the file managers' menus: reading an entry, writing one in a single step,
// the record of what this program wrote last, and the lock that keeps one sync at a time.
#ifndef ZAPFILE_STANDIN_SHELL32_MENU_FILES_H
#define ZAPFILE_STANDIN_SHELL32_MENU_FILES_H

#include <sys/types.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace standin::menus {

// Codes of our own beside errno's: the file is there but is not this program's; uca.xml is
// not a plain list of actions; the entry would not be UTF-8, or too large to be found again, in
// a format that needs it; another process held the menus' lock past the wait.
constexpr int kUsersFile = -1;
constexpr int kNotAList = -2;
constexpr int kNotUtf8 = -3;
constexpr int kTooLarge = -4;
constexpr int kLockHeld = -5;

// Why a file could not be read or written, for a message.
std::string Reason(int err);

// The bytes and permission bits of a regular file of at most `limit` bytes. 0, or why not:
// ENOENT, ELOOP for a symbolic link, EFBIG when larger, EISDIR or EINVAL for what is not a
// file, or the error of the read.
int ReadRegular(const std::string& path, size_t limit, std::string* bytes, mode_t* mode);

// Puts `bytes` at `path` in one step, through a hidden file in the same folder that no file
// manager reads: over whatever is there with `replace`, else only where nothing is. 0 or why
// not (EEXIST when something came first).
int WriteWhole(const std::string& folder, const std::string& path, const std::string& bytes,
               mode_t mode, bool replace);

// 0 when `folder` is a folder this process may add files to, or can be made as one below
// such a folder; else why not.
int WritableFolder(const std::string& folder);

// What this program wrote last for one file manager, by entry name (for Thunar: by verb):
// files of their own in $XDG_CONFIG_HOME/zapfile/menus/ID. What it is about to write is
// recorded first, in menus/ID.next, so that an entry written by a process that died before it
// could keep its record is still known as this program's.
class Record {
public:
    explicit Record(const char* id);
    // 0 when the record can be kept; else why not.
    int Writable() const;
    // Every name with its bytes: those written last, then those about to be written.
    std::vector<std::pair<std::string, std::string>> entries() const;
    // True when `bytes` are what was written last under `name`, or what was about to be.
    bool Holds(const std::string& name, const std::string& bytes) const;
    int Intend(const std::string& name, const std::string& bytes);
    int Keep(const std::string& name, const std::string& bytes);
    void Forget(const std::string& name);

private:
    std::string folder_, next_;
    std::map<std::string, std::string> entries_, intended_;
};

// How long a sync waits for another process's: as long as the registry waits for its
// database. A lock held longer is held by something else than a sync.
constexpr int kLockWaitMs = 5000;

// One sync at a time across processes: each reads the registry only after the one before has
// written, so no sync works from an older reading than the last one. Held until destroyed.
// Without `wait` it is tried once.
class SyncLock {
public:
    explicit SyncLock(bool wait);
    ~SyncLock();
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;
    // 0 when held; else why not.
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace standin::menus

#endif
