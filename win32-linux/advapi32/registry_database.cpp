// win32-linux/advapi32/registry_database.cpp
//
// The registry's database: made whole where it is missing, opened, its statements.
//
// The program reads its one setting on every run, and a run must cost about as much as `rm`.
// So the database is opened at the first call and never closed, an open does no schema work
// on an existing database, statements are prepared once when first needed, SQLite lays out
// no memory in advance, and the file keeps SQLite's rollback journal: in WAL mode each run
// that finds no other process at work rebuilds the shared-memory index from the log, which
// no process ever closing the database leaves to grow, and the run costs a fifth more; a
// reader would need to write the index, so a read-only registry could not even be read; and
// a commit would not show in the header that registry_watch.cpp watches. A write stays a
// durable transaction: writes are rare (the setting, the verbs). Concurrent writers stay safe:
// each call is one transaction, writers lock at BEGIN, and a busy process waits for the other.

#include "advapi32/registry_store.h"

#include "kernel32/user_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace standin::registry {
namespace {

// Long enough for another process's write to finish: a write takes milliseconds.
constexpr int kBusyTimeoutMs = 5000;

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

// What came later; a database made before gets it at its first write (Database::Upgrade).
// A key's values in creation order: an index on the key holds them by id.
// menus_owed counts the changes of the verbs whose sync of the file managers' menus has not
// been seen to finish: it is raised in the change's own transaction and cleared after a sync
// that read the registry since (registry_menus.cpp).
constexpr char kSchemaLater[] =
    "CREATE INDEX IF NOT EXISTS vals_by_key ON vals(key);"
    "CREATE TABLE IF NOT EXISTS menus_owed(id INTEGER PRIMARY KEY, owed INTEGER NOT NULL);";

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
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY name LIMIT ?3 OFFSET ?2",
    "SELECT name FROM keys WHERE parent = ?1 AND name > ?2 ORDER BY name LIMIT ?3",
    // Values come in creation order, as on Windows.
    "SELECT name, type, data, id FROM vals WHERE key = ?1 ORDER BY id LIMIT ?3 OFFSET ?2",
    "SELECT name, type, data, id FROM vals INDEXED BY vals_by_key"
    " WHERE key = ?1 AND id > ?2 ORDER BY id LIMIT ?3",
    // Without that index (a database not written to since it was made by an earlier version),
    // the values' ids in order: a whole enumeration passes each row of the table once.
    "SELECT name, type, data, id FROM vals WHERE +key = ?1 AND id > ?2 ORDER BY id LIMIT ?3",
    // A key and its ancestors up to the root: the key's depth plus one.
    "WITH RECURSIVE up(id) AS (SELECT ?1 UNION"
    " SELECT keys.parent FROM keys JOIN up ON keys.id = up.id WHERE keys.parent != 0)"
    " SELECT count(*) FROM up",
    "SELECT parent, name FROM keys WHERE id = ?1",
    "INSERT INTO menus_owed(id, owed) VALUES(1, 1)"
    " ON CONFLICT(id) DO UPDATE SET owed = owed + 1",
    "SELECT owed FROM menus_owed WHERE id = 1",
    "DELETE FROM menus_owed WHERE id = 1 AND owed = ?1",
};

void RemoveDatabaseFiles(const std::string& path) {
    unlink(path.c_str());
    unlink((path + "-journal").c_str());
}

// Small pages: the registry holds a few kilobytes, and a run reads a handful of pages, each
// of which costs fresh memory to hold.
constexpr char kPageSize[] = "PRAGMA page_size = 1024;";

// A database under construction is named after its maker: path.new-PID.
constexpr char kNewMark[] = ".new-";

