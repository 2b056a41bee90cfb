// win32-linux/ui/gtk/gtk_module.h
// The GTK window backend lives in a module of its own, libzapfile-gtk.so, loaded (from beside
// the program, or where an installation keeps it) only when a window or a box must be shown:
// a deletion that shows nothing never maps GTK. The module links no part of the stand-in; the
// program hands it the calls it needs in a table at load, so that the window model stays one,
// in the program.
#ifndef ZAPFILE_STANDIN_UI_GTK_GTK_MODULE_H
#define ZAPFILE_STANDIN_UI_GTK_GTK_MODULE_H

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "user32/resources.h"
#include "user32/window_model.h"

namespace standin {
struct UiBackend;
}

namespace standin::gtk {

constexpr char kModuleFile[] = "libzapfile-gtk.so";
constexpr char kOpenSymbol[] = "zapfile_gtk_open";

// What the program lends the module. The sizes let the module refuse a program built from
// other headers, since it reads Window records directly.
struct Host {
    size_t hostSize;
    size_t windowSize;
    Window* (*fromHandle)(HWND hwnd);
    HWND (*nextTabStop)(HWND dlg, HWND from, bool previous);
    HWND (*defaultButton)(HWND dlg);
    void (*clickButton)(HWND button);
    LRESULT (*sendMessage)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND (*dlgItem)(HWND dlg, int id);
    // Text the user typed: stored in the model without telling the backend back.
    void (*setTextFromUser)(HWND hwnd, const char* text);
    const IconImage* (*iconFromHandle)(HICON icon);
    HICON (*loadIcon)(int resourceId);
    HICON (*iconAtSize)(HICON icon, int side);  // the same icon's image for another size
    RECT (*bringOnScreen)(const RECT& rect, const std::vector<RECT>& workAreas);
};

// What the module gives back; the functions of UiBackend, and one for tests.
struct Module {
    int (*messageBox)(HWND owner, const char* text, const char* caption, UINT type);
    bool (*runDialog)(HWND dlg);
    void (*windowChanged)(HWND hwnd);
    void* (*widgetOf)(HWND hwnd);  // the GtkWidget showing a window, or null
    // The open-file dialog: true when files were chosen, each full path handed to add.
    bool (*openFile)(HWND owner, DWORD flags, void (*add)(void* list, const char* path),
                     void* list);
    // The other choosers: true when one was confirmed, its path handed to set (the save
    // chooser offers `offered` first).
    bool (*saveFile)(HWND owner, const char* offered, void (*set)(void* out, const char* path),
                     void* out);
    bool (*chooseFolder)(HWND owner, const char* title,
                         void (*set)(void* out, const char* path), void* out);
    bool (*chooseColor)(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed);
    // A shown dialog's placement; false for a window the module does not show.
    bool (*getPlacement)(HWND hwnd, WINDOWPLACEMENT* placement);
    bool (*setPlacement)(HWND hwnd, const WINDOWPLACEMENT* placement);
};

// The module's one export. False, with `reason` filled, when GTK cannot start (no display
// can be opened) or the program does not match the module.
typedef bool (*OpenFunction)(const Host* host, Module* out, char* reason, size_t reasonSize);

// ---- The program's side -------------------------------------------------------------------

// The GTK backend, loading the module on the first call. Null, with *reason set ("GTK: ..."),
// when the module or GTK cannot be loaded or no display can be opened; the answer is kept.
const UiBackend* Backend(std::string* reason);

// For tests: the GtkWidget that shows a dialog or control (null when none does).
void* WidgetOf(HWND hwnd);

}  // namespace standin::gtk

#endif
