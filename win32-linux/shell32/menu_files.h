// win32-linux/shell32/menu_files.h
// The files behind the file managers' menus: reading an entry, writing one in a single step,
// the record of what this program wrote last, and the lock that keeps one sync at a time.
#ifndef ZAPFILE_STANDIN_SHELL32_MENU_FILES_H
#define ZAPFILE_STANDIN_SHELL32_MENU_FILES_H

#include <sys/types.h>

#include <map>
#include <string>

namespace standin::menus {

// A code of our own beside errno's: the file is there but is not this program's.
constexpr int kUsersFile = -1;
// Another: uca.xml is not a plain list of actions.
constexpr int kNotAList = -2;

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
// files of their own in $XDG_CONFIG_HOME/zapfile/menus/ID.
class Record {
public:
    explicit Record(const char* id);
    // 0 when the record can be kept; else why not.
    int Writable() const;
    const std::map<std::string, std::string>& entries() const { return entries_; }
    // True when `bytes` are what was written last under `name`.
    bool Holds(const std::string& name, const std::string& bytes) const;
    int Keep(const std::string& name, const std::string& bytes);
    void Forget(const std::string& name);

private:
    std::string folder_;
    std::map<std::string, std::string> entries_;
};

// One sync at a time across processes: each reads the registry only after the one before has
// written, so no sync works from an older reading than the last one. Held until destroyed.
class SyncLock {
public:
    SyncLock();
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
