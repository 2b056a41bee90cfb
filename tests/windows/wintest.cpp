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
//   wintest TITLE wait          only waits for the window
//   wintest TITLE module NAME   prints the path of the DLL NAME as loaded by the window's process
//
// Titles and texts go in and out as UTF-8, whatever the ANSI code page of this program or of
// the one it drives: it uses the "W" calls only, so that it reads a name in any script as the
// other program shows it.
//
// Every wait is bounded by 20 s. Exit codes: 0 done, 1 the window never appeared, 2 bad
// arguments, 3 no such control (or DLL), 4 the window stayed open.
#include <windows.h>
#include <psapi.h>

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
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
    printf("%s\n", bytes.c_str());
}

// The path of the DLL `name` in the process that owns hwnd; empty when it is not loaded.
std::wstring LoadedModule(HWND hwnd, const wchar_t* name) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr)
        return L"";
    HMODULE modules[1024];
    DWORD cb = 0;
    std::wstring found;
    if (EnumProcessModules(process, modules, sizeof modules, &cb)) {
        for (DWORD i = 0; i < cb / sizeof(HMODULE) && i < 1024 && found.empty(); ++i) {
            wchar_t path[MAX_PATH] = {};
            if (GetModuleFileNameExW(process, modules[i], path, MAX_PATH) == 0)
                continue;
            const wchar_t* leaf = wcsrchr(path, L'\\');
            if (_wcsicmp(leaf != nullptr ? leaf + 1 : path, name) == 0)
                found = path;
        }
    }
    CloseHandle(process);
    return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* action = argc > 2 ? argv[2] : L"";
    const bool set = wcscmp(action, L"set") == 0, cancel = wcscmp(action, L"cancel") == 0;
    const bool wait = wcscmp(action, L"wait") == 0, module = wcscmp(action, L"module") == 0;
    const bool known = set || cancel || wait || module || wcscmp(action, L"click") == 0 ||
                       wcscmp(action, L"press") == 0 || wcscmp(action, L"text") == 0;
    if (!known || argc != (cancel || wait ? 3 : set ? 5 : 4)) {
        fprintf(stderr, "usage: wintest TITLE click ID|press ID|set ID TEXT|text ID|cancel|wait|"
                        "module NAME\n");
        return 2;
    }
    // A dialog exists before it is shown and set up; only a visible one takes input.
    HWND hwnd = nullptr;
    if (!WaitFor([&] { return (hwnd = FindWindowW(nullptr, argv[1])) && IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: no visible window with that title\n");
        return 1;
    }
    if (wait)
        return 0;
    if (module) {
        const std::wstring path = LoadedModule(hwnd, argv[3]);
        if (path.empty())
            return 3;
        PrintUtf8(path.c_str());
        return 0;
    }
    if (cancel) {
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        HWND control = GetDlgItem(hwnd, static_cast<int>(wcstol(argv[3], nullptr, 0)));
        if (control == nullptr) {
            fprintf(stderr, "wintest: the window has no such control\n");
            return 3;
        }
        if (wcscmp(action, L"text") == 0) {
            wchar_t text[4096] = {};
            // Sent, not GetWindowTextW: that gives another program's edit field as empty.
            SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
            PrintUtf8(text);
            return 0;
        }
        if (set)
            return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 3;
        PostMessageW(control, BM_CLICK, 0, 0);
        if (wcscmp(action, L"press") == 0)
            return 0;
    }
    if (!WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); })) {
        fprintf(stderr, "wintest: the window is still open after the %ls\n", action);
        return 4;
    }
    return 0;
}