// Removes what makers that died left behind: databases under construction, and their
// journals, whose process is gone.
void RemoveLeftovers(const std::string& folder, const std::string& path) {
    const std::string prefix = path.substr(folder.size() + 1) + kNewMark;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        const long pid = strtol(name.c_str() + prefix.size(), &end, 10);
        const bool named = end != name.c_str() + prefix.size() && pid > 0 &&
                           (*end == '\0' || strcmp(end, "-journal") == 0);
        if (named && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
}

// Makes a complete database under a private name, then moves it into place: another process
// never sees a half-made database, and one made meanwhile by another process is kept.
LONG CreateDatabase(const std::string& folder, const std::string& path) {
    if (!MakeFolders(folder))
        return ERROR_CANTOPEN;
    RemoveLeftovers(folder, path);
    const std::string temp = path + kNewMark + std::to_string(getpid());
    RemoveDatabaseFiles(temp);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(temp.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
        const std::string script =
            std::string(kPageSize) + "BEGIN;" + kSchema + kSchemaLater + "COMMIT;";
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    bool placed = false;
    if (rc == SQLITE_OK && chmod(temp.c_str(), 0600) == 0) {
        // A rename leaves no name behind at any moment; a file system that cannot rename
        // without replacing is given a link and the name removed.
        if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0 ||
            errno == EEXIST)
            placed = true;
        else
            placed = link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST;
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

// A registry that cannot be read costs the program its setting: the user is told once, with
// why, before whatever the program then does without it (ask, for one).
void ReportUnreadable(const std::string& what, LONG status, int err) {
    static bool told = false;
    if (told)
        return;
    told = true;
    char text[512] = "";
    if (err == 0 && FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(status),
                                   0, text, sizeof text, nullptr) > 2)
        text[strlen(text) - 2] = '\0';  // the line break
    fprintf(stderr, "%s: cannot read %s: %s\n", program_invocation_short_name, what.c_str(),
            err != 0 ? strerror(err) : text);
}

}  // namespace

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

std::string ConfigFolder() {
    const std::string base = XdgHome("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "/zapfile";
}

LONG Database::Open() {
    if (db_ != nullptr) {
        if (Look())
            return ERROR_SUCCESS;
        Close();  // the registry is the file that the path names now: connected again below
    }
    const std::string folder = ConfigFolder();
    const std::string path = folder + "/registry.db";
    errno = 0;
    LONG status = ERROR_CANTOPEN;
    if (!folder.empty()) {
        ConfigureSqlite();
        status = Connect(path);
        if (status == ERROR_FILE_NOT_FOUND) {
            status = CreateDatabase(folder, path);
            if (status == ERROR_SUCCESS)
                status = Connect(path);
        }
    }
    if (status != ERROR_SUCCESS)
        ReportUnreadable(folder.empty() ? "the settings" : path, status,
                         status == ERROR_CANTOPEN ? errno : 0);
    return status;
}

void Database::Close() {
    for (sqlite3_stmt*& s : statements_) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    sqlite3_close(db_);
    db_ = nullptr;
    upgraded_ = false;
    valueIndex_ = -1;
    file_ = nullptr;
    if (attributes_ >= 0)
        close(attributes_);
    attributes_ = -1;
    stamped_ = unchanged_ = false;
    ++generation_;
}

uint64_t Database::Version() {
    unsigned int version = 0;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return static_cast<uint64_t>(connections_) << 32 | version;
}

LONG Database::Upgrade() {
    if (upgraded_)
        return ERROR_SUCCESS;
    const int rc = sqlite3_exec(db_, kSchemaLater, nullptr, nullptr, nullptr);
    upgraded_ = rc == SQLITE_OK;
    valueIndex_ = upgraded_ ? 1 : valueIndex_;
    return StatusOf(rc, true);
}

bool Database::HasValueIndex() {
    sqlite3_stmt* s = nullptr;
    if (valueIndex_ < 0)
        valueIndex_ = Prepare(kEnumValueAfter, &s) == ERROR_SUCCESS;
    return valueIndex_ == 1;
}

LONG Database::Prepare(StatementId id, sqlite3_stmt** out) {
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

LONG Database::Run(StatementId id, bool writing) {
    sqlite3_stmt* s = nullptr;
    LONG status = Prepare(id, &s);
    if (status != ERROR_SUCCESS)
        return status;
    status = StatusOf(sqlite3_step(s), writing);
    sqlite3_reset(s);
    if (id == kCommit)
        unchanged_ = false;  // a commit of this process's own
    return status;
}

LONG Database::Connect(const std::string& path) {
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
    ++connections_;
    Watch(path);
    return ERROR_SUCCESS;
}

bool Database::HoldsNoTable() {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master LIMIT 1", -1, &s, nullptr) !=
        SQLITE_OK)
        return false;
    const bool empty = sqlite3_step(s) == SQLITE_DONE;
    sqlite3_finalize(s);
    return empty;
}

// An empty file (say, left by an interrupted copy) becomes a registry where it is.
int Database::InitializeInPlace() {
    const std::string script =
        std::string(kPageSize) + "BEGIN IMMEDIATE;" + kSchema + kSchemaLater + "COMMIT;";
    const int rc = sqlite3_exec(db_, script.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc;
}

}  // namespace standin::registry
