// win32-linux/kernel32/module.cpp
#include "kernel32/module.h"

#include <climits>
#include <cstring>
#include <unistd.h>

namespace {
char g_moduleAnchor;
}

HINSTANCE standin::ProgramInstance() { return reinterpret_cast<HINSTANCE>(&g_moduleAnchor); }

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (hModule != nullptr && hModule != standin::ProgramInstance()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // The executable's real path, links resolved, as the kernel knew it at the first call: as on
    // Windows, the path the program was started from, whatever happens to the file later.
    static char path[PATH_MAX + 1];
    static ssize_t n = 0;
    if (n <= 0)
        n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(n);
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // As on current Windows: a path that does not fit is cut to nSize - 1 characters, still
    // terminated, and reported with the buffer's size and ERROR_INSUFFICIENT_BUFFER.
    if (length >= nSize) {
        memcpy(lpFilename, path, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    memcpy(lpFilename, path, length);
    lpFilename[length] = '\0';
    SetLastError(ERROR_SUCCESS);
    return length;
}
