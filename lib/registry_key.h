// lib/registry_key.h
// One registry key handle with open-or-create and string-value operations.
// The class never closes a handle: every handle it ever held stays open until the process
// ends, as the callers walk a path one level at a time and re-aim the same object.
#ifndef ZAPFILE_REGISTRY_KEY_H
#define ZAPFILE_REGISTRY_KEY_H

#include <windows.h>

class RegistryKey {
public:
    // The key opened or created last; null in a new object and after a failed OpenOrCreate.
    HKEY hKey = nullptr;

    // Opens szName below hParent, creating it when it cannot be opened. hParent may be this
    // object's own hKey. Returns the new hKey; null when both the open and the create failed.
    HKEY OpenOrCreate(HKEY hParent, LPCSTR szName);
    // Writes szText under the value name szName ("" is the key's default value) as REG_SZ,
    // counting only its n characters; the system stores the NUL after them too (n + 1 bytes).
    // Returns the platform's status.
    LONG SetString(LPCSTR szText, LPCSTR szName);
    // A new 261-byte block holding the value's text: at most MAX_TEXT characters, always
    // followed by a NUL; empty when the value is missing, too long or unreadable. The caller
    // owns the block.
    char* GetString(LPCSTR szName);
    // A new 261-byte block holding the full path of the module's file (uses nothing of the
    // object). The caller owns the block.
    char* GetModulePath(HINSTANCE hModule);
};

#endif
