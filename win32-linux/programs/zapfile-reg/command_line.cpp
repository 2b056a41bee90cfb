// win32-linux/programs/zapfile-reg/command_line.cpp
// zapfile-reg's command line, read as reg.exe reads it.
#include "programs/zapfile-reg/reg.h"

#include <cctype>
#include <cstring>
#include <string>

namespace reg {

bool EqualNoCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

namespace {

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

Parsed ParseCommandLine(int argc, char** argv, Command* c) {
    if (argc < 2)
        return Parsed::kNoOperation;
    if (EqualNoCase(argv[1], "/?") || EqualNoCase(argv[1], "-?") ||
        strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0)
        return Parsed::kHelp;
    if (strcmp(argv[1], "--version") == 0)
        return Parsed::kVersion;
    if (EqualNoCase(argv[1], "query")) {
        c->op = Op::kQuery;
        c->opName = "query ";
    } else if (EqualNoCase(argv[1], "add")) {
        c->op = Op::kAdd;
        c->opName = "add ";
    } else if (EqualNoCase(argv[1], "delete")) {
        c->op = Op::kDelete;
        c->opName = "delete ";
    } else {
        return Parsed::kNoSuchOperation;
    }
    if (argc == 3 && (EqualNoCase(argv[2], "/?") || EqualNoCase(argv[2], "-?")))
        return Parsed::kHelp;
    if (argc < 3 || !ParseOptions(argc, argv, c))
        return Parsed::kBadSyntax;
    if (!ParseKey(argv[2], c))
        return Parsed::kBadKey;
    return Parsed::kRun;
}

}  // namespace reg
