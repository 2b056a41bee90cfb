// win32-linux/ui/select.cpp
// Which backend answers. A message box that belongs to a shown dialog goes to the backend
// showing it. Windows are shown with GTK when there is a display. A box with nothing on
// screen goes to a terminal on standard input when there is one (the user is looking at
// it), to GTK when there is a display, and otherwise to the headless backend.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "ui/backends.h"
#include "ui/gtk/gtk_module.h"
#include "user32/user_driver.h"
#include "user32/window_model.h"

namespace standin {
namespace {

const UiBackend* g_override = nullptr;

bool HasDisplay() {
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// The backend showing the owner's dialog (the owner may be a control in it); null when the
// owner is not on screen.
const UiBackend* ShowingBackend(HWND owner) {
    Window* w = FromHandle(owner);
    Window* dlg = w != nullptr && !w->isDialog ? FromHandle(w->parent) : w;
    return dlg != nullptr && dlg->visible ? dlg->backend : nullptr;
}

}  // namespace

void OverrideBackend(const UiBackend* backend) { g_override = backend; }

const UiBackend* BackendForMessageBox(HWND owner) {
    if (g_override != nullptr)
        return g_override;
    if (const UiBackend* shown = ShowingBackend(owner))
        return shown;
    if (isatty(STDIN_FILENO))
        return &kTerminalBackend;
    if (!HasDisplay())
        return &kHeadlessBackend;
    // A module that cannot be loaded leaves the question to the headless backend; a user who
    // has a display is told why no window shows, once.
    std::string reason;
    const UiBackend* gtk = gtk::Backend(&reason);
    static bool s_told = false;
    if (gtk == nullptr && !s_told) {
        s_told = true;
        fprintf(stderr, "zapfile: cannot show a window: %s\n", reason.c_str());
    }
    return gtk != nullptr ? gtk : &kHeadlessBackend;
}

const UiBackend* BackendForDialog(std::string* reason) {
    if (g_override != nullptr)
        return g_override;
    if (!HasDisplay()) {
        *reason = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
        return nullptr;
    }
    return gtk::Backend(reason);
}

const UiBackend* BackendForFileDialog(HWND owner) {
    if (g_override != nullptr)
        return g_override;
    return ShowingBackend(owner);
}

}  // namespace standin
