/* tests/windows/record_sizes.c
 * The sizes of the records the library hands to Windows, which the Linux stand-in's headers
 * copy. The open-file dialog is given OPENFILENAME_SIZE_VERSION_400A, which every Windows
 * accepts, and the colour dialog sizeof(CHOOSECOLORA); a 32-bit and a 64-bit program each pass
 * their own platform's value, never the other's. A window placement is 44 bytes on both.
 *
 * C, not C++: the header computes that size with the null-pointer offset idiom, which C++
 * refuses in a constant expression and C compilers fold. */
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#if defined(_WIN64)
_Static_assert(OPENFILENAME_SIZE_VERSION_400A == 136, "the 64-bit record without the 5.0 fields");
_Static_assert(sizeof(CHOOSECOLORA) == 72, "the 64-bit colour dialog record");
_Static_assert(sizeof(BROWSEINFOA) == 64, "the 64-bit folder browser record");
#else
_Static_assert(OPENFILENAME_SIZE_VERSION_400A == 76, "the 32-bit record without the 5.0 fields");
_Static_assert(sizeof(CHOOSECOLORA) == 36, "the 32-bit colour dialog record");
_Static_assert(sizeof(BROWSEINFOA) == 32, "the 32-bit folder browser record");
#endif
_Static_assert(sizeof(WINDOWPLACEMENT) == 44, "a window placement");
