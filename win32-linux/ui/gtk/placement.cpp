// win32-linux/ui/gtk/placement.cpp
// A dialog's placement on screen: read from its GTK window, and put onto it before or after it
// is shown. The rectangle is where GTK places windows (the frame's top left corner) and the
// size of the window's contents.
#include "ui/gtk/gtk_private.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace standin::gtk {
namespace {

constexpr GdkWindowState kNotNormal = static_cast<GdkWindowState>(
    GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN);

GdkWindowState StateOf(const Dialog* d) {
    GdkWindow* gdk = gtk_widget_get_window(d->window);
    return gdk != nullptr ? gdk_window_get_state(gdk) : static_cast<GdkWindowState>(0);
}

// NOTE: under Wayland a program cannot learn where its window stands (GTK says 0,0): there the
// position the window was given is kept, and only its size and state are read.
bool PositionKnown(const Dialog* d) {
    return strcmp(G_OBJECT_TYPE_NAME(gtk_widget_get_display(d->window)), "GdkWaylandDisplay") != 0;
}

// Where the window stands now, when it is in its normal state.
void NoteNormal(Dialog* d) {
    if (StateOf(d) & kNotNormal)
        return;
    int x = d->normal.left, y = d->normal.top, width = 0, height = 0;
    if (PositionKnown(d))
        gtk_window_get_position(GTK_WINDOW(d->window), &x, &y);
    gtk_window_get_size(GTK_WINDOW(d->window), &width, &height);
    d->normal = {x, y, x + width, y + height};
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer data) {
    NoteNormal(static_cast<Dialog*>(data));
    return FALSE;
}

std::vector<RECT> WorkAreas(GtkWidget* window) {
    GdkDisplay* display = gtk_widget_get_display(window);
    std::vector<RECT> areas;
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle r;
        gdk_monitor_get_workarea(gdk_display_get_monitor(display, i), &r);
        areas.push_back({r.x, r.y, r.x + r.width, r.y + r.height});
    }
    return areas;
}

}  // namespace

void FollowPlacement(Dialog* d) {
    // Before the window is shown, GTK knows where it was asked to stand, also under Wayland.
    if (d->normal.right == d->normal.left) {
        int x = 0, y = 0, width = 0, height = 0;
        gtk_window_get_position(GTK_WINDOW(d->window), &x, &y);
        gtk_window_get_size(GTK_WINDOW(d->window), &width, &height);
        d->normal = {x, y, x + width, y + height};
    }
    g_signal_connect(d->window, "configure-event", G_CALLBACK(OnConfigure), d);
}

void ApplyPlacement(Dialog* d, const WINDOWPLACEMENT* placement) {
    GtkWindow* window = GTK_WINDOW(d->window);
    // A dialog without a sizing border keeps the size of its template: that is the size that
    // must fit on the screen.
    const bool resizable = gtk_window_get_resizable(window);
    RECT asked = placement->rcNormalPosition;
    int width = 0, height = 0;
    gtk_window_get_size(window, &width, &height);
    if (!resizable) {
        // A stored rectangle may start anywhere: one whose end would lie past the largest
        // coordinate starts that much earlier (it lies off every screen all the same).
        asked.left = std::min<LONG>(asked.left, std::numeric_limits<LONG>::max() - width);
        asked.top = std::min<LONG>(asked.top, std::numeric_limits<LONG>::max() - height);
        asked.right = asked.left + width;
        asked.bottom = asked.top + height;
    }
    const RECT r = g_host->bringOnScreen(asked, WorkAreas(d->window));
    const GdkWindowState state = StateOf(d);
    if (state & GDK_WINDOW_STATE_MAXIMIZED)
        gtk_window_unmaximize(window);
    if (state & GDK_WINDOW_STATE_ICONIFIED)
        gtk_window_deiconify(window);
    gtk_window_move(window, r.left, r.top);
    if (resizable && r.right > r.left && r.bottom > r.top)
        gtk_window_resize(window, r.right - r.left, r.bottom - r.top);
    gtk_window_get_size(window, &width, &height);
    d->normal = {r.left, r.top, r.left + width, r.top + height};
    switch (placement->showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        gtk_window_iconify(window);
        break;
    case SW_SHOWMAXIMIZED:
        gtk_window_maximize(window);
        break;
    default:
        break;
    }
}

bool GetPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    Dialog* d = DialogOf(hwnd);
    if (d == nullptr || d->hwnd != hwnd)
        return false;
    NoteNormal(d);
    const GdkWindowState state = StateOf(d);
    *placement = {};
    placement->length = sizeof *placement;
    placement->showCmd = (state & GDK_WINDOW_STATE_ICONIFIED)   ? SW_SHOWMINIMIZED
                         : (state & GDK_WINDOW_STATE_MAXIMIZED) ? SW_SHOWMAXIMIZED
                                                                : SW_SHOWNORMAL;
    placement->ptMinPosition = {-1, -1};
    placement->ptMaxPosition = {-1, -1};
    placement->rcNormalPosition = d->normal;
    return true;
}

bool SetPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    Dialog* d = DialogOf(hwnd);
    if (d == nullptr || d->hwnd != hwnd)
        return false;
    ApplyPlacement(d, placement);
    return true;
}

}  // namespace standin::gtk
