// tests/lib/registry_probe.h
// Looking at the registry from a test through the Win32 calls alone, on both platforms:
// exact values, subkeys, and removing a test's keys whole.
#ifndef ZAPFILE_TESTS_REGISTRY_PROBE_H
#define ZAPFILE_TESTS_REGISTRY_PROBE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <tuple>

namespace probe {

inline BYTE* Data(std::string& s) { return reinterpret_cast<BYTE*>(s.data()); }

// Status, type and bytes, read as the size asked first and then exactly that many bytes.
using Value = std::tuple<LONG, DWORD, std::string>;
inline Value Get(HKEY h, const char* name) {
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
    std::string bytes(status == ERROR_SUCCESS ? size : 0, '\0');
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExA(h, name, nullptr, &type, Data(bytes), &size);
    return {status, status == ERROR_SUCCESS ? type : 0, bytes.substr(0, size)};
}

// The same for the value of a key given by its path; the open's status when it fails.
inline Value Get(HKEY root, const std::string& path, const char* name) {
    HKEY h = nullptr;
    const LONG status = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h);
    if (status != ERROR_SUCCESS)
        return {status, 0, ""};
    Value v = Get(h, name);
    RegCloseKey(h);
    return v;
}

// What the platform stores for a text written without its NUL: REG_SZ, the text, the NUL.
inline Value Text(const std::string& text) { return {ERROR_SUCCESS, REG_SZ, text + '\0'}; }

inline bool Exists(HKEY root, const std::string& path) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

inline void Create(HKEY root, const std::string& path) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(root, path.c_str(), &h)) << path;
    RegCloseKey(h);
}

// The names of the subkeys; the enumeration must end with ERROR_NO_MORE_ITEMS.
inline std::set<std::string> Names(HKEY h) {
    std::set<std::string> names;
    char name[256];
    LONG status = 0;
    for (DWORD i = 0, cch = sizeof name;
         (status = RegEnumKeyExA(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr)) == 0;
         ++i, cch = sizeof name)
        names.insert(std::string(name, cch));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
    return names;
}

inline void DeleteTree(HKEY parent, const std::string& path) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
        return;
    for (const std::string& child : Names(h))
        DeleteTree(h, child);
    RegCloseKey(h);
    RegDeleteKeyA(parent, path.c_str());
}

}  // namespace probe

#endif
