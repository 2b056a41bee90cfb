// tests/fuzz/zapfile_reg_fuzz.cpp
// zapfile-reg's command line and the values it prints, on any words: the input is split into
// arguments at each NUL. What is parsed names a root and a key path as reg.exe shows them; the
// /d data that add takes comes back as query prints it; any bytes of any type print.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "programs/zapfile-reg/reg.h"

namespace {

using namespace reg;

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

bool AllOf(const std::string& s, size_t from, int (*is)(int)) {
    for (size_t i = from; i < s.size(); ++i)
        if (!is(static_cast<unsigned char>(s[i])))
            return false;
    return from < s.size();
}

// What add stores for /t and /d, printed by query, must be what was given.
void CheckRoundTrip(const Command& c) {
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!EncodeData(c, &type, &bytes))
        return;
    const std::string shown = FormatData(type, bytes);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        Check(shown == c.data.substr(0, c.data.find('\0')));
        break;
    case REG_DWORD:
    case REG_QWORD: {
        Check(bytes.size() == (type == REG_DWORD ? 4u : 8u));
        if (!c.hasData)
            break;
        // A number: decimal digits, or 0x and hexadecimal ones; nothing else gets through.
        const bool hex = c.data.size() > 2 && c.data[0] == '0' && (c.data[1] == 'x' || c.data[1] == 'X');
        Check(hex ? AllOf(c.data, 2, isxdigit) : AllOf(c.data, 0, isdigit));
        const unsigned long long n = strtoull(c.data.c_str() + (hex ? 2 : 0), nullptr, hex ? 16 : 10);
        char expected[32];
        snprintf(expected, sizeof expected, "0x%llx", n);
        Check(shown == expected);
        break;
    }
    default:
        Check(shown == Upper(c.data));
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Arguments as main receives them, the program's name first.
    std::vector<std::string> words = {"zapfile-reg"};
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    Command c;
    if (ParseCommandLine(static_cast<int>(words.size()), argv.data(), &c) == Parsed::kRun) {
        Check(c.root == HKEY_CURRENT_USER || c.root == HKEY_CLASSES_ROOT);
        Check(!(c.named && c.unnamed));
        // The name shown is the root's long name, then the path below it, which never ends in
        // a backslash (one key, however it was written).
        const std::string root = c.root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
        Check(c.keyName == (c.subkey.empty() ? root : root + "\\" + c.subkey));
        Check(c.subkey.empty() || c.subkey.back() != '\\');
        if (c.op == Op::kAdd)
            CheckRoundTrip(c);
    }
    // Any stored bytes, of any type, print.
    if (size > 0) {
        const std::vector<BYTE> bytes(data + 1, data + size);
        FormatData(data[0] % 12, bytes);
        FormatData(data[0], bytes);
    }
    return 0;
}
