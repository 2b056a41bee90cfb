// win32-linux/programs/zapfile-reg/add.cpp
// zapfile-reg add: creates the key and writes the value, its data given as reg.exe takes it.
#include "programs/zapfile-reg/reg.h"

#include <cstdio>

namespace reg {

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
