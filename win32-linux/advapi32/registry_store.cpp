// win32-linux/advapi32/registry_store.cpp
// The keys' rows: finding, making and naming keys, and the changes of one row.

#include "advapi32/registry_store.h"

#include <algorithm>
#include <string>

namespace standin::registry {
namespace {

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

// How many levels below its root a key lies (0 for a root).
LONG Depth(Database& db, KeyId key, size_t* depth) {
    Query q(db, kCountLevels);
    q.Bind(1, key);
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return StatusOf(rc, false);
    *depth = static_cast<size_t>(q.Int(0)) - 1;
    return ERROR_SUCCESS;
}

}  // namespace

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

LONG Missing(Database& db, KeyId key, LONG status) {
    const LONG alive = KeyAlive(db, key);
    return alive == ERROR_SUCCESS ? status : alive;
}

LONG Walk(Database& db, KeyId from, const KeyPath& levels, bool create, KeyId* out) {
    if (levels.empty()) {
        *out = from;
        return KeyAlive(db, from);
    }
    KeyId key = from;
    size_t depth = 0;  // of `from`, looked up when the first level is to be made
    bool depthKnown = false;
    for (size_t i = 0; i < levels.size(); ++i) {
        const std::string_view level = levels[i];
        KeyId child = 0;
        LONG status = FindChild(db, key, level, &child);
        // Below the first level the parent was just found or made.
        if (status == ERROR_FILE_NOT_FOUND && key == from) {
            const LONG alive = KeyAlive(db, from);
            if (alive != ERROR_SUCCESS)
                return alive;
        }
        if (status == ERROR_FILE_NOT_FOUND && create) {
            if (!depthKnown && (status = Depth(db, from, &depth)) != ERROR_SUCCESS)
                return status;
            depthKnown = true;
            if (depth + i + 1 > kMaxKeyDepth)
                return ERROR_INVALID_PARAMETER;
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

LONG KeyNames(Database& db, KeyId key, std::vector<std::string>* names) {
    names->clear();
    // Parents are made before their children, so the way up ends; a damaged file whose
    // parents go round in a circle is stopped by the count.
    for (size_t count = 0; !IsRoot(key); ++count) {
        Query q(db, kKeyParent);
        q.Bind(1, key);
        const int rc = q.Step();
        if (rc != SQLITE_ROW || count > (1u << 24))
            return rc == SQLITE_DONE || rc == SQLITE_ROW ? ERROR_REGISTRY_CORRUPT : StatusOf(rc, false);
        names->emplace_back(q.Text(1));
        key = q.Int(0);
    }
    std::reverse(names->begin(), names->end());
    return ERROR_SUCCESS;
}

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

}  // namespace standin::registry
