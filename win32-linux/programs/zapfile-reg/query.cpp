// win32-linux/programs/zapfile-reg/query.cpp
// zapfile-reg query: one value, or a key's values and then its subkeys.
#include "programs/zapfile-reg/reg.h"

#include <cstdio>

namespace reg {
namespace {

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

}  // namespace

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

}  // namespace reg
