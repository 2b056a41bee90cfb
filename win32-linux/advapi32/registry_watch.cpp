// win32-linux/advapi32/registry_watch.cpp
//
// How a process knows, without a transaction, that nothing was committed to the registry since
// it last read: what it read then may be handed out again (registry_cache.h), at the cost of
// an fstat and a read of 22 bytes instead of a transaction's locks and looks.
//
// Every commit changes the header: SQLite, in its rollback-journal mode (the registry's),
// raises the file change counter at offset 24 and writes the first page with it before the
// commit's end, the journal's deletion, and so before the writer's call returns. The next
// commit raises it again from the committed value, and a commit that did not finish (its
// writer killed) is rolled back by the next reader to the last committed header; so once a
// commit has been acknowledged the file never again shows a header from before it. SQLite
// keeps its own page cache between transactions by this same comparison of bytes 24 to 39.
//   - Stamp notes the header while a read transaction holds its shared lock: no writer can
//     touch the file then, and SQLite has already rolled back a dead writer's half commit, so
//     the header belongs to the committed state that the transaction read.
//   - Look compares the header with that note without any lock, at the start of each call. A
//     commit in progress may already show a new header (then the call reads the database) or
//     not yet (then it has not been acknowledged, and the state noted is still the last
//     committed one). A writer killed after writing pages but before the header leaves the
//     header as it was, and the pages are rolled back before anyone reads them.
//   - A database replaced by a rename over it, or removed, leaves the file held without a
//     name: Look sees its link count at 0, and the database is connected again at its path
//     (Database::Open), its keys a new epoch. NOTE: as SQLite itself, the process keeps a file
//     that still has a name: one moved aside (or linked elsewhere) before another was put in
//     its place is still read.
// Only a file in the rollback-journal mode (header bytes 18 and 19 both 1) on a local file
// system is watched: a WAL database does not raise the counter at each commit, and a network
// file system may show a reader without a lock an old page or an old inode. Any other file
// is read in a transaction at every call.

#include "advapi32/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>

namespace standin::registry {
namespace {

// File systems whose pages and names every process sees at once (statfs's f_type).
bool IsLocalFileSystem(long magic) {
    static constexpr long kMagics[] = {
        0xef53,      // ext2, ext3, ext4
        0x58465342,  // xfs
        0x9123683e,  // btrfs
        0x01021994,  // tmpfs
        0x858458f6,  // ramfs
        0xf2f52010,  // f2fs
        0x794c7630,  // overlayfs
        0x2fc12fc1,  // zfs
        0xca451a4e,  // bcachefs
    };
    for (long m : kMagics)
        if (magic == m)
            return true;
    return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// Holds the file SQLite has just opened for its attributes (an O_PATH descriptor, whose close
// cannot release SQLite's locks as the close of another descriptor of the file would): the
// path names the same file before and after SQLite says that its own file is the one there.
void Database::Watch(const std::string& path) {
    file_ = nullptr;
    stamped_ = unchanged_ = false;
    attributes_ = open(path.c_str(), O_PATH | O_CLOEXEC);
    struct stat held, after;
    int moved = 1;
    const bool known =
        attributes_ >= 0 && fstat(attributes_, &held) == 0 &&
        sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
        moved == 0 && stat(path.c_str(), &after) == 0 && SameFile(held, after);
    if (!known || held.st_dev != dev_ || held.st_ino != ino_) {
        ++epoch_;
        dev_ = known ? held.st_dev : 0;
        ino_ = known ? held.st_ino : 0;
    }
    struct statfs fs;
    sqlite3_file* file = nullptr;
    if (known && fstatfs(attributes_, &fs) == 0 &&
        IsLocalFileSystem(static_cast<long>(fs.f_type)) &&
        sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
        file != nullptr && file->pMethods != nullptr)
        file_ = file;
}

// False when the file has lost its name: the path names another file now, or none.
bool Database::Look() {
    unchanged_ = false;
    if (file_ == nullptr)
        return true;
    struct stat st;
    if (fstat(attributes_, &st) == 0 && st.st_nlink == 0)
        return false;
    unsigned char header[kStampSize];
    unchanged_ = stamped_ && ReadHeader(header) && memcmp(header, stamp_, kStampSize) == 0;
    return true;
}

bool Database::ReadHeader(unsigned char* header) {
    return file_->pMethods->xRead(file_, header, kStampSize, kStampOffset) == SQLITE_OK;
}

bool Database::Stamp() {
    if (file_ == nullptr || sqlite3_txn_state(db_, "main") != SQLITE_TXN_READ)
        return false;
    unsigned char header[kStampSize];
    if (!ReadHeader(header) || header[0] != 1 || header[1] != 1) {
        stamped_ = false;
        ++generation_;
        return false;
    }
    if (!stamped_ || memcmp(header, stamp_, kStampSize) != 0) {
        memcpy(stamp_, header, kStampSize);
        stamped_ = true;
        ++generation_;
    }
    return true;
}

}  // namespace standin::registry
