// app/forced_delete.cpp
#include "forced_delete.h"

#include <cstring>

#include "text_helpers.h"

namespace {

// What may not be written through: a folder, a link or junction (its target would be hit),
// a device, and files the platform protects (read-only, hidden, system).
constexpr DWORD kRefusedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                     FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY |
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Room for the path the file system reports for the open file: the path asked for has at
// most MAX_PATH characters, but folders reached through junctions may lengthen it.
constexpr DWORD kFinalPathSize = 4 * MAX_PATH;

// The last name of a path: what follows its last separator or drive colon.
LPCSTR LastName(LPCSTR szPath) {
    LPCSTR szName = szPath;
    for (LPCSTR p = szPath; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            szName = p + 1;
    return szName;
}

// The system's own path for the folder that szPath leads to, links among its folders followed
// as the system follows them; false when it cannot be opened or reported.
bool FinalFolder(LPCSTR szPath, char* szFolder) {
    char szAsked[kFinalPathSize];
    const size_t nFolder = static_cast<size_t>(LastName(szPath) - szPath);
    if (nFolder + 2 > kFinalPathSize)
        return false;
    // "dir\" as it stands, "." for a bare name, "C:." for the drive's current folder.
    memcpy(szAsked, szPath, nFolder);
    szAsked[nFolder] = '.';
    szAsked[nFolder + (nFolder == 0 || szPath[nFolder - 1] == ':' ? 1 : 0)] = '\0';
    HANDLE hFolder = CreateFileA(szAsked, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFolder == INVALID_HANDLE_VALUE)
        return false;
    const DWORD n =
        GetFinalPathNameByHandleA(hFolder, szFolder, kFinalPathSize, FILE_NAME_NORMALIZED);
    CloseHandle(hFolder);
    return n != 0 && n < kFinalPathSize;
}

// True when the open file is the one that the path names: the system's own path for it is
// the path of the folder that the asked path leads to, then the last name asked for. A link in
// place of the last name gives itself away by standing in another folder or under another
// name, whatever its own name: Wine presents a Unix symbolic link to a file as that file,
// without the reparse-point attribute, and follows it despite FILE_FLAG_OPEN_REPARSE_POINT.
// Links among the folders above are followed, as the system follows them. A short (8.3) name
// is made long first. A path the system cannot report is refused.
bool OpenedByItsOwnName(HANDLE hFile, LPCSTR szPath) {
    char szFinal[kFinalPathSize];
    const DWORD nFinal =
        GetFinalPathNameByHandleA(hFile, szFinal, kFinalPathSize, FILE_NAME_NORMALIZED);
    if (nFinal == 0 || nFinal >= kFinalPathSize)
        return false;
    char szLong[kFinalPathSize];
    const DWORD nLong = GetLongPathNameA(szPath, szLong, kFinalPathSize);
    LPCSTR szAsked = nLong != 0 && nLong < kFinalPathSize ? szLong : szPath;
    char szFolder[kFinalPathSize];
    if (!FinalFolder(szAsked, szFolder))
        return false;
    // The file's own path must be that folder's, one separator (unless the folder's path ends
    // in one, as a root's does), and the asked name with no separator in it. The system spells
    // both folders' paths alike, so they are compared exactly: under Wine two folders may
    // differ in case alone. The name asked for may differ in case, as Windows finds it so.
    LPCSTR szName = LastName(szFinal);
    size_t nPrefix = static_cast<size_t>(szName - szFinal);
    const size_t nFolder = strlen(szFolder);
    if (nPrefix > nFolder && nFolder > 0 && LastName(szFolder) != szFolder + nFolder)
        --nPrefix;  // the separator between the folder and the name
    if (nPrefix != nFolder)
        return false;
    szFinal[nPrefix] = '\0';
    return strcmp(szFinal, szFolder) == 0 && lstrcmpiA(szName, LastName(szAsked)) == 0;
}

// True when the open handle is a plain file on a disk that may be emptied.
bool IsWritableRegularFile(HANDLE hFile, LPCSTR szPath) {
    if (GetFileType(hFile) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(hFile, &info))
        return false;
    return (info.dwFileAttributes & kRefusedAttributes) == 0 && OpenedByItsOwnName(hFile, szPath);
}

// Opens the file for writing without truncating it and without following a link.
HANDLE OpenForZapping(LPCSTR szPath, DWORD dwCreation) {
    return CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       dwCreation, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

void ShowDeleteError(HWND hwndOwner) {
    MessageBoxA(hwndOwner, "Couldn't delete file.", "Error.", MB_ICONERROR);
}

void TruncateAndRemove(HWND hwndOwner, LPCSTR szPath) {
    // MAX_TEXT counts bytes, as the "A" calls do; in UTF-8 a character takes one to four.
    // The system would take a longer path whose characters are fewer than MAX_PATH; the
    // program holds to one limit wherever the path came from.
    if (strlen(szPath) > static_cast<size_t>(MAX_TEXT)) {
        ShowDeleteError(hwndOwner);
        return;
    }
    // The file is checked before anything is written: a FIFO, a device or a link's target is
    // never touched. A name that does not exist yet is created, as an emptying open would,
    // but only as a new name: where a link to nowhere stands, a system that follows links
    // (Wine does) would create its target instead.
    HANDLE hFile = OpenForZapping(szPath, OPEN_EXISTING);
    if (hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        hFile = OpenForZapping(szPath, CREATE_NEW);
    if (hFile == INVALID_HANDLE_VALUE) {
        ShowDeleteError(hwndOwner);
        return;
    }
    if (!IsWritableRegularFile(hFile, szPath)) {
        CloseHandle(hFile);
        ShowDeleteError(hwndOwner);
        return;
    }
    // The mark goes over the first byte, then the file ends after it: the same one byte 0xFF
    // as emptying the file and writing the mark, but the file keeps its first block, and a file
    // system that writes a file out at its close when it was emptied and written again (ext4
    // does) has nothing to write before the removal. A mark that could not be written leaves
    // the end at the start: the file is empty.
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    const BYTE mark = 0xFF;
    DWORD dwWritten = 0;
    WriteFile(hFile, &mark, 1, &dwWritten, nullptr);
    SetEndOfFile(hFile);
    CloseHandle(hFile);
    // The contents are gone even when the name stays (a folder where entries may not be
    // removed, another user's file in a sticky folder): the user must not believe the file
    // gone, so a failed removal shows the same error.
    if (!DeleteFileA(szPath))
        ShowDeleteError(hwndOwner);
}
