// win32-linux/kernel32/memory.cpp
// GlobalAlloc and GlobalFree: fixed blocks whose handle is their address.
#include <windows.h>

#include <cstdlib>

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    // A zero-byte block is still a distinct, releasable block, as on Windows.
    const SIZE_T size = dwBytes == 0 ? 1 : dwBytes;
    void* block = (uFlags & GMEM_ZEROINIT) ? calloc(1, size) : malloc(size);
    if (block == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    free(hMem);
    return nullptr;
}
