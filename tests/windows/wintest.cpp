// tests/windows/wintest.cpp
// Drives another program's window from inside Windows (or Wine), for the end-to-end tests:
// keys sent from outside reach a window only once it is active, which cannot be relied on
// without a window manager, while window messages always arrive.
//
//   wintest TITLE click ID [MS]   waits for the visible top-level window TITLE, clicks its
//                                 button ID (BM_CLICK) and waits for the window to close
//   wintest TITLE press ID [MS]   clicks button ID and leaves the window open
//   wintest TITLE set ID TEXT [MS] puts TEXT into control ID (WM_SETTEXT)
//   wintest TITLE cancel [MS]     the same with WM_COMMAND IDCANCEL, as Escape sends it
//   wintest TITLE text ID [MS]    prints the text of control ID (65535: a message box's text)
//   wintest TITLE wait [MS]       only waits for the window
//
// Every wait is bounded by MS milliseconds (20000 when not given). Exit codes: 0 done,
// 1 the window never appeared, 2 bad arguments, 3 no such control, 4 the window stayed open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kPollMs = 50;

HWND WaitForWindow(const char* title, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindWindowA(nullptr, title);
        // A dialog exists before it is shown and set up; only a visible one takes input.
        if (hwnd != nullptr && IsWindowVisible(hwnd))
            return hwnd;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitUntilClosed(HWND hwnd, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

int Usage() {
    fprintf(stderr,
            "usage: wintest TITLE click ID|press ID|set ID TEXT|cancel|text ID|wait [TIMEOUT_MS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const char* title = argv[1];
    const char* action = argv[2];
    const bool set = strcmp(action, "set") == 0;
    const bool needsId = set || strcmp(action, "click") == 0 || strcmp(action, "press") == 0 ||
                         strcmp(action, "text") == 0;
    if (!needsId && strcmp(action, "cancel") != 0 && strcmp(action, "wait") != 0)
        return Usage();
    const int next = set ? 5 : needsId ? 4 : 3;
    if (argc < next || argc > next + 1)
        return Usage();
    const int id = needsId ? static_cast<int>(strtol(argv[3], nullptr, 0)) : 0;
    const DWORD timeoutMs = argc > next ? strtoul(argv[next], nullptr, 10) : 20000;

    HWND hwnd = WaitForWindow(title, timeoutMs);
    if (hwnd == nullptr) {
        fprintf(stderr, "wintest: no visible window titled \"%s\" after %lu ms\n", title,
                static_cast<unsigned long>(timeoutMs));
        return 1;
    }
    if (strcmp(action, "wait") == 0)
        return 0;
    if (strcmp(action, "cancel") == 0) {
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        HWND control = GetDlgItem(hwnd, id);
        if (control == nullptr) {
            fprintf(stderr, "wintest: \"%s\" has no control %d\n", title, id);
            return 3;
        }
        if (strcmp(action, "text") == 0) {
            char text[4096] = {};
            // Sent, not GetWindowTextA: that gives another program's edit field as empty.
            SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            printf("%s\n", text);
            return 0;
        }
        if (set)
            return SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 3;
        PostMessageA(control, BM_CLICK, 0, 0);
        if (strcmp(action, "press") == 0)
            return 0;
    }
    if (!WaitUntilClosed(hwnd, timeoutMs)) {
        fprintf(stderr, "wintest: \"%s\" still open %lu ms after the %s\n", title,
                static_cast<unsigned long>(timeoutMs), action);
        return 4;
    }
    return 0;
}
