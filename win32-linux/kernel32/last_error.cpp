// win32-linux/kernel32/last_error.cpp
#include <windows.h>

#include "kernel32/last_error.h"

#include <cstdio>
#include <cstring>

namespace {
thread_local DWORD t_lastError = 0;
thread_local int t_unixError = 0;
}  // namespace

DWORD WINAPI GetLastError(void) { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) {
    t_lastError = dwErrCode;
    t_unixError = 0;
}

void standin::SetLastErrorFromUnix(DWORD dwErrCode, int unixError) {
    t_lastError = dwErrCode;
    t_unixError = unixError;
}

int standin::LastUnixError() { return t_unixError; }

namespace {

// The errors the stand-in sets, in the words of Windows' own message table.
const char* SystemMessage(DWORD dwMessageId) {
    switch (dwMessageId) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_WRITE_FAULT: return "The system cannot write to the specified device.";
    case ERROR_SHARING_VIOLATION:
        return "The process cannot access the file because it is being used by another process.";
    case ERROR_NOT_SUPPORTED: return "The request is not supported.";
    case ERROR_FILE_EXISTS: return "The file exists.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_DISK_FULL: return "There is not enough space on the disk.";
    case ERROR_INSUFFICIENT_BUFFER: return "The data area passed to a system call is too small.";
    case ERROR_INVALID_NAME:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_BAD_PATHNAME: return "The specified path is invalid.";
    case ERROR_ALREADY_EXISTS: return "Cannot create a file when that file already exists.";
    case ERROR_FILENAME_EXCED_RANGE: return "The filename or extension is too long.";
    case ERROR_MORE_DATA: return "More data is available.";
    case ERROR_NO_MORE_ITEMS: return "No more data is available.";
    case ERROR_DIRECTORY: return "The directory name is invalid.";
    case ERROR_BADDB: return "The configuration registry database is corrupt.";
    case ERROR_BADKEY: return "The configuration registry key is invalid.";
    case ERROR_CANTOPEN: return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD: return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE: return "The configuration registry key could not be written.";
    case ERROR_REGISTRY_CORRUPT:
        return "The registry is corrupted. The structure of one of the files containing registry "
               "data is corrupted, or the system's memory image of the file is corrupted, or the "
               "file could not be recovered because the alternate copy or log was absent or "
               "corrupted.";
    case ERROR_KEY_DELETED:
        return "Illegal operation attempted on a registry key that has been marked for deletion.";
    case ERROR_INVALID_WINDOW_HANDLE: return "Invalid window handle.";
    case ERROR_CONTROL_ID_NOT_FOUND: return "Control ID not found.";
    case ERROR_RESOURCE_NAME_NOT_FOUND:
        return "The specified resource name cannot be found in the image file.";
    default: return nullptr;
    }
}

}  // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer,
                            DWORD nSize, void*) {
    const char* text = (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) ? SystemMessage(dwMessageId) : nullptr;
    if (text == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    // Windows ends each of these messages with a line break.
    const size_t length = strlen(text) + 2;
    if (lpBuffer == nullptr || length >= nSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    snprintf(lpBuffer, nSize, "%s\r\n", text);
    return static_cast<DWORD>(length);
}
