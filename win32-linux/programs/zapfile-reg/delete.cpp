// win32-linux/programs/zapfile-reg/delete.cpp
// zapfile-reg delete: a value, or a key with everything below it.
#include "programs/zapfile-reg/reg.h"

#include <cstdio>

namespace reg {
namespace {

// Deletes a key and everything below it, the deepest keys first, as reg.exe does.
LONG DeleteTree(HKEY parent, const char* path) {
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &h);
    if (status != ERROR_SUCCESS)
        return status;
    char child[kKeyNameBuffer];
    for (;;) {
        DWORD cch = kKeyNameBuffer;
        status = RegEnumKeyExA(h, 0, child, &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS)
            status = DeleteTree(h, child);
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(h);
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    return RegDeleteKeyA(parent, path);
}

}  // namespace

int Delete(const Command& c) {
    if (!(c.named || c.unnamed) && c.subkey.empty()) {  // a root is never deleted
        fprintf(stderr, "ERROR: Invalid key name.\nType \"REG %s/?\" for usage.\n", c.opName);
        return 1;
    }
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(c.root, c.subkey.c_str(), 0, KEY_ALL_ACCESS, &h);
    if (status != ERROR_SUCCESS)
        return Fail(status);
    if (c.named || c.unnamed) {
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
