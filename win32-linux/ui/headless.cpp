// win32-linux/ui/headless.cpp
// The headless backend, for a program with neither a terminal nor a window to show (a script,
// a service, a display without the GTK module): every box is reported on standard error, and
// a question gets the cautious answer.
#include <cstdio>
#include <string>

#include "ui/backends.h"
#include "user32/error_box.h"
#include "user32/user_driver.h"

namespace standin {
namespace {

int HeadlessMessageBox(HWND, const char* text, const char* caption, UINT type) {
    // The program names the failure on standard error itself, with its reason.
    if ((type & MB_ICONMASK) == MB_ICONERROR && FailuresNamedByCaller())
        return IDOK;
    std::string oneLine = text;
    for (char& c : oneLine)
        if (c == '\n' || c == '\r')
            c = ' ';
    const UINT buttons = type & MB_TYPEMASK;
    const int answer = buttons == MB_YESNO ? IDNO : buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
    const char* note = answer == IDNO       ? " (no terminal or window to ask: answered No)"
                       : answer == IDCANCEL ? " (no terminal or window to ask: cancelled)"
                                            : "";
    fprintf(stderr, "zapfile: %s %s%s\n", caption, oneLine.c_str(), note);
    return answer;
}

bool HeadlessRunDialog(HWND, std::string* reason) {
    *reason = "headless: no display and no terminal";
    return false;
}

}  // namespace

// Neither shows a window, so neither has a chooser or places windows.
const UiBackend kHeadlessBackend = {"headless", HeadlessMessageBox, HeadlessRunDialog, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr};

}  // namespace standin
