// win32-linux/user32/user_driver.h
// The interface between user32 and the user-interface backends (ui/) that show dialogs and
// message boxes: a backend is a table of functions, and user32 asks for the one that answers
// a call without knowing which there are. The choice is made at run time (ui/select.cpp).
#ifndef ZAPFILE_STANDIN_USER32_USER_DRIVER_H
#define ZAPFILE_STANDIN_USER32_USER_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct UiBackend {
    const char* name;
    // Shows a message box and returns IDOK, IDYES or IDNO; 0 when it cannot be shown.
    int (*messageBox)(HWND owner, const char* text, const char* caption, UINT type);
    // Shows a dialog and runs its modal loop until EndDialog. False when it cannot be shown;
    // then *reason says why.
    bool (*runDialog)(HWND dlg, std::string* reason);
    // The model of a shown window changed (text, check state, icon), or its dialog ended.
    // May be null.
    void (*windowChanged)(HWND hwnd);
    // Lets the user choose files to open (several only with OFN_ALLOWMULTISELECT in flags)
    // and gives their full paths; false when cancelled or when it cannot be shown. May be
    // null: the backend cannot show it.
    bool (*openFile)(HWND owner, DWORD flags, std::vector<std::string>* paths);
    // The choosers below may be null too: the backend cannot show them.
    // Lets the user name a file to save, offering *path first; true with the full path in
    // *path, false when cancelled. The common dialog asks the questions its flags call for.
    bool (*saveFile)(HWND owner, std::string* path);
    // Lets the user choose a folder; true with its full path in *path.
    bool (*chooseFolder)(HWND owner, const char* title, std::string* path);
    // Lets the user choose a colour, *rgb selected first and the sixteen custom colours
    // offered; true with the colour in *rgb and *mixed telling whether it was made in the
    // chooser's editor rather than taken from what was offered.
    bool (*chooseColor)(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed);
    // The placement of a window the backend shows, read and set on screen. May be null: the
    // window model keeps it.
    bool (*getPlacement)(HWND hwnd, WINDOWPLACEMENT* placement);
    bool (*setPlacement)(HWND hwnd, const WINDOWPLACEMENT* placement);
};

// The backend for a message box owned by `owner` (null, or a dialog and its controls).
const UiBackend* BackendForMessageBox(HWND owner);
// The backend that shows a dialog window; null when none can, with *reason set.
const UiBackend* BackendForDialog(std::string* reason);

// The backend for an open-file dialog owned by `owner`; null when none can show one.
const UiBackend* BackendForFileDialog(HWND owner);
// The backend for a chooser owned by `owner`: the one showing the owner, else the one that
// would show a window. Null when there is none, after saying why on standard error in one
// line that names the chooser (`what`).
const UiBackend* BackendForChooser(HWND owner, const char* what);

}  // namespace standin

#endif
