// app/forced_delete.cpp
#include "forced_delete.h"

namespace {

// What may not be written through: a folder, a link or junction (its target would be hit),
// a device, and files the platform protects (read-only, hidden, system).
constexpr DWORD kRefusedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                     FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY |
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// True when the open handle is a plain file on a disk that may be emptied.
bool IsWritableRegularFile(HANDLE hFile) {
    if (GetFileType(hFile) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(hFile, &info))
        return false;
    return (info.dwFileAttributes & kRefusedAttributes) == 0;
}

}  // namespace

void ShowDeleteError(HWND hwndOwner) {
    MessageBoxA(hwndOwner, "Couldn't delete file.", "Error.", MB_ICONERROR);
}

void TruncateAndRemove(HWND hwndOwner, LPCSTR szPath) {
    // The file is opened without truncation and without following a link, and checked
    // before anything is written: a FIFO, a device or a link's target is never touched.
    // A name that does not exist yet is created, as an emptying open would.
    HANDLE hFile = CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        ShowDeleteError(hwndOwner);
        return;
    }
    if (!IsWritableRegularFile(hFile)) {
        CloseHandle(hFile);
        ShowDeleteError(hwndOwner);
        return;
    }
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(hFile);
    const BYTE mark = 0xFF;
    DWORD dwWritten = 0;
    WriteFile(hFile, &mark, 1, &dwWritten, nullptr);
    CloseHandle(hFile);
    // A failed removal leaves the file one byte long, holding 0xFF; nobody is told.
    DeleteFileA(szPath);
}
