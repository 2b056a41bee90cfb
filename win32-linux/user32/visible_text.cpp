// win32-linux/user32/visible_text.cpp
#include "user32/visible_text.h"

#include <cstdio>
#include <cstring>

namespace standin {
namespace {

// The length of the UTF-8 sequence that starts text; negative when it is to be escaped: a
// control character, a byte of no valid sequence (-1), a character that breaks the line or
// turns the writing direction around what follows.
int Sequence(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned c = s[0];
    if (c < 0x80)
        return c >= 0x20 && c != 0x7f ? 1 : -1;
    const int length = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
    if (length == 0 || text.size() < static_cast<size_t>(length))
        return -1;
    unsigned point = c & (0x7f >> length);
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xc0) != 0x80)
            return -1;
        point = point << 6 | (s[i] & 0x3f);
    }
    if ((length == 3 && point < 0x800) || (length == 4 && (point < 0x10000 || point > 0x10ffff)) ||
        (point >= 0xd800 && point <= 0xdfff))
        return -1;
    const bool hidden = point < 0xa0 || point == 0x2028 || point == 0x2029 || point == 0x061c ||
                        point == 0x200e || point == 0x200f || (point >= 0x202a && point <= 0x202e) ||
                        (point >= 0x2066 && point <= 0x2069);
    return hidden ? -length : length;
}

bool NeedsEscape(std::string_view name) {
    for (size_t i = 0; i < name.size();) {
        const int n = Sequence(name.substr(i));
        if (n < 0)
            return true;
        i += n;
    }
    return false;
}

// True for a character that means the same inside double quotes as inside single ones, as
// coreutils tells them apart: a name of these and single quotes is put in double quotes.
bool DoubleQuotable(std::string_view name, size_t i) {
    const char c = name[i];
    if (static_cast<unsigned char>(c) >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
        (c >= 'A' && c <= 'Z') || strchr("%+,-./:]_ '", c) != nullptr)
        return true;
    return ((c == '#' || c == '~') && i == 0) || ((c == '{' || c == '}') && name.size() == 1);
}

// One byte as $'...' writes it: C's letter for a control character that has one, else its
// three octal digits.
std::string Escape(unsigned char b) {
    static constexpr char kControls[] = "\a\b\t\n\v\f\r", kLetters[] = "abtnvfr";
    const char* control = b != 0 ? strchr(kControls, b) : nullptr;
    char escaped[5];
    if (control != nullptr)
        snprintf(escaped, sizeof escaped, "\\%c", kLetters[control - kControls]);
    else
        snprintf(escaped, sizeof escaped, "\\%03o", b);
    return escaped;
}

}  // namespace

std::string QuoteName(std::string_view name) {
    bool single = false, quotable = !NeedsEscape(name);
    for (size_t i = 0; i < name.size(); ++i) {
        single = single || name[i] == '\'';
        quotable = quotable && DoubleQuotable(name, i);
    }
    if (single && quotable)
        return "\"" + std::string(name) + "\"";
    // In single quotes; a run to escape goes into $'...' with C's escapes, and a single quote
    // is closed, escaped and opened again: 'a'$'\n''b', 'it'\''s'.
    std::string out = "'";
    bool escaping = false;
    for (size_t i = 0; i < name.size();) {
        const int n = Sequence(name.substr(i));
        if (n < 0) {
            if (!escaping)
                out += "'$'";
            escaping = true;
            for (int k = 0; k < -n; ++k, ++i)
                out += Escape(static_cast<unsigned char>(name[i]));
            continue;
        }
        if (name[i] == '\'') {
            out += "'\\''";
        } else {
            if (escaping)
                out += "''";
            out.append(name.substr(i, n));
        }
        escaping = false;
        i += n;
    }
    return out + "'";
}

std::string VisibleText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t close = text[i] == '"' ? text.find('"', i + 1) : std::string_view::npos;
        const std::string_view name =
            close != std::string_view::npos ? text.substr(i + 1, close - i - 1) : std::string_view();
        if (close != std::string_view::npos) {
            out += NeedsEscape(name) ? QuoteName(name) : std::string(text.substr(i, close + 1 - i));
            i = close + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace standin
