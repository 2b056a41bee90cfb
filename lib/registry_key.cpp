// lib/registry_key.cpp
#include "registry_key.h"

#include <cstring>

#include "text_helpers.h"

HKEY RegistryKey::OpenOrCreate(HKEY hParent, LPCSTR szName) {
    // hParent was read before the open: a failed open nulls hKey, which may be the parent.
    if (RegOpenKeyA(hParent, szName, &hKey) != ERROR_SUCCESS)
        RegCreateKeyA(hParent, szName, &hKey);
    return hKey;
}

LONG RegistryKey::SetString(LPCSTR szText, LPCSTR szName) {
    const DWORD cbData = static_cast<DWORD>(strlen(szText));
    return RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szText), cbData);
}

char* RegistryKey::GetString(LPCSTR szName) {
    char* block = AllocZeroed(TEXT_BUFFER_SIZE);
    if (block == nullptr)
        return nullptr;
    DWORD dwType = 0;
    // NOTE: Windows stores the NUL that follows a text even when the count leaves it out, so
    // a text of MAX_TEXT characters is MAX_TEXT + 1 bytes: the whole block is offered, and
    // a read that fills it without ending in a NUL is a text too long for it.
    DWORD dwSize = TEXT_BUFFER_SIZE;
    const LONG status = RegQueryValueExA(hKey, szName, nullptr, &dwType,
                                         reinterpret_cast<BYTE*>(block), &dwSize);
    // After ERROR_MORE_DATA the block's contents are undefined on Windows; a value too long
    // for the block reads as an empty text on every platform.
    if (status == ERROR_MORE_DATA || block[MAX_TEXT] != '\0')
        ZeroFill(block, TEXT_BUFFER_SIZE);
    return block;
}

char* RegistryKey::GetModulePath(HINSTANCE hModule) {
    char* block = AllocZeroed(TEXT_BUFFER_SIZE);
    if (block != nullptr)
        GetModuleFileNameA(hModule, block, MAX_TEXT);
    return block;
}
