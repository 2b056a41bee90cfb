// win32-linux/advapi32/registry.cpp
//
// The advapi32 registry calls over one SQLite database per user, which holds the
// HKEY_CLASSES_ROOT and HKEY_CURRENT_USER trees. Each call is one transaction, so several
// processes may read and write the registry at once without losing a write.
//
// Keys are rows of `keys` (the two roots are the rows 1 and 2), values are rows of `vals`.
// Names use SQLite's NOCASE collation, which folds the ASCII letters only: names compare
// case-insensitively and keep the spelling they were created with, as on Windows.
//
// The program reads its one setting on every run, and a run must cost about as much as `rm`.
// So the database is opened at the first call and never closed, an open does no schema work
// on an existing database, statements are prepared once when first needed, SQLite lays out
// no memory in advance, and the file keeps SQLite's rollback journal: in WAL mode each run
// that finds no other process at work rebuilds the shared-memory index, which made the
// settings read about a fifth slower. Concurrent writers stay safe either way: each call is
// one transaction, writers lock at BEGIN, and a busy process waits for the other.

#include <windows.h>

#include "shell32/file_manager_menus.h"
#include "advapi32/registry.h"
#include "kernel32/user_folders.h"

#include <fcntl.h>
#include <pthread.h>
#include <sqlite3.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

typedef sqlite3_int64 KeyId;

constexpr KeyId kClassesRootId = 1;
constexpr KeyId kCurrentUserId = 2;
// Long enough for another process's write to finish: a write takes milliseconds.
constexpr int kBusyTimeoutMs = 5000;
// The Win32 limits on names, in characters.
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;

// AUTOINCREMENT: the id of a deleted key is never given to a new key, so a handle to the
// deleted key keeps answering ERROR_KEY_DELETED instead of reaching a stranger.
constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS vals("
    " id INTEGER PRIMARY KEY,"
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, name));"
    "INSERT OR IGNORE INTO keys(id, parent, name)"
    " VALUES(1, 0, 'HKEY_CLASSES_ROOT'), (2, 0, 'HKEY_CURRENT_USER');";

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
    kEnumValue,
    kStatementCount
};

constexpr const char* kSql[kStatementCount] = {
    "BEGIN",
    // A writer takes the write lock first: a read transaction that later wants to write
    // fails at once with SQLITE_BUSY, without waiting.
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SELECT id FROM keys WHERE parent = ?1 AND name = ?2",
    "SELECT 1 FROM keys WHERE id = ?1",
    "INSERT INTO keys(parent, name) VALUES(?1, ?2)",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "DELETE FROM keys WHERE id = ?1",
    "DELETE FROM vals WHERE key = ?1",
    "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2",
    // A value written again keeps its place in the enumeration and its first spelling.
    "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4)"
    " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND name = ?2",
    // Subkeys come sorted by name regardless of case, as Windows lists them; the unique
    // index already holds them in that order.
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY name LIMIT 1 OFFSET ?2",
    // Values come in creation order, as on Windows.
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
};

LONG StatusOf(int rc, bool writing) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ERROR_REGISTRY_CORRUPT;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return ERROR_CANTOPEN;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

