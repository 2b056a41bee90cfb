// win32-linux/ui/terminal.cpp
// The terminal backend: a message box printed on standard error, its answer read as one line
// from standard input. For a destructive question the terminal's convention holds: only
// "y" or "yes" means Yes; anything else, an empty line or the end of input means No.
#include <cerrno>
#include <cstdio>
#include <string>
#include <strings.h>
#include <unistd.h>

#include "ui/backends.h"
#include "user32/error_box.h"
#include "user32/user_driver.h"

namespace standin {
namespace {

// One line from standard input, read a byte at a time so that nothing after it is consumed.
bool ReadLine(std::string* line) {
    line->clear();
    char c;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !line->empty();
        if (c == '\n')
            return true;
        line->push_back(c);
    }
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

int TerminalMessageBox(HWND, const char* text, const char* caption, UINT type) {
    // The program names the failure on standard error itself, with its reason.
    if ((type & MB_ICONMASK) == MB_ICONERROR && FailuresNamedByCaller())
        return IDOK;
    fprintf(stderr, "%s\n%s\n", caption, text);
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons != MB_YESNO && buttons != MB_OKCANCEL)
        return IDOK;
    const bool yesNo = buttons == MB_YESNO;
    fputs(yesNo ? "Yes or No? [y/N] " : "OK or Cancel? [o/C] ", stderr);
    fflush(stderr);
    std::string line;
    const bool got = ReadLine(&line);
    if (!got)
        fputc('\n', stderr);
    const std::string answer = Trim(line);
    if (yesNo)
        return strcasecmp(answer.c_str(), "y") == 0 || strcasecmp(answer.c_str(), "yes") == 0
                   ? IDYES
                   : IDNO;
    return strcasecmp(answer.c_str(), "o") == 0 || strcasecmp(answer.c_str(), "ok") == 0
               ? IDOK
               : IDCANCEL;
}

bool TerminalRunDialog(HWND, std::string* reason) {
    *reason = "terminal: windows cannot be shown in a terminal";
    return false;
}

}  // namespace

// Neither shows a window, so neither has a chooser or places windows.
const UiBackend kTerminalBackend = {"terminal", TerminalMessageBox, TerminalRunDialog, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr};

}  // namespace standin
