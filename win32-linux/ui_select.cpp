// win32-linux/ui_select.cpp
// Which backend answers. A message box that belongs to a shown dialog goes to the backend
// showing it. Otherwise, with nothing on screen, a terminal on standard input answers;
// without one, the headless backend does.
#include <cstdlib>
#include <unistd.h>

#include "ui.h"
#include "window_model.h"

namespace standin {
namespace {

const UiBackend* g_override = nullptr;

bool HasDisplay() {
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

void OverrideBackend(const UiBackend* backend) { g_override = backend; }

const UiBackend* BackendForMessageBox(HWND owner) {
    if (g_override != nullptr)
        return g_override;
    Window* w = FromHandle(owner);
    Window* dlg = w != nullptr && !w->isDialog ? FromHandle(w->parent) : w;
    if (dlg != nullptr && dlg->visible && dlg->backend != nullptr)
        return dlg->backend;
    if (isatty(STDIN_FILENO))
        return &kTerminalBackend;
    return &kHeadlessBackend;
}

const UiBackend* BackendForDialog(std::string* reason) {
    if (g_override != nullptr)
        return g_override;
    *reason = HasDisplay() ? "this build has no window backend"
                           : "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    return nullptr;
}

}  // namespace standin
