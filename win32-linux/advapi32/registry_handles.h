// win32-linux/advapi32/registry_handles.h
// The registry's state in a process: the open database, the lock every call takes, and the
// table of opened keys' handles.
#ifndef ZAPFILE_STANDIN_ADVAPI32_REGISTRY_HANDLES_H
#define ZAPFILE_STANDIN_ADVAPI32_REGISTRY_HANDLES_H

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "advapi32/registry_cache.h"
#include "advapi32/registry_store.h"

namespace standin::registry {

// Where a key stands on the way to HKEY_CLASSES_ROOT\*\shell, whose subkeys are the verbs the
// file managers' menus show; known from the path it was opened by, so that a call elsewhere
// costs nothing more. A path moves a key down from where its handle stands.
enum VerbPlace { kOffVerbs, kClassesRoot, kAllFiles, kAtVerbs };

// An item of an enumeration: a subkey's name, or a value.
struct EnumItem {
    std::string name;
    DWORD type = 0;
    std::string data;
    KeyId id = 0;  // a value's
};

// Where the last enumeration through a handle stopped: the item it gave at `index`, and the
// database's version then. The next index goes on from there while nothing has changed. The
// items after it that were read in the same transaction wait in `ahead`, good while the
// database is unchanged since (Database::Generation).
struct EnumCursor {
    StatementId statement = kStatementCount;  // kEnumKey or kEnumValue; none yet
    DWORD index = 0;
    std::string name;  // of the subkey given
    KeyId valueId = 0;  // of the value given
    uint64_t version = 0;
    std::vector<EnumItem> ahead;
    size_t next = 0;  // in ahead
    uint64_t generation = 0;
};

// An opened key's handle is a slot of this table with a generation, never a pointer: a
// closed or forged handle is recognised instead of reaching freed memory.
struct HandleSlot {
    KeyId key = 0;
    uint32_t generation = 1;
    bool used = false;
    bool ofRun = false;  // opened during the program's current run (CloseRunKeys)
    int place = kOffVerbs;
    uint64_t epoch = 0;  // the database's (Database::Epoch) when the key was opened
};

static_assert(sizeof(ULONG_PTR) == 8, "handles carry a 32-bit generation above the slot");

// The root a predefined key's handle names, or 0. Only the two roots this registry holds are
// predefined keys here. Windows looks at the low 32 bits of such a handle alone, so
// HKEY_CURRENT_USER with any upper half still names the root.
inline KeyId PredefinedKey(HKEY h) {
    const auto low = [](HKEY k) { return static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(k)); };
    if (low(h) == low(HKEY_CLASSES_ROOT))
        return kClassesRootId;
    return low(h) == low(HKEY_CURRENT_USER) ? kCurrentUserId : 0;
}

class Registry {
public:
    std::mutex mutex;
    Database db;
    ReadCache cache;
    // Whether this process has looked for a sync of the menus still owed, and whether it has
    // waited for the menus' lock in vain (registry_menus.cpp).
    bool menusChecked = false;
    std::atomic<bool> menusLockStuck{false};

    LONG Resolve(HKEY h, KeyId* key, int* place = nullptr) const {
        if (const KeyId root = PredefinedKey(h)) {
            *key = root;
            if (place != nullptr)
                *place = root == kClassesRootId ? kClassesRoot : kOffVerbs;
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

    // After the database's Open: a key opened in another database file than the one open now
    // is not in it (the roots are in every one).
    LONG InOpenDatabase(HKEY h) const {
        size_t index = 0;
        if (PredefinedKey(h) != 0 || !Find(h, &index) || slots_[index].epoch == db.Epoch())
            return ERROR_SUCCESS;
        return ERROR_KEY_DELETED;
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
        slots_[index].ofRun = inRun;
        slots_[index].place = place;
        slots_[index].epoch = db.Epoch();
        const ULONG_PTR value =
            (static_cast<ULONG_PTR>(slots_[index].generation) << 32) | ((index + 1) << 2);
        return reinterpret_cast<HKEY>(value);
    }

    LONG Close(HKEY h) {
        if (PredefinedKey(h) != 0)
            return ERROR_SUCCESS;  // closing a predefined key is allowed and does nothing
        size_t index = 0;
        if (!Find(h, &index))
            return ERROR_INVALID_HANDLE;
        Release(index);
        return ERROR_SUCCESS;
    }

    // The enumeration cursor of a handle that Resolve accepted; the predefined roots have one
    // each. Kept apart from the slots: few handles enumerate.
    EnumCursor& Cursor(HKEY h) {
        if (const KeyId root = PredefinedKey(h))
            return rootCursors_[root - 1];
        size_t index = 0;
        Find(h, &index);
        return cursors_[index];
    }

    // Closes every handle, or those opened during the current run.
    void ForgetHandles(bool runOnly = false) {
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].used && (slots_[i].ofRun || !runOnly))
                Release(i);
    }

    // Whether the handles opened now belong to a run of the program (CloseRunKeys).
    bool inRun = false;

private:
    bool Find(HKEY h, size_t* index) const {
        const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(h);
        *index = ((value & 0xffffffffu) >> 2) - 1;  // wraps for a null handle
        return (value & 3) == 0 && *index < slots_.size() && slots_[*index].used &&
               slots_[*index].generation == (value >> 32);
    }

    void Release(size_t index) {
        HandleSlot& slot = slots_[index];
        cursors_.erase(index);
        slot.used = false;
        slot.generation = slot.generation == 0x7fffffff ? 1 : slot.generation + 1;
        free_.push_back(index);
    }

    std::vector<HandleSlot> slots_;
    std::vector<size_t> free_;
    std::unordered_map<size_t, EnumCursor> cursors_;
    EnumCursor rootCursors_[2];
};

// The process's registry, made at the first call and never destroyed: a handle may be used by
// code that runs during exit.
Registry& State();

// The start of every call on an existing key: the handle's key and the open database, which
// holds the key.
LONG StartCall(Registry& r, HKEY hKey, KeyId* key, int* place = nullptr);

}  // namespace standin::registry

#endif
