// win32-linux/programs/zapfile-reg/reg.cpp
//
// zapfile-reg: the query, add and delete operations of the Windows `reg` command, for the
// stand-in registry. It takes reg.exe's syntax and gives its messages and exit codes (0 done
// or cancelled, 1 failed), and it goes through the same Win32 calls as the program, so what
// it shows is what the program reads.

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kDone[] = "The operation completed successfully.\n";
constexpr char kCancelled[] = "The operation was cancelled by the user.\n";
constexpr char kDefaultName[] = "(Default)";
// The longest names the registry holds, with their NUL.
constexpr DWORD kKeyNameBuffer = 256;
constexpr DWORD kValueNameBuffer = 16384;

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
    "Example: zapfile-reg add HKCU\\Software\\Zapfile /v bAskUser /t REG_SZ /d 0 /f\n";

enum class Op { kQuery, kAdd, kDelete };

struct Command {
    Op op = Op::kQuery;
    const char* opName = "";  // as reg.exe names it in its messages
    HKEY root = nullptr;
    std::string keyName;   // the full name as shown: HKEY_CURRENT_USER\Software\Zapfile
    std::string subkey;    // below the root; empty for the root itself
    bool named = false;    // /v NAME
    bool unnamed = false;  // /ve
    std::string value;
    bool typed = false;
    std::string type;
    bool hasData = false;
    std::string data;
    bool force = false;
};

bool EqualNoCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

int SyntaxError(const char* opName) {
    fprintf(stderr, "ERROR: Invalid syntax.\nType \"REG %s/?\" for usage.\n", opName);
    return 1;
}

const char* Describe(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
        return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_CANTOPEN:
        return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD:
        return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE:
        return "The configuration registry key could not be written.";
    case ERROR_REGISTRY_CORRUPT:
        return "The registry is corrupted. The structure of one of the files containing "
               "registry data is corrupted, or the system's memory image of the file is "
               "corrupted, or the file could not be recovered because the alternate copy or "
               "log was absent or corrupted.";
    case ERROR_KEY_DELETED:
        return "Illegal operation attempted on a registry key that has been marked for "
               "deletion.";
    default:
        return nullptr;
    }
}

int Fail(LONG status) {
    const char* text = Describe(status);
    if (text != nullptr)
        fprintf(stderr, "ERROR: %s\n", text);
    else
        fprintf(stderr, "ERROR: Error code %ld.\n", static_cast<long>(status));
    return 1;
}

// Asks on standard output; "y" or "yes" is a yes, anything else or no answer a no.
bool Confirm(const std::string& question) {
    fputs(question.c_str(), stdout);
    fflush(stdout);
    char line[64];
    if (fgets(line, sizeof line, stdin) == nullptr)
        return false;
    std::string answer(line);
    while (!answer.empty() && isspace(static_cast<unsigned char>(answer.back())))
        answer.pop_back();
    return EqualNoCase(answer.c_str(), "y") || EqualNoCase(answer.c_str(), "yes");
}

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

// ---- Value data as text and back -------------------------------------------------------

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return nullptr;
    }
}

std::string HexBytes(const std::vector<BYTE>& data) {
    std::string text;
    char pair[3];
    for (BYTE b : data) {
        snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

// A number stored little-endian, as Windows stores REG_DWORD and REG_QWORD.
unsigned long long LittleEndian(const std::vector<BYTE>& data, size_t size) {
    unsigned long long n = 0;
    for (size_t i = size; i-- > 0;)
        n = (n << 8) | data[i];
    return n;
}

std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
    const char* chars = reinterpret_cast<const char*>(data.data());
    char number[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(chars, strnlen(chars, data.size()));
    case REG_MULTI_SZ: {
        // reg.exe joins the strings with a written "\0".
        std::string text;
        size_t at = 0;
        while (at < data.size() && data[at] != 0) {
            const size_t len = strnlen(chars + at, data.size() - at);
            if (!text.empty())
                text += "\\0";
            text.append(chars + at, len);
            at += len + 1;
        }
        return text;
    }
    case REG_DWORD:
        if (data.size() != 4)
            break;
        snprintf(number, sizeof number, "0x%llx", LittleEndian(data, 4));
        return number;
    case REG_QWORD:
        if (data.size() != 8)
            break;
        snprintf(number, sizeof number, "0x%llx", LittleEndian(data, 8));
        return number;
    default:
        break;
    }
    return HexBytes(data);
}

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long* out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' ||
        isspace(static_cast<unsigned char>(text[0])))
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || n > max)
        return false;
    *out = n;
    return true;
}

