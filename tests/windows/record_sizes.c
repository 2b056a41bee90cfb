/* tests/windows/record_sizes.c
 * The sizes of the common-dialog records the program hands to Windows. The open-file dialog
 * is given OPENFILENAME_SIZE_VERSION_400A, which every Windows accepts; a 32-bit and a 64-bit
 * program each pass their own platform's value, never the other's.
 *
 * C, not C++: the header computes that size with the null-pointer offset idiom, which C++
 * refuses in a constant expression and C compilers fold. */
#include <windows.h>
#include <commdlg.h>

#if defined(_WIN64)
_Static_assert(OPENFILENAME_SIZE_VERSION_400A == 136, "the 64-bit record without the 5.0 fields");
#else
_Static_assert(OPENFILENAME_SIZE_VERSION_400A == 76, "the 32-bit record without the 5.0 fields");
#endif
