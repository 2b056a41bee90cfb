// win32-linux/crt0/winmain_start.cpp
// The start of a program whose entry is WinMain, as the C runtime gives it on Windows: the
// command line after the program's own name (each argument that holds a blank in double
// quotes), the program's instance, and SW_SHOWDEFAULT. WinMain's result is the exit code.
#include <windows.h>

#include <string>

#include "kernel32/module.h"

int main(int argc, char** argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!tail.empty())
            tail += ' ';
        tail += arg.empty() || arg.find_first_of(" \t") != std::string::npos ? '"' + arg + '"'
                                                                                : arg;
    }
    return WinMain(standin::ProgramInstance(), nullptr, tail.data(), SW_SHOWDEFAULT);
}
