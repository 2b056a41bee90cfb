// win32-linux/include/shlobj.h
//
// The Linux stand-in for <shlobj.h>: the shell's folder browser. As on Windows, <windows.h>
// does not bring it in; a program that browses for folders includes it after <windows.h>.
// Departures are marked NOTE.
#ifndef ZAPFILE_STANDIN_SHLOBJ_H
#define ZAPFILE_STANDIN_SHLOBJ_H

#include <windows.h>

#ifndef RC_INVOKED

// An item identifier list: items of cb bytes each (cb counting itself), ended by a cb of 0.
// NOTE: the stand-in's lists are opaque blocks of its own, from CoTaskMemAlloc, that only
// SHGetPathFromIDListA reads.
typedef struct _SHITEMID {
    WORD cb;
    BYTE abID[1];
} SHITEMID;

typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_RETURNFSANCESTORS 0x00000008
#define BIF_EDITBOX 0x00000010
#define BIF_VALIDATE 0x00000020
#define BIF_NEWDIALOGSTYLE 0x00000040

typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

// 32 bytes in a 32-bit program, 64 in a 64-bit one.
typedef struct _browseinfoA {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPSTR pszDisplayName;
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
} BROWSEINFOA, *PBROWSEINFOA, *LPBROWSEINFOA;

// NOTE: the backend's folder chooser, titled lpszTitle, starting in the current folder; only
// folders can be chosen, so BIF_RETURNONLYFSDIRS always holds, and pidlRoot, lpfn and
// iImage are not used. The folder's name is written into pszDisplayName (MAX_PATH bytes;
// "/" for the root) and its list returned, to be given back with CoTaskMemFree. Null on
// cancel and when no chooser can be shown (said on standard error); nothing is written then.
PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderA(LPBROWSEINFOA lpbi);
// The folder's full path into pszPath (MAX_PATH bytes). FALSE, with pszPath empty, for a
// list that is not a folder's and for a path of MAX_PATH characters or more.
BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR pszPath);

#endif  // RC_INVOKED
#endif  // ZAPFILE_STANDIN_SHLOBJ_H
