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
    // object's own hKey. Returns the new hKey; null when both the open and the create failed,
    // with the create's status as the thread's last error.
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
    // object); empty when the path is longer than MAX_TEXT bytes or cannot be read, never a
    // part of it. The caller owns the block.
    char* GetModulePath(HINSTANCE hModule);

    // Puts the verb szVerb into the context menu of the classes szClass and szClass2, below
    // HKEY_CLASSES_ROOT: each class's key "shell\szVerb\command" (every missing level created,
    // through this object's hKey, which is left on the last key reached) gets the default
    // value "szProgram" "%1" as REG_SZ. The second class is done even when the first fails.
    // Returns 1 when both command lines were stored, else 0, with the status of the first step
    // that failed as the thread's last error (GetLastError); keys created before a failure
    // stay. A program path longer than 253 bytes would not fit the 260-byte command line: it
    // is refused with 0 (ERROR_FILENAME_EXCED_RANGE) before any registry work, so nothing is
    // created or written; so is an empty one (ERROR_BAD_PATHNAME). Lengths count bytes,
    // whatever the number of characters.
    int RegisterShellVerb(LPCSTR szClass, LPCSTR szVerb, LPCSTR szProgram, LPCSTR szClass2);
    // Removes, leaf first and each only when it has no subkeys, the verb's "command" and verb
    // keys of both classes, then szClass2's "shell" key and szClass2 itself; szClass keeps its
    // "shell" key (for "*" it belongs to every file). szProgram is not used. A removal path
    // longer than 260 characters is not tried (it fails like a missing key); the removal of
    // szClass2 is always tried. Returns that last removal's status: 0 only when it removed
    // szClass2. Uses nothing of the object. Afterwards the thread's last error is
    // ERROR_SUCCESS when neither class holds the verb's "command" key any more (removed now, or
    // not there), else the status of the first removal that left one.
    LONG UnregisterShellVerb(LPCSTR szClass, LPCSTR szVerb, LPCSTR szProgram, LPCSTR szClass2);
};

#endif
