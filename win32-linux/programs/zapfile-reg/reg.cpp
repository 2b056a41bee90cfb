// win32-linux/programs/zapfile-reg/reg.cpp
//
// zapfile-reg: the query, add and delete operations of the Windows `reg` command, for the
// stand-in registry. It takes reg.exe's syntax and gives its messages and exit codes (0 done
// or cancelled, 1 failed), and it goes through the same Win32 calls as the program, so what
// it shows is what the program reads.

#include <windows.h>

#include "programs/version.h"
#include "programs/zapfile-reg/reg.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace reg {

bool EqualNoCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

}  // namespace reg

namespace {

using namespace reg;

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

// "HKCU\Software\Zapfile" -> the root's handle, its long name, and "Software\Zapfile".
bool ParseKey(const char* arg, Command* c) {
    struct Root {
        const char* shortName;
        const char* longName;
        HKEY handle;
    };
    static const Root kRoots[] = {{"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                  {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}};
    std::string key(arg);
    const size_t slash = key.find('\\');
    const std::string first = key.substr(0, slash);
    std::string rest = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    while (!rest.empty() && rest.back() == '\\')
        rest.pop_back();
    for (const Root& root : kRoots) {
        if (EqualNoCase(first.c_str(), root.shortName) ||
            EqualNoCase(first.c_str(), root.longName)) {
            c->root = root.handle;
            c->subkey = rest;
            c->keyName = rest.empty() ? root.longName : std::string(root.longName) + "\\" + rest;
            return true;
        }
    }
    return false;
}

// Reads the options after the key; false on anything reg.exe would call invalid syntax.
bool ParseOptions(int argc, char** argv, Command* c) {
    for (int i = 3; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasNext = i + 1 < argc;
        if (EqualNoCase(a, "/v") && hasNext && !c->named) {
            c->named = true;
            c->value = argv[++i];
        } else if (EqualNoCase(a, "/ve") && !c->unnamed) {
            c->unnamed = true;
        } else if (EqualNoCase(a, "/t") && hasNext && !c->typed && c->op == Op::kAdd) {
            c->typed = true;
            c->type = argv[++i];
        } else if (EqualNoCase(a, "/d") && hasNext && !c->hasData && c->op == Op::kAdd) {
            c->hasData = true;
            c->data = argv[++i];
        } else if (EqualNoCase(a, "/f") && !c->force && c->op != Op::kQuery) {
            c->force = true;
        } else if (EqualNoCase(a, "/reg:32") || EqualNoCase(a, "/reg:64")) {
            // One registry view here: the option is accepted and changes nothing.
        } else {
            return false;
        }
    }
    return !(c->named && c->unnamed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs(kUsage, stdout);
        return 1;
    }
    if (EqualNoCase(argv[1], "/?") || EqualNoCase(argv[1], "-?") ||
        strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("%s\n", VersionLine("zapfile-reg").c_str());
        return 0;
    }
    Command c;
    if (EqualNoCase(argv[1], "query")) {
        c.op = Op::kQuery;
        c.opName = "QUERY ";
    } else if (EqualNoCase(argv[1], "add")) {
        c.op = Op::kAdd;
        c.opName = "ADD ";
    } else if (EqualNoCase(argv[1], "delete")) {
        c.op = Op::kDelete;
        c.opName = "DELETE ";
    } else {
        return SyntaxError("");
    }
    if (argc == 3 && (EqualNoCase(argv[2], "/?") || EqualNoCase(argv[2], "-?"))) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 3 || !ParseOptions(argc, argv, &c))
        return SyntaxError(c.opName);
    if (!ParseKey(argv[2], &c)) {
        fprintf(stderr, "ERROR: Invalid key name.\nType \"REG %s/?\" for usage.\n", c.opName);
        return 1;
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
