// tests/windows/wintest.cpp
// Drives another program's window from inside Windows (or Wine), for the end-to-end tests:
// keys sent from outside reach a window only once it is active, which cannot be relied on
// without a window manager, while window messages always arrive.
//
//   wintest TITLE click ID      waits for the visible top-level window TITLE, clicks its
//                               button ID (BM_CLICK) and waits for the window to close
//   wintest TITLE press ID      clicks button ID and leaves the window open
//   wintest TITLE set ID TEXT   puts TEXT into control ID (WM_SETTEXT)
//   wintest TITLE text ID       prints the text of control ID (65535: a message box's text)
//   wintest TITLE cancel        sends WM_COMMAND IDCANCEL, as Escape does, and waits for the close
//   wintest TITLE keys KEY...   brings the window to the front and types each KEY (a letter,
//                               left, right, up, down, return, escape, or alt+space)
//   wintest TITLE where         prints the window's left and top on the screen
//
// Every wait is bounded by 20 s. Exit codes: 0 done, 1 the window never appeared, 2 bad
// arguments, 3 no such control, 4 the window stayed open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Polls until `done` holds or 20 s have passed.
template <typename Done>
bool WaitFor(Done done) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start >= 20000)
            return false;
    return true;
}

// Presses and releases a key, holding Alt around it when asked.
void Type(WORD vk, bool alt) {
    INPUT keys[4] = {};
    int n = 0;
    auto add = [&](WORD key, DWORD flags) {
        keys[n].type = INPUT_KEYBOARD;
        keys[n].ki.wVk = key;
        keys[n].ki.dwFlags = flags;
        ++n;
    };
    if (alt)
        add(VK_MENU, 0);
    add(vk, 0);
    add(vk, KEYEVENTF_KEYUP);
    if (alt)
        add(VK_MENU, KEYEVENTF_KEYUP);
    SendInput(n, keys, sizeof keys[0]);
    Sleep(150);
}

// The virtual key of a KEY argument; 0 for one not known.
WORD KeyOf(const char* name) {
    const struct {
        const char* name;
        WORD vk;
    } named[] = {{"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},
                 {"down", VK_DOWN},     {"return", VK_RETURN}, {"escape", VK_ESCAPE},
                 {"alt+space", VK_SPACE}};
    for (const auto& k : named)
        if (strcmp(k.name, name) == 0)
            return k.vk;
    if (name[0] >= 'a' && name[0] <= 'z' && name[1] == '\0')
        return static_cast<WORD>(name[0] - 'a' + 'A');
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* action = argc > 2 ? argv[2] : "";
    const bool set = strcmp(action, "set") == 0, cancel = strcmp(action, "cancel") == 0;
    const bool keys = strcmp(action, "keys") == 0, where = strcmp(action, "where") == 0;
    const bool known = set || cancel || keys || where || strcmp(action, "click") == 0 ||
                       strcmp(action, "press") == 0 || strcmp(action, "text") == 0;
    if (!known || (keys ? argc < 4 : argc != (cancel || where ? 3 : set ? 5 : 4))) {
        fprintf(stderr, "usage: wintest TITLE click ID|press ID|set ID TEXT|text ID|cancel|"
                        "keys KEY...|where\n");
        return 2;
    }
    // A dialog exists before it is shown and set up; only a visible one takes input.
    HWND hwnd = nullptr;
    if (!WaitFor([&] { return (hwnd = FindWindowA(nullptr, argv[1])) && IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: no visible window titled \"%s\"\n", argv[1]);
        return 1;
    }
    if (where) {
        RECT r;
        GetWindowRect(hwnd, &r);
        printf("%ld,%ld\n", static_cast<long>(r.left), static_cast<long>(r.top));
        return 0;
    }
    if (keys) {
        SetForegroundWindow(hwnd);
        Sleep(300);
        for (int i = 3; i < argc; ++i) {
            const WORD vk = KeyOf(argv[i]);
            if (vk == 0) {
                fprintf(stderr, "wintest: no key %s\n", argv[i]);
                return 2;
            }
            Type(vk, strcmp(argv[i], "alt+space") == 0);
        }
        return 0;
    }
    if (cancel) {
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        HWND control = GetDlgItem(hwnd, static_cast<int>(strtol(argv[3], nullptr, 0)));
        if (control == nullptr) {
            fprintf(stderr, "wintest: \"%s\" has no control %s\n", argv[1], argv[3]);
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
    if (!WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: \"%s\" still open after the %s\n", argv[1], action);
        return 4;
    }
    return 0;
}
