// lib/common_dialogs.cpp
#include "common_dialogs.h"

#include <cstring>

#include "path_separator.h"
#include "text_helpers.h"

void CommonDialogs::InitOpen(HWND owner) {
    szFilter = ALL_FILES_FILTER;
    szFile = AllocZeroed(FILE_LIST_SIZE);
    szFirst = AllocZeroed(MAX_PATH);
    szName = AllocZeroed(MAX_PATH);
    nPos = 0;
    bEnd = 0;
    memset(&ofn, 0, sizeof ofn);
    ofn.hwndOwner = owner;
    // The platform's own size of the record without the 5.0 fields, which every version
    // accepts: 76 bytes in a 32-bit program, 136 in a 64-bit one.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFilter = szFilter;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = FILE_LIST_SIZE;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
}

int CommonDialogs::ShowOpen() {
    if (GetOpenFileNameA(&ofn) == 0)
        return 0;
    lpList = szFile;
    szFirst = NextName();
    szName = AllocZeroed(MAX_PATH);
    bSingle = IsSingleSelection();
    return 1;
}

char* CommonDialogs::NextName() {
    szName = AllocZeroed(MAX_PATH);
    nLen = 0;
    nNuls = 0;
    if (lpList[0] == '\0')
        bEnd = 1;
    if (bEnd)
        return szName;
    while (nPos < FILE_LIST_SIZE && lpList[nPos] == '\0' && nNuls < 2) {
        ++nNuls;
        ++nPos;
    }
    if (nNuls == 2 || nPos >= FILE_LIST_SIZE) {
        bEnd = 1;
        return szName;
    }
    int nEnd = nPos;
    while (nEnd < FILE_LIST_SIZE && lpList[nEnd] != '\0')
        ++nEnd;
    // An entry that does not fit, or that runs to the end of the list without its NUL, ends
    // the walk with an empty name: a cut name could name another file.
    if (nEnd - nPos > MAX_PATH - 1 || nEnd >= FILE_LIST_SIZE) {
        bEnd = 1;
        return szName;
    }
    while (nPos < nEnd) {
        szName[nLen] = lpList[nPos];
        ++nPos;
        ++nLen;
    }
    return szName;
}

int CommonDialogs::IsSingleSelection() {
    nScan = 0;
    nNuls = 0;
    while (nScan < FILE_LIST_SIZE && lpList[nScan] != '\0')
        ++nScan;
    while (nScan < FILE_LIST_SIZE && lpList[nScan] == '\0' && nNuls < 2) {
        ++nNuls;
        ++nScan;
    }
    return nNuls != 1 ? 1 : 0;
}

char* CommonDialogs::FileName() {
    if (IsSingleSelection()) {
        const int nFirst = static_cast<int>(strlen(szFirst));
        int nStart = nFirst;
        while (nStart > 0 && szFirst[nStart - 1] != PATH_SEPARATOR)
            --nStart;
        szResult = AllocZeroed(static_cast<SIZE_T>(nFirst - nStart) + 1);
        memcpy(szResult, szFirst + nStart, static_cast<size_t>(nFirst - nStart));
    } else {
        szResult = AllocZeroed(strlen(szName) + 1);
        strcpy(szResult, szName);
    }
    return szResult;
}

char* CommonDialogs::JoinPath() {
    const size_t nFirst = strlen(szFirst);
    szResult = AllocZeroed(nFirst + 1 + strlen(szName) + 1);
    memcpy(szResult, szFirst, nFirst);
    size_t nAt = nFirst;
    if (nFirst == 0 || szFirst[nFirst - 1] != PATH_SEPARATOR)
        szResult[nAt++] = PATH_SEPARATOR;
    strcpy(szResult + nAt, szName);
    return szResult;
}
