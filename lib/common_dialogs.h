// lib/common_dialogs.h
// The open-file dialog and a walk over the list of names it returns: the first entry (the
// file's full path, or the folder of several files), then each name after it. Every buffer
// is a new zero-filled block that is never released: a block returned earlier keeps its text.
#ifndef ZAPFILE_COMMON_DIALOGS_H
#define ZAPFILE_COMMON_DIALOGS_H

#include <windows.h>

// The size of the list buffer handed to the dialog; lpList must point to one of this size.
constexpr int FILE_LIST_SIZE = 65536;

class CommonDialogs {
public:
    char* szFile = nullptr;          // the dialog's list: entries parted by NUL, ended by two
    const char* szFilter = nullptr;  // the dialog's filter list
    char* szFirst = nullptr;         // the list's first entry
    char* lpList = nullptr;          // the list being walked
    char* szName = nullptr;          // the entry NextName returned last
    char* szResult = nullptr;        // what FileName or JoinPath returned last
    char* szLeaf = nullptr;
    int nPos = 0;                    // NextName's place in lpList
    int nLen = 0;                    // characters of the entry NextName copied last
    int nNuls = 0;                   // NULs in a row passed by the last step
    int nScan = 0;                   // IsSingleSelection's place in lpList
    int bEnd = 0;                    // 1: the walk is over, NextName gives empty names
    int bSingle = 0;                 // 1: the list holds one file's full path
    OPENFILENAMEA ofn{};

    // Prepares ofn for an open-file dialog owned by `owner`, for several files.
    void InitOpen(HWND owner);
    // Shows the dialog. 1: a choice was made and the walk starts; 0: nothing changed.
    int ShowOpen();
    // The next entry of lpList in a new block; empty once the list is over. An entry longer
    // than MAX_PATH - 1 characters ends the walk: a shortened name could name another file.
    char* NextName();
    // 1 when lpList holds one entry only (one file, its full path), else 0.
    int IsSingleSelection();
    // The chosen file's name without its folder, or, for several files, a copy of szName.
    char* FileName();
    // szFirst and szName joined by one separator.
    char* JoinPath();
};

#endif
