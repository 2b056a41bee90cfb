// tests/lib/registry_test.cpp
// The registry rules the program relies on, through the Win32 calls alone: the same file runs
// against Windows (or Wine) and against the Linux stand-in, below HKCU\Software\ZapfileTest.

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "registry_probe.h"

namespace {

constexpr char kTestKey[] = "Software\\ZapfileTest";

using probe::Data;
using probe::DeleteTree;
using probe::Get;
using probe::Names;
using probe::Value;

// Stores exactly these bytes. The byte after them is not a NUL: Windows stores a string given
// without its NUL with one when a NUL follows it in memory.
LONG Set(HKEY h, const char* name, DWORD type, std::string bytes) {
    bytes += '#';
    return RegSetValueExA(h, name, 0, type, Data(bytes), static_cast<DWORD>(bytes.size() - 1));
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kTestKey, &key_));
    }
    void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kTestKey); }
    HKEY Create(const char* path) {
        HKEY h = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(key_, path, &h)) << path;
        return h;
    }
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactByteCount) {
    const std::string dword("\x78\x56\x34\x12", 4);
    const std::tuple<const char*, DWORD, std::string> kValues[] = {
        {"NoNul", REG_SZ, "abc"},  // n characters stored without a NUL are n bytes
        {"WithNul", REG_SZ, std::string("abc", 4)},
        {"Blob", REG_BINARY, std::string("\0\x01\xff\x80 z", 6)},
        {"Number", REG_DWORD, dword},
        {nullptr, REG_SZ, "default"},  // NULL and "" both name the default value
    };
    for (const auto& [name, type, bytes] : kValues)
        ASSERT_EQ(ERROR_SUCCESS, Set(key_, name, type, bytes));
    for (const auto& [name, type, bytes] : kValues)
        EXPECT_EQ(Get(key_, name ? name : ""), Value(ERROR_SUCCESS, type, bytes));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Blob", REG_DWORD, dword));  // a new type and size
    EXPECT_EQ(Get(key_, "Blob"), Value(ERROR_SUCCESS, REG_DWORD, dword));
}

TEST_F(RegistryTest, QueryGivesTheSizeNeededAndMissingValuesFail) {
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Text", REG_SZ, "hello"));
    std::string buffer(8, '#');
    DWORD size = 3;  // too small: the size needed, and no byte written past the buffer given
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExA(key_, "Text", nullptr, nullptr, Data(buffer), &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ("#####", buffer.substr(3));
    EXPECT_EQ(Get(key_, nullptr), Value(ERROR_FILE_NOT_FOUND, 0, ""));  // no default value yet
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, "TEXT"));
    EXPECT_EQ(Get(key_, "Text"), Value(ERROR_FILE_NOT_FOUND, 0, ""));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key_, "Text"));
}

TEST_F(RegistryTest, NamesIgnoreCaseKeepTheirSpellingAndMayEndInABackslash) {
    HKEY h = Create("A\\MixedCase");
    ASSERT_EQ(ERROR_SUCCESS, Set(h, "ValueName", REG_SZ, "1"));
    ASSERT_EQ(ERROR_SUCCESS, Set(Create("a\\MIXEDCASE\\"), "VALUENAME", REG_SZ, "22"));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(key_, "A\\mixedcase\\", &h));
    EXPECT_EQ(Get(h, "valuename"), Value(ERROR_SUCCESS, REG_SZ, "22"));
    EXPECT_EQ(std::set<std::string>{"ValueName"}, Names(h, true));
    EXPECT_EQ(std::set<std::string>{"MixedCase"}, Names(Create("A\\")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(key_, "A\\nothing", &h));
    EXPECT_EQ(nullptr, h);  // the program then falls back to RegCreateKeyA
}

TEST_F(RegistryTest, BackslashesInARowPartOneLevelAndALeadingOneIsABadPath) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(key_, "B\\\\C", &h));
    EXPECT_EQ(std::set<std::string>{"C"}, Names(Create("B")));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyA(key_, "\\D", &h));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyA(key_, "\\B", &h));
    EXPECT_EQ(std::set<std::string>{"B"}, Names(key_));
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysAndDeletedHandlesSaySo) {
    HKEY child = Create("Parent\\Child");
    HKEY parent = Create("Parent");
    ASSERT_EQ(ERROR_SUCCESS, Set(parent, "v", REG_SZ, "kept"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(key_, "Parent"));
    EXPECT_EQ(Get(parent, "v"), Value(ERROR_SUCCESS, REG_SZ, "kept"));
    EXPECT_EQ(std::set<std::string>{"Child"}, Names(parent));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent\\Child"));
    EXPECT_EQ(ERROR_KEY_DELETED, std::get<0>(Get(child, "v")));
    EXPECT_EQ(ERROR_KEY_DELETED, Set(child, "v", REG_SZ, "x"));
}

TEST_F(RegistryTest, NullAndForgedHandlesAreRefusedWritingNothing) {
    HKEY out = key_;  // a null handle fails before anything is written
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyA(nullptr, "v", &out));
    EXPECT_EQ(key_, out);
    const HKEY forged = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x13572468));
    for (HKEY bad : {static_cast<HKEY>(nullptr), forged}) {
        std::string buffer(4, '#');
        DWORD size = 4;
        EXPECT_EQ(ERROR_INVALID_HANDLE,
                  RegQueryValueExA(bad, "v", nullptr, nullptr, Data(buffer), &size));
        EXPECT_EQ("####", buffer);
        EXPECT_EQ(ERROR_INVALID_HANDLE, Set(bad, "v", REG_SZ, "x"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteKeyA(bad, "v"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCreateKeyA(bad, "v", &out));
    }
}

}  // namespace
