// win32-linux/programs/zapfile-reg/delete.cpp
// zapfile-reg delete: a value, or a key with everything below it.
#include "programs/zapfile-reg/reg.h"

#include <cstdio>
#include <string>
#include <vector>

namespace reg {
namespace {

// Deletes a key and everything below it, the deepest keys first, as reg.exe does. The keys on
// the way down are kept in a list, not on the call stack: a tree made by another program may
// be deeper than any stack.
LONG DeleteTree(HKEY root, const char* path) {
    struct Level {
        HKEY key;
        std::string name;  // below the level above, or below the root
    };
    std::vector<Level> levels;
    HKEY h = nullptr;
    // Only reading is asked for: a key is deleted through its parent, whatever the parent's
    // handle may do.
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &h);
    if (status == ERROR_SUCCESS)
        levels.push_back({h, path});
    char child[kKeyNameBuffer];
    while (status == ERROR_SUCCESS && !levels.empty()) {
        DWORD cch = kKeyNameBuffer;
        status = RegEnumKeyExA(levels.back().key, 0, child, &cch, nullptr, nullptr, nullptr,
                               nullptr);
        if (status == ERROR_SUCCESS) {
            status = RegOpenKeyExA(levels.back().key, child, 0, KEY_READ, &h);
            if (status == ERROR_SUCCESS)
                levels.push_back({h, child});
        } else if (status == ERROR_NO_MORE_ITEMS) {
            const Level done = levels.back();
            levels.pop_back();
            RegCloseKey(done.key);
            status = RegDeleteKeyA(levels.empty() ? root : levels.back().key, done.name.c_str());
        }
    }
    for (const Level& level : levels)
        RegCloseKey(level.key);
    return status;
}

}  // namespace

int Delete(const Command& c) {
    if (!(c.named || c.unnamed) && c.subkey.empty()) {  // a root is never deleted
        fprintf(stderr, "ERROR: Invalid key name.\nType \"zapfile-reg %s/?\" for usage.\n",
                c.opName);
        return 1;
    }
    HKEY h = nullptr;
    const bool value = c.named || c.unnamed;
    LONG status =
        RegOpenKeyExA(c.root, c.subkey.c_str(), 0, value ? KEY_QUERY_VALUE | KEY_SET_VALUE : KEY_READ, &h);
    if (status != ERROR_SUCCESS)
        return Fail(status);
    if (value) {
        const char* name = ValueArg(c);
        status = RegQueryValueExA(h, name, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return Fail(status);
        if (!c.force && !Confirm("Delete the registry value " + ShownName(name) + " (Yes/No)? ")) {
            fputs(kCancelled, stdout);
            return 0;
        }
        status = RegDeleteValueA(h, name);
    } else {
        RegCloseKey(h);
        if (!c.force &&
            !Confirm("Permanently delete the registry key " + c.keyName + " (Yes/No)? ")) {
            fputs(kCancelled, stdout);
            return 0;
        }
        status = DeleteTree(c.root, c.subkey.c_str());
    }
    if (status != ERROR_SUCCESS)
        return Fail(status);
    fputs(kDone, stdout);
    return 0;
}

}  // namespace reg
