// win32-linux/advapi32/registry_store.h
//
// The registry's store: one SQLite database per user, which holds the HKEY_CLASSES_ROOT and
// HKEY_CURRENT_USER trees. Keys are rows of `keys` (the two roots are the rows 1 and 2),
// values are rows of `vals`. Names use SQLite's NOCASE collation, which folds the ASCII
// letters only: names compare case-insensitively and keep the spelling they were created
// with, as on Windows. The Win32 calls over it (registry.cpp) make each call one transaction.
// The database is opened and made in registry_database.cpp, the keys' rows are read and
// written in registry_store.cpp.
#ifndef ZAPFILE_STANDIN_ADVAPI32_REGISTRY_STORE_H
#define ZAPFILE_STANDIN_ADVAPI32_REGISTRY_STORE_H

#include <windows.h>

#include <sqlite3.h>

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace standin::registry {

typedef sqlite3_int64 KeyId;

constexpr KeyId kClassesRootId = 1;
constexpr KeyId kCurrentUserId = 2;

enum StatementId {
    kBeginRead,
    kBeginWrite,
    kCommit,
    kRollback,
    kFindChild,
    kKeyExists,
    kInsertKey,
    kHasChild,
    kDeleteKey,
    kDeleteValues,
    kGetValue,
    kSetValue,
    kDeleteValue,
    kEnumKey,
    kEnumKeyAfter,
    kEnumValue,
    kEnumValueAfter,
    kEnumValueAfterScan,
    kCountLevels,
    kKeyParent,
    kOweMenus,
    kMenusOwed,
    kMenusPaid,
    kStatementCount
};

// The Win32 status for an SQLite result code.
LONG StatusOf(int rc, bool writing);

// The registry's folder: $XDG_CONFIG_HOME/zapfile, or ~/.config/zapfile; empty when no home
// folder can be found.
std::string ConfigFolder();

// The one connection of the process, opened at the first call and never closed but by
// Close (tests, and before a fork), or when the path names another file. Statements are
// prepared once, when first needed.
class Database {
public:
    // Opens the database, making it whole first when it does not exist yet. Once it is open,
    // looks at the file first (registry_watch.cpp): a file that has lost its name (replaced by
    // a rename, or removed) is left for the one the path names, and Unchanged tells whether
    // anything was committed since.
    LONG Open();
    void Close();
    LONG Prepare(StatementId id, sqlite3_stmt** out);
    // Runs a statement that returns no rows.
    LONG Run(StatementId id, bool writing);
    sqlite3* handle() const { return db_; }
    // Changes whenever what the database holds may have changed, through this connection or
    // any other, and when the connection is opened again. Read inside a transaction, after
    // its first statement.
    uint64_t Version();
    // Brings a database made by an earlier version up to the current schema; done in the first
    // write transaction of each connection.
    LONG Upgrade();
    // Whether the values are indexed by their key (made by Upgrade); known after the first ask.
    bool HasValueIndex();

    // After Open: true when no process has committed anything since the last Stamp, and the
    // path still names the file then read, so that what was read then still holds.
    bool Unchanged() const { return unchanged_; }
    // In a read transaction that has read, before it ends: notes the state of the database
    // that it read. False when that state cannot be watched: then nothing is Unchanged.
    bool Stamp();
    // Changes with each state that Stamp notes unlike the one before.
    uint64_t Generation() const { return generation_; }
    // Changes when the connection is made to another file than the one before: the keys of the
    // one before are not the keys of this one.
    uint64_t Epoch() const { return epoch_; }

    // The bytes of the file's header that every commit changes (registry_watch.cpp).
    static constexpr int kStampOffset = 18, kStampSize = 22;

private:
    LONG Connect(const std::string& path);
    bool HoldsNoTable();
    int InitializeInPlace();
    // registry_watch.cpp
    void Watch(const std::string& path);
    bool Look();
    bool ReadHeader(unsigned char* header);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statements_[kStatementCount] = {};
    uint32_t connections_ = 0;
    bool upgraded_ = false;
    int valueIndex_ = -1;  // unknown
    // The file watched: SQLite's own, whose header is read through SQLite, and the same file
    // held for its attributes alone; null and -1 when it cannot be watched. The identity of the
    // file last connected.
    sqlite3_file* file_ = nullptr;
    int attributes_ = -1;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    uint64_t epoch_ = 0;
    unsigned char stamp_[kStampSize] = {};
    bool stamped_ = false;
    bool unchanged_ = false;
    uint64_t generation_ = 0;
};

// One statement with its parameters bound; reset at the end of the scope, so that it holds
// no lock past the call and the transaction can end.
class Query {
public:
    Query(Database& db, StatementId id) : status_(db.Prepare(id, &s_)) {}
    ~Query() {
        if (s_ != nullptr)
            sqlite3_reset(s_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    LONG status() const { return status_; }
    void Bind(int i, KeyId v) { Check(sqlite3_bind_int64(s_, i, v)); }
    void Bind(int i, std::string_view text) {
        Check(sqlite3_bind_text(s_, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
    }
    void BindBytes(int i, const BYTE* data, DWORD size) {
        // A null pointer would bind SQL NULL; an empty value is an empty blob.
        Check(size == 0 ? sqlite3_bind_zeroblob(s_, i, 0)
                        : sqlite3_bind_blob64(s_, i, data, size, SQLITE_STATIC));
    }
    // SQLITE_ROW or SQLITE_DONE, or another code when a bind or the step failed.
    int Step() { return status_ == ERROR_SUCCESS ? sqlite3_step(s_) : SQLITE_ERROR; }

    std::string_view Text(int column) {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
        return p != nullptr ? std::string_view(p, sqlite3_column_bytes(s_, column))
                            : std::string_view();
    }
    std::string_view Bytes(int column) {
        const char* p = static_cast<const char*>(sqlite3_column_blob(s_, column));
        return p != nullptr ? std::string_view(p, sqlite3_column_bytes(s_, column))
                            : std::string_view();
    }
    KeyId Int(int column) { return sqlite3_column_int64(s_, column); }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK && status_ == ERROR_SUCCESS)
            status_ = StatusOf(rc, true);
    }

    sqlite3_stmt* s_ = nullptr;
    LONG status_;
};

// The one transaction of a call; rolled back unless committed (a read transaction simply
// ends there).
class Transaction {
public:
    Transaction(Database& db, bool writing)
        : db_(db),
          writing_(writing),
          status_(db.Run(writing ? kBeginWrite : kBeginRead, writing)),
          open_(status_ == ERROR_SUCCESS) {
        if (open_ && writing)
            status_ = db.Upgrade();
    }
    ~Transaction() {
        if (open_)
            db_.Run(kRollback, writing_);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    LONG status() const { return status_; }
    LONG Commit() {
        const LONG status = db_.Run(kCommit, writing_);
        if (status == ERROR_SUCCESS)
            open_ = false;
        return status;
    }

private:
    Database& db_;
    bool writing_;
    LONG status_;
    bool open_;
};

// ---- Key rows -------------------------------------------------------------------------------

// A subkey path split into its levels, top first.
typedef std::vector<std::string_view> KeyPath;

bool IsRoot(KeyId key);
// ERROR_KEY_DELETED when a handle's key was deleted after it was opened.
LONG KeyAlive(Database& db, KeyId key);
// The answer when nothing was found below a key: `status`, or why the key itself is gone.
LONG Missing(Database& db, KeyId key, LONG status);
// Windows' limit on the depth of the tree, below a root key.
constexpr size_t kMaxKeyDepth = 512;

// Follows the levels down from a key; with `create`, makes each missing level. A level that
// would lie deeper than kMaxKeyDepth is not made (ERROR_INVALID_PARAMETER).
LONG Walk(Database& db, KeyId from, const KeyPath& levels, bool create, KeyId* out);
// The names of the levels from the key's root down to the key (none for a root).
LONG KeyNames(Database& db, KeyId key, std::vector<std::string>* names);
// Runs a statement on (key) or (key, name) that changes rows; ERROR_FILE_NOT_FOUND when
// it changed none.
LONG Change(Database& db, StatementId id, KeyId key, const std::string_view* name);

}  // namespace standin::registry

#endif
