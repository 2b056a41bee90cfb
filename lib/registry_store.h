// lib/registry_store.h
// One registry key handle for what a window-based program keeps from one run to the next: a
// window's placement (a 44-byte REG_BINARY value), colours (4-byte REG_BINARY values, red
// first) and strings. Every value operation has a twin that takes a key handle as its last
// argument and works under that key, neither reading nor changing hKey. The class never
// closes a handle and owns no memory.
#ifndef ZAPFILE_REGISTRY_STORE_H
#define ZAPFILE_REGISTRY_STORE_H

#include <windows.h>

// The byte count of a stored placement and of a stored colour.
constexpr DWORD PLACEMENT_SIZE = 44;
constexpr DWORD COLOR_SIZE = 4;

class RegistryStore {
public:
    // The key opened last; null in a new object and after a failed open.
    HKEY hKey = nullptr;

    // Opens szName below hParent, creating it when it cannot be opened; hParent may be this
    // object's own hKey. The new hKey; null when both failed (the old handle stays open).
    HKEY OpenOrCreate(HKEY hParent, LPCSTR szName);
    // Opens szName below hParent without creating anything. 1 when it was opened, else 0
    // (hKey is then null).
    int Open(HKEY hParent, LPCSTR szName);
    // Removes the key szName below hParent; the platform's status. hKey is not used.
    LONG DeleteKey(HKEY hParent, LPCSTR szName);

    // Stores the window's placement under szName: 44 bytes, the first field holding 44.
    // The status of the write; nothing is written, and the platform's error is returned,
    // when the placement cannot be fetched (a record of zeros would shrink the window to
    // nothing when it is put back).
    LONG SavePlacement(HWND hwnd, LPCSTR szName);
    LONG SavePlacement(HWND hwnd, LPCSTR szName, HKEY hKeyGiven);
    // The placement stored under szName. Only a REG_BINARY value of exactly 44 bytes whose
    // length field holds 44 is taken; anything else (missing, shorter, longer, of another
    // type, unreadable) gives a record of zeros with only the length field set.
    WINDOWPLACEMENT LoadPlacement(LPCSTR szName);
    WINDOWPLACEMENT LoadPlacement(LPCSTR szName, HKEY hKeyGiven);
    // Puts the placement stored under szName onto the window: the platform's result, non-zero
    // on success. 0, and the window left where it is, when no whole record is stored. A window
    // stored minimised comes back normal (or maximised, if it was before it was minimised).
    BOOL RestorePlacement(HWND hwnd, LPCSTR szName);
    BOOL RestorePlacement(HWND hwnd, LPCSTR szName, HKEY hKeyGiven);

    // Stores rgb under szName as its 4 bytes (red, green, blue, the high byte); the status.
    LONG SetColor(COLORREF rgb, LPCSTR szName);
    LONG SetColor(COLORREF rgb, LPCSTR szName, HKEY hKeyGiven);
    // The colour stored under szName: the bytes of a value of at most 4 bytes, whatever its
    // type, the missing high ones 0; 0 when nothing is read (missing, or longer).
    COLORREF GetColor(LPCSTR szName);
    COLORREF GetColor(LPCSTR szName, HKEY hKeyGiven);
    // The same into rgb, whose bytes the value does not supply stay as they were (all of
    // them when nothing is read).
    void ReadColor(COLORREF& rgb, LPCSTR szName);
    void ReadColor(COLORREF& rgb, LPCSTR szName, HKEY hKeyGiven);

    // Stores szText under szName as REG_SZ, counting its characters without the NUL (the
    // platform stores the NUL that follows them too); the status.
    LONG SetString(LPCSTR szText, LPCSTR szName);
    LONG SetString(LPCSTR szText, LPCSTR szName, HKEY hKeyGiven);
};

#endif
