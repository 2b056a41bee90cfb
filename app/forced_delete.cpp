// app/forced_delete.cpp
#include "forced_delete.h"

#include <cstring>

#include "path_separator.h"
#include "text_helpers.h"

namespace {

// What may not be written through: a folder, a link or junction (its target would be hit),
// a device, and files the platform protects (read-only, hidden, system).
constexpr DWORD kRefusedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                     FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY |
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// While it is zapped, others may read and write the file, but not delete it.
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Room for the path the file system reports for the open file: the path asked for has at
// most MAX_PATH characters, but folders reached through junctions may lengthen it.
constexpr DWORD kFinalPathSize = 4 * MAX_PATH;

// The last name of a path: what follows its last separator (or, on Windows, drive colon).
LPCSTR LastName(LPCSTR szPath) {
    LPCSTR szName = szPath;
    for (LPCSTR p = szPath; *p != '\0'; ++p)
        if (IsPathSeparator(*p))
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
    HANDLE hFolder = CreateFileA(szAsked, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFolder == INVALID_HANDLE_VALUE)
        return false;
    const DWORD n =
        GetFinalPathNameByHandleA(hFolder, szFolder, kFinalPathSize, FILE_NAME_NORMALIZED);
    CloseHandle(hFolder);
    return n != 0 && n < kFinalPathSize;
}

// True when the open file is the one that the path names: the system's own path for it is
// the path of the folder that the asked path leads to, then the name that the folder lists
// for the asked one, exactly. A link in place of the last name gives itself away by standing
// in another folder or under another name, whatever its own: Wine presents a Unix symbolic
// link to a file as that file, without the reparse-point attribute, and follows it despite
// FILE_FLAG_OPEN_REPARSE_POINT; a link F to f beside it is listed as F, and f is reported.
// The listing spells a name asked for in another case, or by its short (8.3) form, as the
// file has it. Links among the folders above are followed, as the system follows them. A
// path the system cannot report is refused.
bool OpenedByItsOwnName(HANDLE hFile, LPCSTR szPath) {
    char szFinal[kFinalPathSize];
    const DWORD nFinal =
        GetFinalPathNameByHandleA(hFile, szFinal, kFinalPathSize, FILE_NAME_NORMALIZED);
    if (nFinal == 0 || nFinal >= kFinalPathSize)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA(szPath, &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    char szFolder[kFinalPathSize];
    if (!FinalFolder(szPath, szFolder))
        return false;
    // The file's own path must be that folder's, one separator (unless the folder's path ends
    // in one, as a root's does), and the listed name. The system spells both folders' paths
    // alike, so they are compared exactly: under Wine two folders may differ in case alone.
    LPCSTR szName = LastName(szFinal);
    size_t nPrefix = static_cast<size_t>(szName - szFinal);
    const size_t nFolder = strlen(szFolder);
    if (nPrefix > nFolder && nFolder > 0 && LastName(szFolder) != szFolder + nFolder)
        --nPrefix;  // the separator between the folder and the name
    if (nPrefix != nFolder)
        return false;
    szFinal[nPrefix] = '\0';
    return strcmp(szFinal, szFolder) == 0 && strcmp(szName, found.cFileName) == 0;
}

// True when attributes allow the file to be emptied; the last error is set when they do not.
bool HasZappableAttributes(const BY_HANDLE_FILE_INFORMATION& info) {
    if ((info.dwFileAttributes & kRefusedAttributes) == 0)
        return true;
    SetLastError(ERROR_ACCESS_DENIED);  // as Windows answers a write to any of these
    return false;
}

// True when two reports are of the same file.
bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// True when the open handle is a plain file on a disk, under its own name, that may be
// emptied; the last error is set when it is not.
bool IsZappable(HANDLE hFile, LPCSTR szPath, BY_HANDLE_FILE_INFORMATION* pInfo) {
    if (!GetFileInformationByHandle(hFile, pInfo) || !HasZappableAttributes(*pInfo))
        return false;
    if (GetFileType(hFile) == FILE_TYPE_DISK && OpenedByItsOwnName(hFile, szPath))
        return true;
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

// The checked file opened again for writing and, if it can be, deleting; invalid when it
// cannot be written, or when what was opened is not that same file (Wine opens it again by
// its name, where another file may stand by then) or no longer has attributes that allow it.
HANDLE OpenCheckedForWriting(const CheckedFile* pFile, DWORD* pdwNoDelete) {
    // Another program may hold the file open without letting it be deleted (Windows): its
    // contents still go, and the removal's failure is shown.
    constexpr DWORD kWrite = GENERIC_WRITE | FILE_READ_ATTRIBUTES;
    HANDLE hWrite = ReOpenFile(pFile->hFile, kWrite | DELETE, kShareReadWrite, 0);
    if (hWrite == INVALID_HANDLE_VALUE) {
        *pdwNoDelete = GetLastError();
        hWrite = ReOpenFile(pFile->hFile, kWrite, kShareReadWrite, 0);
    }
    if (hWrite == INVALID_HANDLE_VALUE)
        return hWrite;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(hWrite, &info) && HasZappableAttributes(info)) {
        if (SameFile(info, pFile->info))
            return hWrite;
        SetLastError(ERROR_FILE_NOT_FOUND);  // the checked file is not where it was
    }
    const DWORD dwError = GetLastError();
    CloseHandle(hWrite);
    SetLastError(dwError);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void ShowDeleteError(HWND hwndOwner) {
    const DWORD dwError = GetLastError();
    // The design's line first; the system's own words for the error, if it has any, below it.
    char szText[600] = "Couldn't delete file.";
    char szReason[512];
    DWORD n = dwError == ERROR_SUCCESS
                  ? 0
                  : FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, dwError, 0, szReason, sizeof szReason, nullptr);
    while (n > 0 && (szReason[n - 1] == '\r' || szReason[n - 1] == '\n' || szReason[n - 1] == ' '))
        szReason[--n] = '\0';
    if (n > 0) {
        strcat(szText, "\n\n");
        strcat(szText, szReason);
    }
    MessageBoxA(hwndOwner, szText, "Error.", MB_ICONERROR);
}

BOOL CheckFileToZap(LPCSTR szPath, CheckedFile* pFile) {
    pFile->hFile = nullptr;
    // MAX_TEXT counts bytes, as the "A" calls do; in UTF-8 a character takes one to four.
    // The system would take a longer path whose characters are fewer than MAX_PATH; the
    // program holds to one limit wherever the path came from.
    if (strlen(szPath) > static_cast<size_t>(MAX_TEXT)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    // Opened for its attributes alone: nothing is opened for writing, and a FIFO, a device
    // or a kernel file is not opened at all, before it is known to be a plain file on a disk.
    HANDLE hFile = CreateFileA(szPath, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        // A name that does not exist yet in an existing folder may be made, unless the folder
        // lists something by that name: a link to nowhere, which Wine reports missing.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return FALSE;
        WIN32_FIND_DATAA found;
        HANDLE hFind = FindFirstFileA(szPath, &found);
        if (hFind == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_NOT_FOUND;
        FindClose(hFind);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!IsZappable(hFile, szPath, &pFile->info)) {
        const DWORD dwError = GetLastError();
        CloseHandle(hFile);
        SetLastError(dwError);
        return FALSE;
    }
    pFile->hFile = hFile;
    return TRUE;
}

void ZapCheckedFile(HWND hwndOwner, const CheckedFile* pFile, LPCSTR szPath) {
    DWORD dwNoDelete = ERROR_SUCCESS;  // why the file could not be opened for deleting
    // Made only as a new name: where a link to nowhere stands, a system that follows links
    // (Wine does) would create its target instead.
    HANDLE hWrite = pFile->hFile != nullptr
                        ? OpenCheckedForWriting(pFile, &dwNoDelete)
                        : CreateFileA(szPath, GENERIC_WRITE | DELETE, kShareReadWrite, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
    BOOL bDone = hWrite != INVALID_HANDLE_VALUE;
    if (bDone) {
        // The mark goes over the first byte, then the file ends after it: the same one byte
        // 0xFF as emptying the file and writing the mark, but the file keeps its first block,
        // and a file system that writes a file out at its close when it was emptied and
        // written again (ext4 does) has nothing to write before the removal. A mark that could
        // not be written leaves the end at the start: the file is empty.
        const BYTE mark = 0xFF;
        DWORD dwWritten = 0;
        WriteFile(hWrite, &mark, 1, &dwWritten, nullptr);
        FILE_END_OF_FILE_INFO end = {};
        end.EndOfFile.QuadPart = dwWritten;
        SetFileInformationByHandle(hWrite, FileEndOfFileInfo, &end, sizeof end);
        // The name goes through the open file, not by looking it up again. The contents are
        // gone even when the name stays (a folder where entries may not be removed, another
        // user's file in a sticky folder): the user must not believe the file gone, so a
        // failed removal shows the error.
        FILE_DISPOSITION_INFO disposition = {TRUE};
        bDone = SetFileInformationByHandle(hWrite, FileDispositionInfo, &disposition,
                                           sizeof disposition);
        if (!bDone && dwNoDelete != ERROR_SUCCESS)
            SetLastError(dwNoDelete);  // the handle could not be had for deleting: why
    }
    const DWORD dwError = GetLastError();
    if (hWrite != INVALID_HANDLE_VALUE)
        CloseHandle(hWrite);
    if (pFile->hFile != nullptr)
        CloseHandle(pFile->hFile);
    if (!bDone) {
        SetLastError(dwError);
        ShowDeleteError(hwndOwner);
    }
}

void TruncateAndRemove(HWND hwndOwner, LPCSTR szPath) {
    CheckedFile file;
    if (CheckFileToZap(szPath, &file))
        ZapCheckedFile(hwndOwner, &file, szPath);
    else
        ShowDeleteError(hwndOwner);
}