bool ParseHex(const std::string& text, std::vector<BYTE>* out) {
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (!isxdigit(static_cast<unsigned char>(text[i])) ||
            !isxdigit(static_cast<unsigned char>(text[i + 1])))
            return false;
        out->push_back(static_cast<BYTE>(strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
    }
    return true;
}

// The type and bytes that `add` writes; false when /t or /d cannot be taken.
bool EncodeData(const Command& c, DWORD* type, std::vector<BYTE>* bytes) {
    const std::string typeName = c.typed ? c.type : "REG_SZ";
    const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE};
    bool known = false;
    for (DWORD t : kTypes)
        if (EqualNoCase(typeName.c_str(), TypeName(t))) {
            *type = t;
            known = true;
        }
    if (!known)
        return false;
    unsigned long long n = 0;
    switch (*type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        // Text is stored with its NUL, as reg.exe stores it.
        bytes->assign(c.data.begin(), c.data.end());
        bytes->push_back(0);
        return true;
    case REG_DWORD:
    case REG_QWORD: {
        const size_t size = *type == REG_DWORD ? 4 : 8;
        if (c.hasData && !ParseNumber(c.data, size == 4 ? 0xffffffffull : ~0ull, &n))
            return false;
        for (size_t i = 0; i < size; ++i)
            bytes->push_back(static_cast<BYTE>(n >> (8 * i)));
        return true;
    }
    default:
        return ParseHex(c.data, bytes);
    }
}

// ---- Operations ----------------------------------------------------------------------------

const char* ValueArg(const Command& c) {
    return c.unnamed ? "" : c.value.c_str();
}

std::string ShownName(const std::string& name) {
    return name.empty() ? kDefaultName : name;
}

void PrintValue(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    const char* typeName = TypeName(type);
    char unknown[16];
    if (typeName == nullptr) {
        snprintf(unknown, sizeof unknown, "0x%lx", static_cast<unsigned long>(type));
        typeName = unknown;
    }
    printf("    %s    %s    %s\n", ShownName(name).c_str(), typeName,
           FormatData(type, data).c_str());
}

