// lib/registry_store.cpp
#include "registry_store.h"

#include <cstring>

static_assert(sizeof(WINDOWPLACEMENT) == PLACEMENT_SIZE);
static_assert(sizeof(COLORREF) == COLOR_SIZE);

namespace {

// Reads the placement stored under szName into *WndPl; false, with *WndPl all zeros but its
// length field, unless a whole record was read. The status is looked at: after a failed or
// too-small read the area holds nothing of the value on Windows.
bool ReadPlacement(HKEY hKeyUsed, LPCSTR szName, WINDOWPLACEMENT* WndPl) {
    BYTE area[PLACEMENT_SIZE] = {};
    DWORD lpType = REG_BINARY;
    DWORD lpSize = PLACEMENT_SIZE;
    const LONG status = RegQueryValueExA(hKeyUsed, szName, nullptr, &lpType, area, &lpSize);
    memset(WndPl, 0, sizeof *WndPl);
    UINT nLength = 0;
    memcpy(&nLength, area, sizeof nLength);
    const bool bWhole = status == ERROR_SUCCESS && lpType == REG_BINARY &&
                        lpSize == PLACEMENT_SIZE && nLength == PLACEMENT_SIZE;
    if (bWhole)
        memcpy(WndPl, area, PLACEMENT_SIZE);
    WndPl->length = PLACEMENT_SIZE;
    return bWhole;
}

// Puts the bytes of a colour value, red first, over the low bytes of *rgb; nothing unless a
// value of at most 4 bytes was read. Its type is not looked at: a value of another type gives
// its bytes as they are. The status is: after a failed or too-small read the area holds
// nothing of the value on Windows.
void ReadColorBytes(HKEY hKeyUsed, LPCSTR szName, COLORREF* rgb) {
    BYTE area[COLOR_SIZE] = {};
    DWORD lpType = REG_BINARY;
    DWORD lpSize = COLOR_SIZE;
    const LONG status = RegQueryValueExA(hKeyUsed, szName, nullptr, &lpType, area, &lpSize);
    if (status != ERROR_SUCCESS || lpSize > COLOR_SIZE)
        return;
    for (DWORD i = 0; i < lpSize; ++i)
        *rgb = (*rgb & ~(0xFFu << (8 * i))) | (static_cast<COLORREF>(area[i]) << (8 * i));
}

}  // namespace

HKEY RegistryStore::OpenOrCreate(HKEY hParent, LPCSTR szName) {
    // hParent was read before the open: a failed open nulls hKey, which may be the parent.
    if (RegOpenKeyA(hParent, szName, &hKey) != ERROR_SUCCESS &&
        RegCreateKeyA(hParent, szName, &hKey) != ERROR_SUCCESS)
        hKey = nullptr;
    return hKey;
}

int RegistryStore::Open(HKEY hParent, LPCSTR szName) {
    if (RegOpenKeyA(hParent, szName, &hKey) == ERROR_SUCCESS)
        return 1;
    hKey = nullptr;
    return 0;
}

LONG RegistryStore::DeleteKey(HKEY hParent, LPCSTR szName) {
    return RegDeleteKeyA(hParent, szName);
}

LONG RegistryStore::SavePlacement(HWND hwnd, LPCSTR szName) {
    return SavePlacement(hwnd, szName, hKey);
}

LONG RegistryStore::SavePlacement(HWND hwnd, LPCSTR szName, HKEY hKeyGiven) {
    WINDOWPLACEMENT WndPl;
    memset(&WndPl, 0, sizeof WndPl);
    WndPl.length = PLACEMENT_SIZE;
    if (!GetWindowPlacement(hwnd, &WndPl)) {
        const DWORD dwError = GetLastError();
        return dwError != ERROR_SUCCESS ? static_cast<LONG>(dwError) : ERROR_INVALID_PARAMETER;
    }
    return RegSetValueExA(hKeyGiven, szName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&WndPl),
                          PLACEMENT_SIZE);
}

WINDOWPLACEMENT RegistryStore::LoadPlacement(LPCSTR szName) {
    return LoadPlacement(szName, hKey);
}

WINDOWPLACEMENT RegistryStore::LoadPlacement(LPCSTR szName, HKEY hKeyGiven) {
    WINDOWPLACEMENT WndPl;
    ReadPlacement(hKeyGiven, szName, &WndPl);
    return WndPl;
}

BOOL RegistryStore::RestorePlacement(HWND hwnd, LPCSTR szName) {
    return RestorePlacement(hwnd, szName, hKey);
}

BOOL RegistryStore::RestorePlacement(HWND hwnd, LPCSTR szName, HKEY hKeyGiven) {
    WINDOWPLACEMENT WndPl;
    if (!ReadPlacement(hKeyGiven, szName, &WndPl))
        return 0;
    // A window saved minimised (closed from the taskbar, say) comes back as it was before it
    // was minimised, as programs restore one: else it would start minimised for good.
    if (WndPl.showCmd == SW_SHOWMINIMIZED || WndPl.showCmd == SW_MINIMIZE ||
        WndPl.showCmd == SW_SHOWMINNOACTIVE)
        WndPl.showCmd = (WndPl.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return SetWindowPlacement(hwnd, &WndPl);
}

LONG RegistryStore::SetColor(COLORREF rgb, LPCSTR szName) { return SetColor(rgb, szName, hKey); }

LONG RegistryStore::SetColor(COLORREF rgb, LPCSTR szName, HKEY hKeyGiven) {
    // Byte by byte, red first, whatever the byte order of the machine.
    const BYTE bytes[COLOR_SIZE] = {static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8),
                                    static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 24)};
    return RegSetValueExA(hKeyGiven, szName, 0, REG_BINARY, bytes, COLOR_SIZE);
}

COLORREF RegistryStore::GetColor(LPCSTR szName) { return GetColor(szName, hKey); }

COLORREF RegistryStore::GetColor(LPCSTR szName, HKEY hKeyGiven) {
    COLORREF RgbTmp = 0;
    ReadColorBytes(hKeyGiven, szName, &RgbTmp);
    return RgbTmp;
}

void RegistryStore::ReadColor(COLORREF& rgb, LPCSTR szName) { ReadColor(rgb, szName, hKey); }

void RegistryStore::ReadColor(COLORREF& rgb, LPCSTR szName, HKEY hKeyGiven) {
    ReadColorBytes(hKeyGiven, szName, &rgb);
}

LONG RegistryStore::SetString(LPCSTR szText, LPCSTR szName) {
    return SetString(szText, szName, hKey);
}

LONG RegistryStore::SetString(LPCSTR szText, LPCSTR szName, HKEY hKeyGiven) {
    return RegSetValueExA(hKeyGiven, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szText),
                          static_cast<DWORD>(strlen(szText)));
}
