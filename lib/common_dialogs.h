// lib/common_dialogs.h
// The platform's common dialogs on one object: the open-file dialog and a walk over the list
// of names it returns (the first entry, the file's full path or the folder of several files,
// then each name after it); the save-file dialog, which shares the open-file dialog's record
// and buffer; the folder browser and the leaf name of a path; the colour dialog with custom
// colours that last as long as the object. Every buffer is a new zero-filled block that is
// never released: a block returned earlier keeps its text.
#ifndef ZAPFILE_COMMON_DIALOGS_H
#define ZAPFILE_COMMON_DIALOGS_H

#include <windows.h>
// The folder browser is the shell's, declared apart from <windows.h> as on Windows.
#include <shlobj.h>

// The size of the list buffer handed to the dialog; lpList must point to one of this size.
constexpr int FILE_LIST_SIZE = 65536;
// The filter list of the open-file and save-file dialogs: one pair, ended by one more NUL
// after the literal's own.
inline constexpr char ALL_FILES_FILTER[] = "All Files (*.*)\0*.*\0";
// The text above the folder browser's tree.
inline constexpr char FOLDER_TITLE[] = "Choose a folder, then press <Ok>.";

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
    BROWSEINFOA bi{};
    LPITEMIDLIST pidl = nullptr;     // the folder BrowseFolder returned last; null after a cancel
    CHOOSECOLORA cc{};
    COLORREF CustColors[16] = {};    // the colour dialog's custom colours, 0x00BBGGRR

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

    // Prepares ofn for a save-file dialog owned by `owner`: a new MAX_TEXT + 1 byte szFile,
    // a folder that must exist and a question before an existing file is replaced.
    void InitSave(HWND owner);
    // Shows it. 1: a name was confirmed and its full path is in szFile; 0: nothing changed.
    int ShowSave();
    // Prepares bi for a folder browser owned by `owner`, with a new empty szResult.
    void InitFolder(HWND owner);
    // Shows it. szResult holding the chosen folder's full path, or null when the user
    // cancelled or the folder has no path that fits MAX_PATH. The list of the previous
    // browse is released first.
    char* BrowseFolder();
    // A new block holding the last component of the path in szResult (trailing separators
    // passed over) without the characters \ / : * ? " < >; empty for an empty path.
    char* LeafName();
    // Shows the colour dialog owned by `owner` with `initial` selected and CustColors
    // offered. The colour confirmed, or `initial` after a cancel; CustColors as the dialog
    // left them.
    COLORREF PickColor(HWND owner, COLORREF initial);
};

#endif
