// lib/text_helpers.cpp
#include "text_helpers.h"

#include <cstring>

char* AllocZeroed(SIZE_T dwSize) {
    char* block = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, dwSize));
    if (block != nullptr)
        memset(block, 0, dwSize);
    return block;
}

void ZeroFill(char* szBuffer, int nCount) {
    if (szBuffer == nullptr)
        return;
    for (int i = 0; i < nCount; ++i)
        szBuffer[i] = 0;
}

char* GetWindowTextAlloc(HWND hwnd) {
    int nLength = GetWindowTextLengthA(hwnd);
    if (nLength < 0)
        nLength = 0;
    char* block = AllocZeroed(static_cast<SIZE_T>(nLength) + 1);
    if (block != nullptr)
        GetWindowTextA(hwnd, block, nLength + 1);
    return block;
}

char* GetDlgItemTextAlloc(HWND hDlg, int nIDDlgItem) {
    int nLength = GetWindowTextLengthA(GetDlgItem(hDlg, nIDDlgItem));
    if (nLength < 0)
        nLength = 0;
    char* block = AllocZeroed(static_cast<SIZE_T>(nLength) + 1);
    if (block != nullptr)
        GetDlgItemTextA(hDlg, nIDDlgItem, block, nLength + 1);
    return block;
}

void CutString(char** lpText, unsigned nKeep, unsigned nResume) {
    if (lpText == nullptr || *lpText == nullptr)
        return;
    const size_t nLength = strlen(*lpText);
    if (nKeep >= nLength)
        return;
    if (nResume > nLength)
        nResume = static_cast<unsigned>(nLength);
    const size_t nTail = nLength - nResume;
    char* block = AllocZeroed(nKeep + nTail + 1);
    if (block == nullptr)
        return;
    memcpy(block, *lpText, nKeep);
    memcpy(block + nKeep, *lpText + nResume, nTail);
    GlobalFree(*lpText);
    *lpText = block;
}

char* AllocCrLf() {
    char* block = AllocZeroed(3);
    if (block != nullptr) {
        block[0] = '\r';
        block[1] = '\n';
        block[2] = '\0';
    }
    return block;
}

int StringsEqual(const char* szFirst, const char* szSecond) {
    const size_t nLength = strlen(szFirst);
    if (nLength != strlen(szSecond))
        return 0;
    for (size_t i = 0; i < nLength; ++i)
        if (szFirst[i] != szSecond[i])
            return 0;
    return 1;
}
