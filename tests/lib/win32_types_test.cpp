// tests/lib/win32_types_test.cpp
// The Win32 types keep their Windows sizes on every platform: the same code stores a DWORD
// in the registry, packs two WORDs into a WPARAM and hands records to the system, so the
// Linux stand-in's <windows.h> must agree with the real one. Checked when compiling.
#include <windows.h>

static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(BOOL) == 4 && sizeof(UINT) == 4);
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4, "32 bits, even where long has 64");
static_assert(static_cast<DWORD>(-1) == 0xFFFFFFFFu && static_cast<LONG>(0xFFFFFFFFu) == -1,
              "DWORD unsigned, LONG signed");
static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*) &&
              sizeof(LRESULT) == sizeof(void*) && sizeof(ULONG_PTR) == sizeof(void*));
static_assert(sizeof(FILETIME) == 8 && sizeof(BY_HANDLE_FILE_INFORMATION) == 52);
