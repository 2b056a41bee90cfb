// win32-linux/user32/window_model.h
// The window model: dialogs and their controls as plain records. It is the truth about every
// window (texts, check states, focus); a backend that shows a window mirrors it and writes
// the user's input back into it.
#ifndef ZAPFILE_STANDIN_USER32_WINDOW_MODEL_H
#define ZAPFILE_STANDIN_USER32_WINDOW_MODEL_H

#include <windows.h>

#include <string>
#include <vector>

#include "user32/dialog_template.h"

namespace standin {

struct UiBackend;

struct Window {
    bool isDialog = false;
    HWND parent = nullptr;   // a control's dialog; a dialog's owner window
    int id = 0;              // a control's identifier (-1 for most statics)
    std::string className;   // "button", "edit", "static", or "#32770" for a dialog
    std::string text;        // narrow text; for an SS_ICON static, empty
    std::string description;  // what a screen reader says of it besides its text
    int iconId = 0;          // an SS_ICON static's icon resource
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    int check = BST_UNCHECKED;
    // Dialogs only.
    const DialogTemplate* layout = nullptr;  // what the dialog was built from (font, size, caption)
    DLGPROC proc = nullptr;
    std::vector<HWND> controls;  // in template order, which is the tab order
    HWND focus = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    bool visible = false;
    HICON iconSmall = nullptr;
    HICON iconBig = nullptr;
    const UiBackend* backend = nullptr;  // the backend showing the dialog, if any
    void* backendData = nullptr;         // owned by that backend
    // The placement last set (SetWindowPlacement): kept while no backend shows the window,
    // and put onto it when one shows it.
    bool hasPlacement = false;
    WINDOWPLACEMENT placement{};
};

// The record behind a handle, or null for a handle that is not (or no longer) a window.
Window* FromHandle(HWND hwnd);

// Builds a dialog and its controls from a parsed template, which must last as long as the
// dialog. Nothing is shown.
HWND CreateDialogWindow(const DialogTemplate& layout, HWND owner, DLGPROC proc);
// Removes a dialog and its controls; their handles become invalid.
void DestroyDialogWindow(HWND dlg);

// The first control with WS_TABSTOP that is visible and enabled, in template order.
HWND FirstTabStop(HWND dlg);
// The next (or previous) tab stop after `from`, wrapping around.
HWND NextTabStop(HWND dlg, HWND from, bool previous);
// The default push button of a dialog (BS_DEFPUSHBUTTON), or null.
HWND DefaultButton(HWND dlg);

// Dialogs currently running modally, innermost last.
std::vector<HWND>& RunningDialogs();

// A window's rectangle that shows too little of itself to be grabbed, moved onto the nearest
// work area, as much of it as fits; any other left as it is. Enough shows when, in one work
// area, the window's top row (kGrabRow pixels, its title bar under a window manager) lies
// whole from top to bottom and at least half of its width. Without work areas, nothing moves.
constexpr int kGrabRow = 24;
RECT BringOnScreen(const RECT& rect, const std::vector<RECT>& workAreas);

// Presses a button as a click does: an automatic check box ticks itself first, then the
// dialog receives WM_COMMAND with BN_CLICKED.
void ClickButton(HWND button);

}  // namespace standin

#endif
