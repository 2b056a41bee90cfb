// win32-linux/ui/gtk/gtk_private.h
// What the parts of the GTK module share: the program's calls lent at load, the dialogs on
// screen and the helpers every part uses. Nothing outside the module includes it.
#ifndef ZAPFILE_STANDIN_UI_GTK_GTK_PRIVATE_H
#define ZAPFILE_STANDIN_UI_GTK_GTK_PRIVATE_H

#include <windows.h>  // first: GLib then keeps the Windows TRUE and FALSE

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "ui/gtk/gtk_module.h"

namespace standin::gtk {

// The program's calls, set when the module is opened.
extern const Host* g_host;

struct Control {
    HWND hwnd;
    GtkWidget* widget;
};

struct Dialog {
    HWND hwnd = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* client = nullptr;  // the client area, a GtkFixed
    GMainLoop* loop = nullptr;
    std::vector<Control> controls;
    int baseX = 0;
    int baseY = 0;
    // Set while widgets are being brought in line with the model: their signals then come
    // from the program, not from the user, and are not passed on.
    bool syncing = false;
};

// The dialogs on screen, innermost last.
std::vector<Dialog*>& OpenDialogs();
// The shown dialog that a window belongs to (the dialog itself or one of its controls).
Dialog* DialogOf(HWND hwnd);
// The widget showing a control of a shown dialog, or null.
GtkWidget* WidgetFor(const Dialog* d, HWND hwnd);
// The "A" calls carry UTF-8 on this platform; anything else (a Latin-1 file name) is shown
// with replacement characters rather than not at all.
std::string Utf8(const char* text);
// An icon from LoadIconA as a pixbuf that borrows its pixels; null for no icon.
GdkPixbuf* PixbufOf(HICON icon);

// controls.cpp: one control's widget, made from its window and kept in line with it.
GtkWidget* MakeControl(Dialog* d, const Window* w);
void Sync(Dialog* d, HWND hwnd);
// The dialog manager's keys (Tab, Escape, Enter), the close box and the focus.
gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data);
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data);
void OnSetFocus(GtkWindow*, GtkWidget* widget, gpointer data);

// The functions of the module's table, one file each.
bool RunDialog(HWND hDlg);
void WindowChanged(HWND hwnd);
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
bool OpenFile(HWND owner, DWORD flags, void (*add)(void* list, const char* path), void* list);

}  // namespace standin::gtk

#endif
