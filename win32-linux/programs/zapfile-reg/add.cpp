// win32-linux/programs/zapfile-reg/add.cpp
// zapfile-reg add: creates the key and writes the value, its data given as reg.exe takes it.
#include "programs/zapfile-reg/reg.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace reg {
namespace {

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

}  // namespace

int Add(const Command& c) {
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
    if (!EncodeData(c, &type, &bytes))
        return SyntaxError(c.opName);
    HKEY h = nullptr;
    LONG status = c.subkey.empty() ? ERROR_SUCCESS : RegCreateKeyA(c.root, c.subkey.c_str(), &h);
    if (c.subkey.empty())
        h = c.root;
    // reg.exe answers a key path that no key can have with "Access is denied.".
    if (status == ERROR_BAD_PATHNAME)
        status = ERROR_ACCESS_DENIED;
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

}  // namespace reg
