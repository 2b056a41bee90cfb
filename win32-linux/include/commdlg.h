// win32-linux/include/commdlg.h
//
// The Linux stand-in for <commdlg.h>, which <windows.h> brings in as the real one does: the
// open-file, save-file and colour dialogs' records, flags and calls, with the sizes and
// values of Windows. Departures are marked NOTE.
#ifndef ZAPFILE_STANDIN_COMMDLG_H
#define ZAPFILE_STANDIN_COMMDLG_H

#include <windows.h>

#ifndef RC_INVOKED

// ---- The open-file and save-file dialogs ------------------------------------------------
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
} OPENFILENAMEA, *LPOPENFILENAMEA;

// The record without the 5.0 fields (pvReserved on): 136 bytes in a 64-bit program.
#define OPENFILENAME_SIZE_VERSION_400A \
    ((DWORD)(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR)))

// NOTE: asks the user-interface backend; a Linux path comes back, folder and names parted by
// '/'. Fails (0) when no backend can show the dialog; nothing is written then.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn);

// NOTE: the backend's save chooser; a Linux path comes back. OFN_PATHMUSTEXIST accepts only
// a name in a folder that exists, OFN_OVERWRITEPROMPT asks (Yes or No) before it accepts an
// existing file. Fails (0) on cancel, when no chooser can be shown (said on standard error),
// for an unknown lStructSize, and when the path and its NUL do not fit nMaxFile; nothing is
// written then. lpstrFile's text on entry is the name offered first.
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn);

// ---- The colour dialog ------------------------------------------------------------------
#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
#define CC_PREVENTFULLOPEN 0x00000004
#define CC_SHOWHELP 0x00000008
#define CC_SOLIDCOLOR 0x00000080
#define CC_ANYCOLOR 0x00000100

// The colour macros of <wingdi.h>, which <windows.h> brings in as well.
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

typedef UINT_PTR(CALLBACK* LPCCHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

// 36 bytes in a 32-bit program, 72 in a 64-bit one. hInstance is an HWND, as in the real
// header.
typedef struct tagCHOOSECOLORA {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;
    COLORREF* lpCustColors;
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
} CHOOSECOLORA, *LPCHOOSECOLORA;

// NOTE: the backend's colour chooser, with the sixteen colours of lpCustColors offered beside
// a basic palette; the colour confirmed is put into rgbResult, and one made in the chooser's
// editor also into the custom colours, first place, the others moved on (unless it is one of
// them already). A cancel leaves rgbResult and the custom colours as they were. Fails (0) on cancel, when no chooser can be shown (said on standard
// error), for an unknown lStructSize and without lpCustColors.
BOOL WINAPI ChooseColorA(LPCHOOSECOLORA lpcc);

#endif  // RC_INVOKED
#endif  // ZAPFILE_STANDIN_COMMDLG_H