LONG ReadValue(HKEY h, const char* name, DWORD* type, std::vector<BYTE>* data) {
    for (;;) {
        DWORD size = 0;
        LONG status = RegQueryValueExA(h, name, nullptr, type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data->resize(size);
        status = RegQueryValueExA(h, name, nullptr, type, data->data(), &size);
        if (status != ERROR_MORE_DATA) {  // else it grew in between: ask again
            data->resize(size);
            return status;
        }
    }
}

int Query(const Command& c) {
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(c.root, c.subkey.c_str(), 0, KEY_READ, &h);
    if (status != ERROR_SUCCESS)
        return Fail(status);
    DWORD type = 0;
    std::vector<BYTE> data;
    if (c.named || c.unnamed) {
        status = ReadValue(h, ValueArg(c), &type, &data);
        if (status == ERROR_FILE_NOT_FOUND && c.unnamed) {
            printf("\n%s\n    %s    REG_SZ    (value not set)\n\n", c.keyName.c_str(),
                   kDefaultName);
            return 0;
        }
        if (status != ERROR_SUCCESS)
            return Fail(status);
        printf("\n%s\n", c.keyName.c_str());
        PrintValue(ValueArg(c), type, data);
        printf("\n");
        return 0;
    }
    printf("\n%s\n", c.keyName.c_str());
    std::vector<char> name(kValueNameBuffer);
    for (DWORD i = 0;; ++i) {
        DWORD cch = kValueNameBuffer;
        DWORD size = 0;
        status = RegEnumValueA(h, i, name.data(), &cch, nullptr, &type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            const std::string valueName(name.data(), cch);
            status = ReadValue(h, valueName.c_str(), &type, &data);
            if (status == ERROR_SUCCESS)
                PrintValue(valueName, type, data);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            return Fail(status);
    }
    printf("\n");
    for (DWORD i = 0;; ++i) {
        DWORD cch = kKeyNameBuffer;
        status = RegEnumKeyExA(h, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            return Fail(status);
        printf("%s\\%s\n", c.keyName.c_str(), name.data());
    }
    return 0;
}

int Add(const Command& c) {
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
    if (!EncodeData(c, &type, &bytes))
        return SyntaxError(c.opName);
    HKEY h = nullptr;
    LONG status = c.subkey.empty() ? ERROR_SUCCESS : RegCreateKeyA(c.root, c.subkey.c_str(), &h);
    if (c.subkey.empty())
        h = c.root;
    if (status != ERROR_SUCCESS)
        return Fail(status);
    // A bare key is only created; /t or /d alone set the default value, as with reg.exe.
    if (c.named || c.unnamed || c.typed || c.hasData) {
        const char* name = ValueArg(c);
        if (!c.force &&
            RegQueryValueExA(h, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            if (!Confirm("Value " + ShownName(name) + " exists, overwrite(Yes/No)? ")) {
                fputs(kCancelled, stdout);
                return 0;
            }
        }
        status = RegSetValueExA(h, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        if (status != ERROR_SUCCESS)
            return Fail(status);
    }
    fputs(kDone, stdout);
    return 0;
}

// Deletes a key and everything below it, the deepest keys first, as reg.exe does.
LONG DeleteTree(HKEY parent, const char* path) {
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &h);
    if (status != ERROR_SUCCESS)
        return status;
    char child[kKeyNameBuffer];
    for (;;) {
        DWORD cch = kKeyNameBuffer;
        status = RegEnumKeyExA(h, 0, child, &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS)
            status = DeleteTree(h, child);
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(h);
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    return RegDeleteKeyA(parent, path);
}

int Delete(const Command& c) {
    if (!(c.named || c.unnamed) && c.subkey.empty()) {  // a root is never deleted
        fprintf(stderr, "ERROR: Invalid key name.\nType \"REG %s/?\" for usage.\n", c.opName);
        return 1;
    }
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(c.root, c.subkey.c_str(), 0, KEY_ALL_ACCESS, &h);
    if (status != ERROR_SUCCESS)
        return Fail(status);
    if (c.named || c.unnamed) {
        const char* name = ValueArg(c);
        status = RegQueryValueExA(h, name, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return Fail(status);
        if (!c.force && !Confirm("Delete the registry value " + ShownName(name) + " (Yes/No)? ")) {
            fputs(kCancelled, stdout);
            return 0;
        }
        status = RegDeleteValueA(h, name);
    } else {
        RegCloseKey(h);
        if (!c.force &&
            !Confirm("Permanently delete the registry key " + c.keyName + " (Yes/No)? ")) {
            fputs(kCancelled, stdout);
            return 0;
        }
        status = DeleteTree(c.root, c.subkey.c_str());
    }
    if (status != ERROR_SUCCESS)
        return Fail(status);
    fputs(kDone, stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs(kUsage, stdout);
        return 1;
    }
    if (EqualNoCase(argv[1], "/?") || EqualNoCase(argv[1], "-?")) {
        fputs(kUsage, stdout);
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
