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
//   wintest TITLE move X Y      moves the window's top left corner to X, Y on the screen
//   wintest TITLE where         prints the window's left and top on the screen
//   wintest TITLE fits          prints the text of each static that does not show whole in its
//                               rectangle, wrapped as the static wraps it in the dialog font
//                               that the templates ask for ("MS Shell Dlg 2", 8 points)
//   wintest FILE hold SECONDS   opens FILE for reading, letting others read and write it but
//                               not delete it, prints "held" and keeps it open SECONDS
//
// Titles and texts go in and out as UTF-8, whatever the ANSI code page of this program or of
// the one it drives: it uses the "W" calls only, so that it reads a name in any script as the
// other program shows it.
//
// Every wait is bounded by 20 s. Exit codes: 0 done, 1 the window never appeared, 2 bad
// arguments, 3 no such control, 4 the window stayed open, 5 a static's text is cut.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Polls until `done` holds or 20 s have passed.
template <typename Done>
bool WaitFor(Done done) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start >= 20000)
            return false;
    return true;
}

void PrintUtf8(const wchar_t* text) {
    char bytes[8192] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    printf("%s\n", bytes);
}

// The statics of `dialog` whose text is cut, each printed; their number.
int CutStatics(HWND dialog) {
    // Another program's font handle means nothing here: the same font is made anew, at this
    // screen's resolution as the dialog manager makes it.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                             FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg 2");
    HGDIOBJ previous = SelectObject(dc, font);
    int cut = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if (_wcsicmp(cls, L"Static") != 0 || (style & SS_TYPEMASK) > SS_RIGHT)
            continue;  // only the statics that show text: left, centred or right
        wchar_t text[4096] = {};
        SendMessageW(c, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        RECT box, need = {0, 0, 0, 0};
        GetClientRect(c, &box);
        need.right = box.right;
        DrawTextW(dc, text, -1, &need,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
        if (need.right > box.right || need.bottom > box.bottom) {
            PrintUtf8(text);
            ++cut;
        }
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return cut;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring action = argc > 2 ? argv[2] : L"";
    // Each action and the number of arguments it takes (-1: one or more).
    const std::pair<const wchar_t*, int> actions[] = {
        {L"click", 1}, {L"press", 1}, {L"set", 2}, {L"text", 1}, {L"cancel", 0},
        {L"move", 2}, {L"where", 0}, {L"fits", 0}, {L"hold", 1}};
    bool known = false;
    for (const auto& [name, count] : actions)
        known = known || (action == name && argc == 3 + count);
    if (!known) {
        fprintf(stderr, "usage: wintest TITLE click ID|press ID|set ID TEXT|text ID|cancel|"
                        "move X Y|where|fits, or wintest FILE hold SECONDS\n");
        return 2;
    }
    if (action == L"hold") {
        HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        printf("held\n");
        fflush(stdout);
        Sleep(static_cast<DWORD>(wcstol(argv[3], nullptr, 10)) * 1000);
        return 0;
    }
    // A dialog exists before it is shown and set up; only a visible one takes input.
    HWND hwnd = nullptr;
    if (!WaitFor([&] { return (hwnd = FindWindowW(nullptr, argv[1])) && IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: no visible window with that title\n");
        return 1;
    }
    if (action == L"where") {
        RECT r;
        GetWindowRect(hwnd, &r);
        printf("%ld,%ld\n", static_cast<long>(r.left), static_cast<long>(r.top));
        return 0;
    }
    if (action == L"fits")
        return CutStatics(hwnd) == 0 ? 0 : 5;
    if (action == L"move") {
        const int x = static_cast<int>(wcstol(argv[3], nullptr, 10));
        const int y = static_cast<int>(wcstol(argv[4], nullptr, 10));
        return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) ? 0 : 4;
    }
    if (action == L"cancel") {
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        HWND control = GetDlgItem(hwnd, static_cast<int>(wcstol(argv[3], nullptr, 0)));
        if (control == nullptr) {
            fprintf(stderr, "wintest: the window has no such control\n");
            return 3;
        }
        if (action == L"text") {
            wchar_t text[4096] = {};
            // Sent, not GetWindowTextW: that gives another program's edit field as empty.
            SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
            PrintUtf8(text);
            return 0;
        }
        if (action == L"set")
            return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 3;
        PostMessageW(control, BM_CLICK, 0, 0);
        if (action == L"press")
            return 0;
    }
    if (!WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: the window is still open after the %ls\n", argv[2]);
        return 4;
    }
    return 0;
}
