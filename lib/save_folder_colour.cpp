// lib/save_folder_colour.cpp
// CommonDialogs' save-file dialog, folder browser and colour dialog. Apart from the open-file
// dialog's file so that a program that only opens files imports none of their libraries.
#include "common_dialogs.h"

#include <cstring>

#include "path_separator.h"
#include "text_helpers.h"

void CommonDialogs::InitSave(HWND owner) {
    szFilter = ALL_FILES_FILTER;
    szFile = AllocZeroed(TEXT_BUFFER_SIZE);
    memset(&ofn, 0, sizeof ofn);
    ofn.hwndOwner = owner;
    // The platform's own size of the record without the 5.0 fields, as for the open dialog.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFilter = szFilter;
    ofn.lpstrFile = szFile;
    // Counts the NUL: a path of at most MAX_TEXT - 1 characters; the block's last byte stays 0.
    ofn.nMaxFile = MAX_TEXT;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
}

int CommonDialogs::ShowSave() { return GetSaveFileNameA(&ofn) != 0 ? 1 : 0; }

void CommonDialogs::InitFolder(HWND owner) {
    szResult = AllocZeroed(TEXT_BUFFER_SIZE);
    // A list still held would be lost with the pointer.
    CoTaskMemFree(pidl);
    pidl = nullptr;
    memset(&bi, 0, sizeof bi);
    bi.hwndOwner = owner;
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = szResult;
    bi.lpszTitle = FOLDER_TITLE;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
}

char* CommonDialogs::BrowseFolder() {
    CoTaskMemFree(pidl);
    pidl = SHBrowseForFolderA(&bi);
    if (pidl == nullptr)
        return nullptr;
    // Without a path, szResult holds only the folder's display name, which is no path: the
    // browse gives nothing rather than a wrong folder.
    if (!SHGetPathFromIDListA(pidl, szResult))
        return nullptr;
    return szResult;
}

namespace {

// The characters that no file name may hold, on either platform.
bool IsRemoved(char c) {
    return c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '>' ||
           c == '<';
}

}  // namespace

char* CommonDialogs::LeafName() {
    const int nLength = static_cast<int>(strlen(szResult));
    nNuls = nLength - 1;
    szLeaf = AllocZeroed(static_cast<SIZE_T>(nLength) + 1);
    if (szLeaf == nullptr)
        return nullptr;
    while (nNuls > 0 && szResult[nNuls] == PATH_SEPARATOR)
        --nNuls;
    while (nNuls > 0 && szResult[nNuls] != PATH_SEPARATOR)
        --nNuls;
    // The component starts after the separator the scan stopped on, also when that is the
    // path's first character (/tmp); at index 0 on anything else, the path's start.
    if (nNuls < 0 || szResult[nNuls] == PATH_SEPARATOR)
        ++nNuls;
    nScan = 0;
    while (nNuls < nLength && szResult[nNuls] != PATH_SEPARATOR) {
        if (!IsRemoved(szResult[nNuls]))
            szLeaf[nScan++] = szResult[nNuls];
        ++nNuls;
    }
    return szLeaf;
}

COLORREF CommonDialogs::PickColor(HWND owner, COLORREF initial) {
    memset(&cc, 0, sizeof cc);
    // The platform's own size: 36 bytes in a 32-bit program, 72 in a 64-bit one.
    cc.lStructSize = sizeof(CHOOSECOLORA);
    cc.hwndOwner = owner;
    cc.hInstance = nullptr;
    cc.rgbResult = initial;
    cc.lpCustColors = CustColors;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    ChooseColorA(&cc);
    return cc.rgbResult;
}
