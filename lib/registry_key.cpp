// lib/registry_key.cpp
#include "registry_key.h"

#include <cstring>

#include "text_helpers.h"

HKEY RegistryKey::OpenOrCreate(HKEY hParent, LPCSTR szName) {
    // hParent was read before the open: a failed open nulls hKey, which may be the parent.
    if (RegOpenKeyA(hParent, szName, &hKey) != ERROR_SUCCESS) {
        const LONG lStatus = RegCreateKeyA(hParent, szName, &hKey);
        if (hKey == nullptr)
            SetLastError(lStatus != ERROR_SUCCESS ? lStatus : ERROR_CANTOPEN);
    }
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
    if (block == nullptr)
        return nullptr;
    // A path that fills the whole block did not fit: the system cut it, maybe inside a
    // character, and a cut path names another file. It is not kept.
    const DWORD cch = GetModuleFileNameA(hModule, block, TEXT_BUFFER_SIZE);
    if (cch == 0 || cch >= static_cast<DWORD>(TEXT_BUFFER_SIZE))
        ZeroFill(block, TEXT_BUFFER_SIZE);
    return block;
}

namespace {

// The longest program path whose command line, '"' path '" "%1"', fits MAX_TEXT bytes.
constexpr size_t kMaxProgramPath = MAX_TEXT - 7;

// Appends szText to the text of *pcchUsed characters in a TEXT_BUFFER_SIZE block; false, with
// nothing written, when the result would not leave the block's last byte for the NUL.
bool Append(char* szBlock, size_t* pcchUsed, LPCSTR szText) {
    const size_t cch = strlen(szText);
    if (cch > MAX_TEXT - *pcchUsed)
        return false;
    memcpy(szBlock + *pcchUsed, szText, cch);
    *pcchUsed += cch;
    return true;
}

}  // namespace

int RegistryKey::RegisterShellVerb(LPCSTR szClass, LPCSTR szVerb, LPCSTR szProgram,
                                   LPCSTR szClass2) {
    char* szScratch = AllocZeroed(TEXT_BUFFER_SIZE);
    if (szScratch == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    // Refused whole: a shortened path could start another program. An empty one is a module
    // path that could not be read.
    if (szProgram[0] == '\0' || strlen(szProgram) > kMaxProgramPath) {
        GlobalFree(szScratch);
        SetLastError(szProgram[0] == '\0' ? ERROR_BAD_PATHNAME : ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    const LPCSTR szClasses[2] = {szClass, szClass2};
    int bDone[2] = {0, 0};
    LONG lFailed = ERROR_SUCCESS;
    for (int i = 0; i < 2; ++i) {
        LONG lStatus = ERROR_SUCCESS;
        if (OpenOrCreate(HKEY_CLASSES_ROOT, szClasses[i]) == nullptr ||
            OpenOrCreate(hKey, "shell") == nullptr || OpenOrCreate(hKey, szVerb) == nullptr ||
            OpenOrCreate(hKey, "command") == nullptr) {
            lStatus = static_cast<LONG>(GetLastError());
        } else {
            ZeroFill(szScratch, TEXT_BUFFER_SIZE);
            size_t cchUsed = 0;
            Append(szScratch, &cchUsed, "\"");
            Append(szScratch, &cchUsed, szProgram);
            Append(szScratch, &cchUsed, "\" \"%1\"");
            // A command that was not stored is no registration, whatever keys were reached.
            lStatus = SetString(szScratch, "");
        }
        bDone[i] = lStatus == ERROR_SUCCESS;
        if (lFailed == ERROR_SUCCESS)
            lFailed = lStatus;
    }
    GlobalFree(szScratch);
    SetLastError(lFailed);
    return bDone[0] && bDone[1];
}

LONG RegistryKey::UnregisterShellVerb(LPCSTR szClass, LPCSTR szVerb, LPCSTR,
                                      LPCSTR szClass2) {
    // Registry paths: the separator is a backslash on every platform. Leaf first, as a key
    // with subkeys is not removed; the last path ends in a backslash and names "shell".
    struct Removal {
        LPCSTR szClassName;
        LPCSTR szVerbName;  // null: the path stops at "shell\"
        LPCSTR szLeaf;      // null: the path stops at the verb
    };
    const Removal removals[] = {
        {szClass, szVerb, "\\command"}, {szClass, szVerb, nullptr},
        {szClass2, szVerb, "\\command"}, {szClass2, szVerb, nullptr},
        {szClass2, nullptr, nullptr},
    };
    char* szScratch = AllocZeroed(TEXT_BUFFER_SIZE);
    // The entry is gone when neither "command" key is left: each was removed or was not there.
    LONG lLeft = szScratch == nullptr ? ERROR_NOT_ENOUGH_MEMORY : ERROR_SUCCESS;
    for (const Removal& r : removals) {
        if (szScratch == nullptr)
            break;
        ZeroFill(szScratch, TEXT_BUFFER_SIZE);
        size_t cchUsed = 0;
        LONG lStatus = ERROR_FILENAME_EXCED_RANGE;
        // A path that does not fit is not tried rather than cut to some other key's path.
        if (Append(szScratch, &cchUsed, r.szClassName) &&
            Append(szScratch, &cchUsed, "\\shell\\") &&
            (r.szVerbName == nullptr || Append(szScratch, &cchUsed, r.szVerbName)) &&
            (r.szLeaf == nullptr || Append(szScratch, &cchUsed, r.szLeaf)))
            lStatus = RegDeleteKeyA(HKEY_CLASSES_ROOT, szScratch);
        if (r.szLeaf != nullptr && lStatus != ERROR_SUCCESS && lStatus != ERROR_FILE_NOT_FOUND &&
            lLeft == ERROR_SUCCESS)
            lLeft = lStatus;
    }
    GlobalFree(szScratch);
    const LONG lResult = RegDeleteKeyA(HKEY_CLASSES_ROOT, szClass2);
    SetLastError(lLeft);
    return lResult;
}
