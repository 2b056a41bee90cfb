// win32-linux/ole32/task_memory.cpp
// The task allocator: the C library's, so that a block from it can be given back here from
// any part of the program.
#include <windows.h>

#include <cstdlib>

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return malloc(cb != 0 ? cb : 1); }

void WINAPI CoTaskMemFree(LPVOID pv) { free(pv); }
