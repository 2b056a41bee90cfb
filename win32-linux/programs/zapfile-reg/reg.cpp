// win32-linux/programs/zapfile-reg/reg.cpp
//
// zapfile-reg: the query, add and delete operations of the Windows `reg` command, for the
// stand-in registry. It takes reg.exe's syntax and gives its messages and exit codes (0 done
// or cancelled, 1 failed), and it goes through the same Win32 calls as the program, so what
// it shows is what the program reads.

#include <windows.h>

#include "programs/close_output.h"
#include "programs/version.h"
#include "programs/zapfile-reg/reg.h"

#include <cstdio>

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  zapfile-reg query KEY [/v NAME | /ve]\n"
    "  zapfile-reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "  zapfile-reg delete KEY [/v NAME | /ve] [/f]\n"
    "\n"
    "  KEY   HKCU\\Path or HKCR\\Path; HKEY_CURRENT_USER and HKEY_CLASSES_ROOT also do.\n"
    "  /v    the value NAME; /ve the key's default (unnamed) value.\n"
    "  /t    REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE.\n"
    "  /d    the data: text, a number (decimal or 0x hexadecimal), or hexadecimal byte pairs.\n"
    "  /f    add or delete without asking.\n"
    "\n"
    "Deleting a key deletes everything below it.\n"
    "Example: zapfile-reg add HKCU\\Software\\Zapfile /v bAskUser /t REG_SZ /d 0 /f\n"
    "\n"
    "  zapfile-reg /? | -h | --help   show this help\n"
    "  zapfile-reg --version         show the version\n"
    "Exit status: 0 done or cancelled, 1 failed or wrong syntax.\n";

}  // namespace

namespace {

int Run(int argc, char** argv) {
    using namespace reg;
    Command c;
    switch (ParseCommandLine(argc, argv, &c)) {
    case Parsed::kNoOperation:
        fputs(kUsage, stdout);
        return 1;
    case Parsed::kHelp:
        fputs(kUsage, stdout);
        return 0;
    case Parsed::kVersion:
        printf("%s\n", VersionLine("zapfile-reg").c_str());
        return 0;
    case Parsed::kNoSuchOperation:
        return SyntaxError("");
    case Parsed::kBadSyntax:
        return SyntaxError(c.opName);
    case Parsed::kBadKey:
        fprintf(stderr, "ERROR: Invalid key name.\nType \"zapfile-reg %s/?\" for usage.\n",
                c.opName);
        return 1;
    case Parsed::kRun:
        break;
    }
    switch (c.op) {
    case Op::kQuery:
        return Query(c);
    case Op::kAdd:
        return Add(c);
    case Op::kDelete:
        return Delete(c);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) { return CloseOutput("zapfile-reg", Run(argc, argv)); }