// The registry's folder: $XDG_CONFIG_HOME/zapfile, or ~/.config/zapfile.
std::string ConfigFolder() {
    const std::string base = standin::XdgHome("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "/zapfile";
}

using standin::MakeFolders;

void RemoveDatabaseFiles(const std::string& path) {
    unlink(path.c_str());
    unlink((path + "-journal").c_str());
}

// Small pages: the registry holds a few kilobytes, and a run reads a handful of pages, each
// of which costs fresh memory to hold.
constexpr char kPageSize[] = "PRAGMA page_size = 1024;";

// Makes a complete database under a private name, then links it into place: another process
// never sees a half-made database, and one made meanwhile by another process is kept.
LONG CreateDatabase(const std::string& folder, const std::string& path) {
    if (!MakeFolders(folder))
        return ERROR_CANTOPEN;
    const std::string temp = path + ".new-" + std::to_string(getpid());
    RemoveDatabaseFiles(temp);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(temp.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        const std::string script = std::string(kPageSize) + "BEGIN;" + kSchema + "COMMIT;";
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    bool placed = false;
    if (rc == SQLITE_OK && chmod(temp.c_str(), 0600) == 0) {
        if (link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST)
            placed = true;
        else  // a file system without hard links
            placed =
                renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0 ||
                errno == EEXIST;
    }
    RemoveDatabaseFiles(temp);
    return placed ? ERROR_SUCCESS : ERROR_CANTOPEN;
}

// Settings for the whole library, taken before its first use (later they are refused, which
// is harmless). A run reads one value: the memory SQLite would lay out in advance, a
// lookaside area and a block of cache pages, would cost more to touch than the run needs.
void ConfigureSqlite() {
    static bool done = false;
    if (done)
        return;
    done = true;
    sqlite3_config(SQLITE_CONFIG_LOOKASIDE, 0, 0);
    sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

class Database {
public:
    LONG Open() {
        if (db_ != nullptr)
            return ERROR_SUCCESS;
        const std::string folder = ConfigFolder();
        if (folder.empty())
            return ERROR_CANTOPEN;
        const std::string path = folder + "/registry.db";
        ConfigureSqlite();
        LONG status = Connect(path);
        if (status == ERROR_FILE_NOT_FOUND) {
            status = CreateDatabase(folder, path);
            if (status == ERROR_SUCCESS)
                status = Connect(path);
        }
        return status;
    }

    void Close() {
        for (sqlite3_stmt*& s : statements_) {
            sqlite3_finalize(s);
            s = nullptr;
        }
        sqlite3_close(db_);
        db_ = nullptr;
    }

    LONG Prepare(StatementId id, sqlite3_stmt** out) {
        if (statements_[id] == nullptr) {
            const int rc = sqlite3_prepare_v3(db_, kSql[id], -1, SQLITE_PREPARE_PERSISTENT,
                                              &statements_[id], nullptr);
            if (rc != SQLITE_OK) {
                *out = nullptr;
                return StatusOf(rc, false);
            }
        }
        *out = statements_[id];
        return ERROR_SUCCESS;
    }

    // Runs a statement that returns no rows.
    LONG Run(StatementId id, bool writing) {
        sqlite3_stmt* s = nullptr;
        LONG status = Prepare(id, &s);
        if (status != ERROR_SUCCESS)
            return status;
        status = StatusOf(sqlite3_step(s), writing);
        sqlite3_reset(s);
        return status;
    }

    sqlite3* handle() const { return db_; }

private:
    LONG Connect(const std::string& path) {
        // Looked for first: a failed open cannot tell a missing file from one that another
        // process is creating right then.
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 && errno == ENOENT)
            return ERROR_FILE_NOT_FOUND;
        sqlite3* db = nullptr;
        // No SQLITE_OPEN_CREATE: a missing file is made whole by CreateDatabase.
        int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(db);
            return ERROR_CANTOPEN;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        db_ = db;
        // The first statement reads the schema: this finds a damaged file or an empty one.
        sqlite3_stmt* s = nullptr;
        rc = sqlite3_prepare_v3(db, kSql[kFindChild], -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
        if (rc == SQLITE_ERROR && HoldsNoTable()) {
            rc = InitializeInPlace();
            if (rc == SQLITE_OK)
                rc = sqlite3_prepare_v3(db, kSql[kFindChild], -1, SQLITE_PREPARE_PERSISTENT, &s,
                                        nullptr);
        }
        if (rc != SQLITE_OK) {
            Close();
            // A file of other tables is not a registry either.
            return rc == SQLITE_ERROR ? ERROR_REGISTRY_CORRUPT : StatusOf(rc, false);
        }
        statements_[kFindChild] = s;
        return ERROR_SUCCESS;
    }

    bool HoldsNoTable() {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master LIMIT 1", -1, &s, nullptr) !=
            SQLITE_OK)
            return false;
        const bool empty = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_finalize(s);
        return empty;
    }

    // An empty file (say, left by an interrupted copy) becomes a registry where it is.
    int InitializeInPlace() {
        const std::string script =
            std::string(kPageSize) + "BEGIN IMMEDIATE;" + kSchema + "COMMIT;";
        const int rc = sqlite3_exec(db_, script.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK && !sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return rc;
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statements_[kStatementCount] = {};
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
          open_(status_ == ERROR_SUCCESS) {}
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

// ---- Key paths and key rows ------------------------------------------------------------

typedef std::vector<std::string_view> KeyPath;

// Splits a subkey path at its backslashes, as Windows and Wine do: trailing backslashes name
// the key itself ("A\shell\" is "A\shell"), backslashes in a row part two levels as one
// does, and a path that starts with one is a bad path name. A level longer than the
// documented 255 characters is refused.
LONG SplitKeyPath(const char* sub, KeyPath* levels) {
    levels->clear();
    std::string_view rest = sub != nullptr ? sub : "";
    if (!rest.empty() && rest.front() == '\\')
        return ERROR_BAD_PATHNAME;
    while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string_view level = rest.substr(0, cut);
        if (level.size() > kMaxKeyName)
            return ERROR_INVALID_PARAMETER;
        if (!level.empty())
            levels->push_back(level);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return ERROR_SUCCESS;
}

// Where a key stands on the way to HKEY_CLASSES_ROOT\*\shell, whose subkeys are the verbs the
// file managers' menus show; known from the path it was opened by, so that a call elsewhere
// costs nothing more. A path moves a key down from where its handle stands.
enum VerbPlace { kOffVerbs, kClassesRoot, kAllFiles, kAtVerbs };

int PlaceBelow(int place, const KeyPath& levels) {
    for (const std::string_view level : levels) {
        if (place == kClassesRoot && level == "*")
            place = kAllFiles;
        else if (place == kAllFiles && level.size() == 5 &&
                 strncasecmp(level.data(), "shell", 5) == 0)  // names ignore case
            place = kAtVerbs;
        else if (place != kAtVerbs)
            return kOffVerbs;
    }
    return place;
}

// Brings the menus up to date when a call that changed the verbs returns. Declared before the
// call's lock, it runs after the lock is released: it reads the registry through its calls.
class VerbsChanged {
public:
    ~VerbsChanged() {
        if (changed_)
            standin::SyncFileManagerMenus();
    }
    // The call's status, unchanged; a success at or below the verbs' key is noted.
    LONG Note(LONG status, int place) {
        changed_ = status == ERROR_SUCCESS && place == kAtVerbs;
        return status;
    }

private:
    bool changed_ = false;
};

bool IsRoot(KeyId key) {
    return key == kClassesRootId || key == kCurrentUserId;
}

// ERROR_KEY_DELETED when a handle's key was deleted after it was opened. A key is deleted
// only once it has no subkey and no value left, in one transaction, so a subkey or a value
// found below a key proves it alive: the check is made only when nothing was found, and a
// read that succeeds costs a single statement.
LONG KeyAlive(Database& db, KeyId key) {
    if (IsRoot(key))
        return ERROR_SUCCESS;
    Query q(db, kKeyExists);
    q.Bind(1, key);
    const int rc = q.Step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusOf(rc, false);
}

// The answer when nothing was found below a key: `status`, or why the key itself is gone.
LONG Missing(Database& db, KeyId key, LONG status) {
    const LONG alive = KeyAlive(db, key);
    return alive == ERROR_SUCCESS ? status : alive;
}

LONG FindChild(Database& db, KeyId parent, std::string_view name, KeyId* child) {
    Query q(db, kFindChild);
    q.Bind(1, parent);
    q.Bind(2, name);
    const int rc = q.Step();
    if (rc == SQLITE_ROW) {
        *child = q.Int(0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : StatusOf(rc, false);
}

// Set by the tests that need a registry which refuses new keys, as a key without the right
// to create subkeys does on Windows.
bool refuseNewKeys = false;

// Follows the levels down from a key; with `create`, makes each missing level.
LONG Walk(Database& db, KeyId from, const KeyPath& levels, bool create, KeyId* out) {
    if (levels.empty()) {
        *out = from;
        return KeyAlive(db, from);
    }
    KeyId key = from;
    for (const std::string_view level : levels) {
        KeyId child = 0;
        LONG status = FindChild(db, key, level, &child);
        // Below the first level the parent was just found or made.
        if (status == ERROR_FILE_NOT_FOUND && key == from) {
            const LONG alive = KeyAlive(db, from);
            if (alive != ERROR_SUCCESS)
                return alive;
        }
        if (status == ERROR_FILE_NOT_FOUND && create && refuseNewKeys)
            return ERROR_ACCESS_DENIED;
        if (status == ERROR_FILE_NOT_FOUND && create) {
            Query q(db, kInsertKey);
            q.Bind(1, key);
            q.Bind(2, level);
            const int rc = q.Step();
            status = StatusOf(rc, true);
            child = sqlite3_last_insert_rowid(db.handle());
        }
        if (status != ERROR_SUCCESS)
            return status;
        key = child;
    }
    *out = key;
    return ERROR_SUCCESS;
}

// Runs a statement on (key) or (key, name) that changes rows; ERROR_FILE_NOT_FOUND when
// it changed none.
LONG Change(Database& db, StatementId id, KeyId key, const std::string_view* name) {
    Query q(db, id);
    q.Bind(1, key);
    if (name != nullptr)
        q.Bind(2, *name);
    const int rc = q.Step();
    if (rc != SQLITE_DONE)
        return StatusOf(rc, true);
    return sqlite3_changes(db.handle()) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Hands a value out as RegQueryValueExA does. A buffer too small gets ERROR_MORE_DATA, the
// size needed, and not one byte of data.
LONG CopyValueOut(DWORD type, std::string_view bytes, LPDWORD lpType, LPBYTE lpData,
                  LPDWORD lpcbData) {
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            if (lpType != nullptr)
                *lpType = type;
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            memcpy(lpData, bytes.data(), size);
        // Windows ends a string stored without its NUL when the buffer has room for one,
        // and does not count it: callers that read text into a larger buffer rely on it.
        // An empty value leaves the buffer as it was.
        if (IsStringType(type) && *lpcbData > size && size > 0 && lpData[size - 1] != 0)
            lpData[size] = 0;
    }
    if (lpType != nullptr)
        *lpType = type;
    if (lpcbData != nullptr)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

std::string_view ValueName(LPCSTR name) {
    return name != nullptr ? name : "";
}

// ---- Handles ------------------------------------------------------------------------------

// An opened key's handle is a slot of this table with a generation, never a pointer: a
// closed or forged handle is recognised instead of reaching freed memory.
struct HandleSlot {
    KeyId key = 0;
    uint32_t generation = 1;
    bool used = false;
    int place = kOffVerbs;
};

static_assert(sizeof(ULONG_PTR) == 8, "handles carry a 32-bit generation above the slot");

class Registry {
public:
    std::mutex mutex;
    Database db;

    // Only the two roots this registry holds are predefined keys here.
    LONG Resolve(HKEY h, KeyId* key, int* place = nullptr) const {
        if (h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER) {
            *key = h == HKEY_CLASSES_ROOT ? kClassesRootId : kCurrentUserId;
            if (place != nullptr)
                *place = h == HKEY_CLASSES_ROOT ? kClassesRoot : kOffVerbs;
            return ERROR_SUCCESS;
        }
        size_t index = 0;
        if (!Find(h, &index))
            return ERROR_INVALID_HANDLE;
        *key = slots_[index].key;
        if (place != nullptr)
            *place = slots_[index].place;
        return ERROR_SUCCESS;
    }

    HKEY NewHandle(KeyId key, int place) {
        size_t index = slots_.size();
        if (free_.empty()) {
            slots_.emplace_back();
        } else {
            index = free_.back();
            free_.pop_back();
        }
        slots_[index].key = key;
        slots_[index].used = true;
        slots_[index].place = place;
        const ULONG_PTR value =
            (static_cast<ULONG_PTR>(slots_[index].generation) << 32) | ((index + 1) << 2);
        return reinterpret_cast<HKEY>(value);
    }

    LONG Close(HKEY h) {
        if (h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER)
            return ERROR_SUCCESS;  // closing a predefined key is allowed and does nothing
        size_t index = 0;
        if (!Find(h, &index))
            return ERROR_INVALID_HANDLE;
        Release(index);
        return ERROR_SUCCESS;
    }

    void ForgetHandles() {
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].used)
                Release(i);
    }

private:
    bool Find(HKEY h, size_t* index) const {
        const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(h);
        *index = ((value & 0xffffffffu) >> 2) - 1;  // wraps for a null handle
        return (value & 3) == 0 && *index < slots_.size() && slots_[*index].used &&
               slots_[*index].generation == (value >> 32);
    }

    void Release(size_t index) {
        HandleSlot& slot = slots_[index];
        slot.used = false;
        slot.generation = slot.generation == 0x7fffffff ? 1 : slot.generation + 1;
        free_.push_back(index);
    }

    std::vector<HandleSlot> slots_;
    std::vector<size_t> free_;
};

Registry& State();

// SQLite forbids carrying an open connection into a forked child: the database is closed
// before a fork, in the parent, and opened again by whichever process calls next. Handles
// hold only key ids, so they stay good on both sides.
void BeforeFork() {
    Registry& r = State();
    r.mutex.lock();
    r.db.Close();
}

void AfterFork() {
    State().mutex.unlock();
}

Registry& State() {
    // Never destroyed: a handle may be used by code that runs during exit.
    static Registry* const registry = [] {
        pthread_atfork(BeforeFork, AfterFork, AfterFork);
        return new Registry;
    }();
    return *registry;
}

LONG OpenKey(HKEY hKey, LPCSTR lpSubKey, bool create, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId from = 0;
    int place = kOffVerbs;
    LONG status = r.Resolve(hKey, &from, &place);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = nullptr;
    KeyPath levels;
    if ((status = SplitKeyPath(lpSubKey, &levels)) != ERROR_SUCCESS)
        return status;
    if ((status = r.db.Open()) != ERROR_SUCCESS)
        return status;
    KeyId key = 0;
    const sqlite3_int64 changes = sqlite3_total_changes64(r.db.handle());
    {
        Transaction t(r.db, create);
        if ((status = t.status()) != ERROR_SUCCESS ||
            (status = Walk(r.db, from, levels, create, &key)) || (status = t.Commit()))
            return status;
    }
    place = PlaceBelow(place, levels);
    *phkResult = r.NewHandle(key, place);
    const bool created = sqlite3_total_changes64(r.db.handle()) != changes;
    return menus.Note(ERROR_SUCCESS, created ? place : kOffVerbs);
}

// RegOpenKeyA and RegCreateKeyA hand back the very handle they were given for an empty
// subkey, as Windows does; nothing else about the key is checked.
LONG SameKey(HKEY hKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    const LONG status = r.Resolve(hKey, &key);
    if (status == ERROR_SUCCESS)
        *phkResult = hKey;
    return status;
}

// The start of every call on an existing key: the handle's key and the open database.
LONG StartCall(Registry& r, HKEY hKey, KeyId* key, int* place = nullptr) {
    const LONG status = r.Resolve(hKey, key, place);
    return status == ERROR_SUCCESS ? r.db.Open() : status;
}

}  // namespace

// ---- advapi32 -----------------------------------------------------------------------------

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (lpSubKey == nullptr || lpSubKey[0] == '\0')
        return SameKey(hKey, phkResult);
    return OpenKey(hKey, lpSubKey, false, phkResult);
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    return OpenKey(hKey, lpSubKey, false, phkResult);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (lpSubKey == nullptr || lpSubKey[0] == '\0')
        return SameKey(hKey, phkResult);
    return OpenKey(hKey, lpSubKey, true, phkResult);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    const std::string_view name = ValueName(lpValueName);
    if ((lpData == nullptr && cbData > 0) || name.size() > kMaxValueName)
        return ERROR_INVALID_PARAMETER;
    // Windows stores a text's terminating NUL that the count left out when it comes right
    // after the counted bytes: "abc" with a count of 3 becomes the 4 bytes "abc\0".
    if (IsStringType(dwType) && cbData > 0 && lpData[cbData - 1] != 0 && lpData[cbData] == 0)
        ++cbData;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &key, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    if ((status = t.status()) || (status = KeyAlive(r.db, key)))
        return status;
    {
        Query q(r.db, kSetValue);
        q.Bind(1, key);
        q.Bind(2, name);
        q.Bind(3, static_cast<KeyId>(dwType));
        q.BindBytes(4, lpData, cbData);
        if ((status = StatusOf(q.Step(), true)) != ERROR_SUCCESS)
            return status;
    }
    return menus.Note(t.Commit(), place);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    LONG status = StartCall(r, hKey, &key);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, false);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    Query q(r.db, kGetValue);
    q.Bind(1, key);
    q.Bind(2, ValueName(lpValueName));
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? Missing(r.db, key, ERROR_FILE_NOT_FOUND) : StatusOf(rc, false);
    return CopyValueOut(static_cast<DWORD>(q.Int(0)), q.Bytes(1), lpType, lpData, lpcbData);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    KeyPath levels;
    const LONG split = SplitKeyPath(lpSubKey, &levels);
    if (split != ERROR_SUCCESS)
        return split;
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId from = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &from, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    KeyId key = 0;
    if ((status = t.status()) || (status = Walk(r.db, from, levels, false, &key)))
        return status;
    if (IsRoot(key))
        return ERROR_ACCESS_DENIED;
    {
        // Windows refuses to delete a key that has subkeys; only the tree calls do that.
        Query q(r.db, kHasChild);
        q.Bind(1, key);
        const int rc = q.Step();
        if (rc != SQLITE_DONE)
            return rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : StatusOf(rc, true);
    }
    status = Change(r.db, kDeleteValues, key, nullptr);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return status;
    if ((status = Change(r.db, kDeleteKey, key, nullptr)) != ERROR_SUCCESS)
        return status;
    return menus.Note(t.Commit(), PlaceBelow(place, levels));
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    VerbsChanged menus;
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    int place = kOffVerbs;
    LONG status = StartCall(r, hKey, &key, &place);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, true);
    const std::string_view name = ValueName(lpValueName);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    status = Change(r.db, kDeleteValue, key, &name);
    if (status == ERROR_FILE_NOT_FOUND)
        status = Missing(r.db, key, status);
    if (status != ERROR_SUCCESS)
        return status;
    return menus.Note(t.Commit(), place);
}

namespace {

// One step of an enumeration: the dwIndex-th row of the statement for the handle's key, read
// by `take` inside the call's read transaction; ERROR_NO_MORE_ITEMS past the last row.
template <typename Take>
LONG EnumerateOne(HKEY hKey, StatementId id, DWORD dwIndex, Take take) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    KeyId key = 0;
    LONG status = StartCall(r, hKey, &key);
    if (status != ERROR_SUCCESS)
        return status;
    Transaction t(r.db, false);
    if ((status = t.status()) != ERROR_SUCCESS)
        return status;
    Query q(r.db, id);
    q.Bind(1, key);
    q.Bind(2, static_cast<KeyId>(dwIndex));
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? Missing(r.db, key, ERROR_NO_MORE_ITEMS) : StatusOf(rc, false);
    return take(q);
}

// Copies a name with its NUL into a buffer of *lpcchName characters, as the enumerations
// give names; ERROR_MORE_DATA, writing nothing, when it does not fit.
LONG CopyNameOut(std::string_view name, LPSTR lpName, LPDWORD lpcchName) {
    if (*lpcchName <= name.size())
        return ERROR_MORE_DATA;
    memcpy(lpName, name.data(), name.size());
    lpName[name.size()] = '\0';
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          FILETIME* lpftLastWriteTime) {
    if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return EnumerateOne(hKey, kEnumKey, dwIndex, [&](Query& q) {
        const LONG status = CopyNameOut(q.Text(0), lpName, lpcchName);
        if (status != ERROR_SUCCESS)
            return status;
        // Keys here have no class and no recorded write time.
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
            lpClass[0] = '\0';
            *lpcchClass = 0;
        }
        if (lpftLastWriteTime != nullptr)
            *lpftLastWriteTime = FILETIME{0, 0};
        return status;
    });
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    return EnumerateOne(hKey, kEnumValue, dwIndex, [&](Query& q) {
        const std::string_view name = q.Text(0);
        if (*lpcchValueName <= name.size())
            return static_cast<LONG>(ERROR_MORE_DATA);
        const LONG status =
            CopyValueOut(static_cast<DWORD>(q.Int(1)), q.Bytes(2), lpType, lpData, lpcbData);
        CopyNameOut(name, lpValueName, lpcchValueName);
        return status;
    });
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.Close(hKey);
}

// ---- For the stand-in's tests ---------------------------------------------------------------

namespace standin {

std::string RegistryDatabasePath() {
    const std::string folder = ConfigFolder();
    return folder.empty() ? folder : folder + "/registry.db";
}

void RegistryReset() {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.db.Close();
    r.ForgetHandles();
    refuseNewKeys = false;
}

void RegistryRefuseNewKeys(bool refuse) {
    Registry& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    refuseNewKeys = refuse;
}

}  // namespace standin
