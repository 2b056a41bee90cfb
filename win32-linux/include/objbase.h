// win32-linux/include/objbase.h
//
// The Linux stand-in for <objbase.h>, which <windows.h> brings in as the real one does: the
// task allocator, whose blocks the shell hands out (an item identifier list) and the caller
// gives back.
#ifndef ZAPFILE_STANDIN_OBJBASE_H
#define ZAPFILE_STANDIN_OBJBASE_H

#include <windows.h>

#ifndef RC_INVOKED

// A block of cb bytes, not zeroed; null when there is no memory.
LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
// Releases a block from CoTaskMemAlloc; a null pointer is allowed and does nothing.
void WINAPI CoTaskMemFree(LPVOID pv);

#endif  // RC_INVOKED
#endif  // ZAPFILE_STANDIN_OBJBASE_H
