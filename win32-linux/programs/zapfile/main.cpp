// win32-linux/programs/zapfile/main.cpp
// The program's start on Linux: reads the options as command-line tools do, builds the
// command-line tail that a file manager's launch would give WinMain on Windows, runs WinMain
// once for each path, and gives rm's exit status and messages for the paths that failed.
#include <windows.h>

#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "advapi32/registry.h"
#include "forced_delete.h"
#include "kernel32/memory.h"
#include "kernel32/module.h"
#include "programs/close_output.h"
#include "programs/version.h"
#include "programs/zapfile/failure_reason.h"
#include "user32/error_box.h"
#include "user32/visible_text.h"

namespace {

// Exit statuses, as rm gives them.
constexpr int kExitDone = 0;     // every path deleted, or answered No
constexpr int kExitFailed = 1;   // a path refused or not deleted, a window not shown
constexpr int kExitUsage = 2;    // an unknown option: nothing done

constexpr char kUsage[] =
    "Usage: zapfile [OPTION]... [--] [FILE]...\n"
    "Deletes each FILE by force: empties it, writes one byte 0xFF and removes it,\n"
    "asking first unless the stored setting says not to. Without FILE, opens the window.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "  --             end of the options: a FILE after it may begin with '-'\n"
    "\n"
    "Exit status: 0 when every FILE was deleted or the answer was No, 1 when a FILE was\n"
    "refused or could not be deleted (each is named on standard error) or the window could\n"
    "not be shown, 2 for a wrong option.\n"
    "Stop asking: zapfile-reg add 'HKCU\\Software\\Zapfile' /v bAskUser /d 0 /f\n";

// Reads the options; returns -1 to go on with the paths from argv[*first], else the exit
// status. Every option comes before any path is touched.
int ReadOptions(int argc, char** argv, int* first) {
    // Where no argument looks like an option, getopt_long would find none: a run that zaps a
    // file then leaves the C library's option reader unread, and its pages out of memory.
    bool dashed = false;
    for (int i = 1; i < argc && !dashed; ++i)
        dashed = argv[i][0] == '-' && argv[i][1] != '\0';
    if (!dashed) {
        *first = 1;
        return -1;
    }
    static const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    opterr = 0;  // the messages below name the program as "zapfile", whatever argv[0] is
    for (;;) {
        switch (getopt_long(argc, argv, "h", kOptions, nullptr)) {
        case -1:
            *first = optind;
            return -1;
        case 'h':
            fputs(kUsage, stdout);
            return kExitDone;
        case 'V':
            printf("%s\n", VersionLine("zapfile").c_str());
            return kExitDone;
        default:
            // A long option's error names the whole argument (always just read); optopt is 0
            // for an unknown one and the option's value for one given an argument. A short
            // one's names its letter: -h is never wrong.
            if (optopt == 0)
                fprintf(stderr, "zapfile: unrecognized option '%s'\n", argv[optind - 1]);
            else if (optopt == 'h' || optopt == 'V')
                fprintf(stderr, "zapfile: option '%s' takes no argument\n", argv[optind - 1]);
            else
                fprintf(stderr, "zapfile: invalid option -- '%c'\n", optopt);
            fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
}

// Zaps one path through WinMain; false, with the path named on standard error, when the
// error box was shown for it.
bool Zap(HINSTANCE hInstance, const char* path) {
    standin::TakeErrorBoxNote();
    // The deletion removes every double quote from the tail; a Linux name that holds one
    // would lose it and could name another file. Such a path is refused.
    if (strchr(path, '"') != nullptr) {
        SetLastError(ERROR_INVALID_NAME);
        ShowDeleteError(nullptr);
    } else {
        // One path P is passed as the tail "P", as a file manager passes it quoted. Each path
        // is a run of its own, as each is a process of its own on Windows: the run's blocks
        // and registry keys, which the program never releases, go when it ends.
        std::string tail = "\"" + std::string(path) + "\"";
        standin::BeginRunBlocks();
        standin::BeginRunKeys();
        WinMain(hInstance, nullptr, tail.data(), SW_SHOWDEFAULT);
        standin::CloseRunKeys();
        standin::ReleaseRunBlocks();
    }
    const standin::ErrorBoxNote note = standin::TakeErrorBoxNote();
    if (note.shown)
        fprintf(stderr, "zapfile: cannot delete %s: %s\n", standin::QuoteName(path).c_str(),
                FailureReason(path, note.unixError).c_str());
    return !note.shown;
}

int Run(int argc, char** argv) {
    int first = 1;
    const int status = ReadOptions(argc, argv, &first);
    if (status >= 0)
        return status;
    HINSTANCE hInstance = standin::ProgramInstance();
    if (first >= argc) {
        char empty[] = "";
        WinMain(hInstance, nullptr, empty, SW_SHOWDEFAULT);
        return standin::TakeErrorBoxNote().windowFailed ? kExitFailed : kExitDone;
    }
    // Each failed path gets one line on standard error, this program's own, with the reason.
    standin::CallerNamesFailures();
    bool allDone = true;
    for (int i = first; i < argc; ++i)
        allDone = Zap(hInstance, argv[i]) && allDone;
    return allDone ? kExitDone : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) { return CloseOutput("zapfile", Run(argc, argv)); }
