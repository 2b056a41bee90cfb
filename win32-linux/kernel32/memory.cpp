// win32-linux/kernel32/memory.cpp
// GlobalAlloc and GlobalFree: fixed blocks whose handle is their address.
#include <windows.h>

#include "kernel32/memory.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

std::atomic<bool> g_inRun{false};
std::mutex g_runMutex;
// Never destroyed: a block may be released by code that runs during exit.
std::vector<void*>& RunBlocks() {
    static auto* const blocks = new std::vector<void*>;
    return *blocks;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    // A zero-byte block is still a distinct, releasable block, as on Windows.
    const SIZE_T size = dwBytes == 0 ? 1 : dwBytes;
    void* block = (uFlags & GMEM_ZEROINIT) ? calloc(1, size) : malloc(size);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } else if (g_inRun) {
        std::lock_guard<std::mutex> lock(g_runMutex);
        RunBlocks().push_back(block);
    }
    return block;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    if (g_inRun && hMem != nullptr) {
        std::lock_guard<std::mutex> lock(g_runMutex);
        std::vector<void*>& blocks = RunBlocks();
        const auto found = std::find(blocks.begin(), blocks.end(), hMem);
        if (found != blocks.end())
            blocks.erase(found);
    }
    free(hMem);
    return nullptr;
}

void standin::BeginRunBlocks() {
    g_inRun = true;
}

void standin::ReleaseRunBlocks() {
    std::lock_guard<std::mutex> lock(g_runMutex);
    g_inRun = false;
    for (void* block : RunBlocks())
        free(block);
    RunBlocks().clear();
}
