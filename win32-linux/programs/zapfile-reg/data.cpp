// win32-linux/programs/zapfile-reg/data.cpp
// Values as text, both ways: the /d data of add turned into the bytes of a type, and stored
// bytes turned into what query prints.
#include "programs/zapfile-reg/reg.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace reg {
namespace {

// Decimal digits, or 0x and hexadecimal ones: nothing else, not even the blanks or the sign
// that strtoull would pass over.
bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long* out) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (text.size() == (hex ? 2u : 0u))
        return false;
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i)
        if (!(hex ? isxdigit : isdigit)(static_cast<unsigned char>(text[i])))
            return false;
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

}  // namespace

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

namespace {

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

}  // namespace

std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
    char number[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:  // up to the first NUL, if any (an empty value has no bytes at all)
        return std::string(data.begin(), std::find(data.begin(), data.end(), 0));
    case REG_MULTI_SZ: {
        // reg.exe joins the strings with a written "\0".
        std::string text;
        for (auto at = data.begin(); at != data.end() && *at != 0;) {
            const auto end = std::find(at, data.end(), 0);
            if (!text.empty())
                text += "\\0";
            text.append(at, end);
            at = end == data.end() ? end : end + 1;
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

}  // namespace reg
