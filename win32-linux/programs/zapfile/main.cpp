// win32-linux/programs/zapfile/main.cpp
// The program's start on Linux: builds the command-line tail that a file manager's launch
// would give WinMain on Windows, and runs WinMain once for each path.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "forced_delete.h"
#include "kernel32/module.h"

namespace {

void PrintUsage() {
    fputs("Usage: zapfile [FILE...]\n"
          "Deletes each FILE by force: empties it, writes one byte 0xFF and removes it,\n"
          "asking first unless the stored setting says not to. Without FILE, opens the window.\n"
          "Settings: zapfile-reg add HKCU\\Software\\Zapfile /v bAskUser /d 0 /f\n",
          stdout);
}

}  // namespace

int main(int argc, char** argv) {
    HINSTANCE hInstance = standin::ProgramInstance();
    int first = 1;
    if (argc > 1 && strcmp(argv[1], "--help") == 0) {
        PrintUsage();
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "--") == 0)
        first = 2;
    if (first >= argc) {
        char empty[] = "";
        WinMain(hInstance, nullptr, empty, SW_SHOWDEFAULT);
        return 0;
    }
    for (int i = first; i < argc; ++i) {
        // The deletion removes every double quote from the tail; a Linux name that holds one
        // would lose it and could name another file. Such a path is refused.
        if (strchr(argv[i], '"') != nullptr) {
            ShowDeleteError(nullptr);
            continue;
        }
        // One path P is passed as the tail "P", as a file manager passes it quoted.
        std::string tail = "\"" + std::string(argv[i]) + "\"";
        WinMain(hInstance, nullptr, tail.data(), SW_SHOWDEFAULT);
    }
    return 0;
}
