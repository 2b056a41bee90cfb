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
    // Where the window stood and how large it was when last neither minimised nor
    // maximised: what its placement gives as its normal rectangle.
    RECT normal = {0, 0, 0, 0};
    HICON icons[2] = {nullptr, nullptr};  // the big and small icons the window shows
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

// dialog_font.cpp: the desktop's interface font (GtkSettings' gtk-font-name), and the font a
// template asks for as this desktop shows it. Windows maps the faces "MS Shell Dlg", "MS Shell
// Dlg 2" and "MS Sans Serif" to its own interface font: here they are the desktop's, at its
// size for the template's usual 8 points (other sizes in proportion). Another face is kept at
// the template's size. Both are the caller's to free.
PangoFontDescription* DesktopFont();
PangoFontDescription* DialogFont(const DialogTemplate& t, const PangoFontDescription* desktop);

// controls.cpp: one control's widget, made from its window and kept in line with it.
GtkWidget* MakeControl(Dialog* d, const Window* w);
void DescribeControls(Dialog* d);
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
bool SaveFile(HWND owner, const char* offered, void (*set)(void* out, const char* path),
              void* out);
bool ChooseFolder(HWND owner, const char* title, void (*set)(void* out, const char* path),
                  void* out);
bool ChooseColor(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed);
bool GetPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
bool SetPlacement(HWND hwnd, const WINDOWPLACEMENT* placement);

// placement.cpp: a placement put onto a dialog's window, shown or about to be (the rectangle
// brought onto a screen first), and the normal rectangle followed as the window moves.
void ApplyPlacement(Dialog* d, const WINDOWPLACEMENT* placement);
void FollowPlacement(Dialog* d);
// chooser_common.cpp: what every chooser shares.
// The window a chooser is modal to: the dialog showing `owner`, or null.
GtkWindow* ChooserParent(HWND owner);
// Keeps what the user chooses out of the desktop's list of recent files.
void NeverWriteRecentFiles();
// Runs a chooser of one file or folder, hands the chosen path to `set`, and destroys it; false
// when nothing was chosen.
bool RunForOnePath(GtkWidget* chooser, void (*set)(void* out, const char* path), void* out);

}  // namespace standin::gtk

#endif
