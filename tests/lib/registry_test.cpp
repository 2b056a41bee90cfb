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

using probe::Data;
using probe::Get;
using probe::Names;
using probe::Value;

constexpr char kTestKey[] = "Software\\ZapfileTest";

// Stores exactly these bytes. The byte after them is not a NUL: Windows stores a string given
// without its NUL with one when a NUL follows it in memory.
LONG Set(HKEY h, const char* name, DWORD type, std::string bytes) {
    bytes += '#';
    return RegSetValueExA(h, name, 0, type, Data(bytes), static_cast<DWORD>(bytes.size() - 1));
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe::DeleteTree(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kTestKey, &key_));
    }
    void TearDown() override { probe::DeleteTree(HKEY_CURRENT_USER, kTestKey); }
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
        {nullptr, REG_DWORD, dword},  // NULL and "" both name the default value
    };
    for (const auto& [name, type, bytes] : kValues)
        ASSERT_EQ(ERROR_SUCCESS, Set(key_, name, type, bytes));
    for (const auto& [name, type, bytes] : kValues)
        EXPECT_EQ(Get(key_, name ? name : ""), Value(ERROR_SUCCESS, type, bytes));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Blob", REG_SZ, "x"));  // a new type and size
    EXPECT_EQ(Get(key_, "Blob"), Value(ERROR_SUCCESS, REG_SZ, "x"));
}

TEST_F(RegistryTest, QueryGivesTheSizeNeededWritingNoBytePastTheBufferAndMissingValuesFail) {
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Text", REG_SZ, "hello"));
    std::string buffer(8, '#');
    DWORD size = 3;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExA(key_, "Text", nullptr, nullptr, Data(buffer), &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ("#####", buffer.substr(3));
    EXPECT_EQ(Get(key_, "Missing"), Value(ERROR_FILE_NOT_FOUND, 0, ""));
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirSpelling) {
    ASSERT_EQ(ERROR_SUCCESS, Set(Create("A\\MixedCase"), "ValueName", REG_SZ, "1"));
    ASSERT_EQ(ERROR_SUCCESS, Set(Create("a\\MIXEDCASE\\"), "VALUENAME", REG_SZ, "22"));
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(key_, "A\\mixedcase\\", &h));
    EXPECT_EQ(Get(h, "valuename"), Value(ERROR_SUCCESS, REG_SZ, "22"));
    EXPECT_EQ(std::set<std::string>{"MixedCase"}, Names(Create("A")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(key_, "A\\nothing", &h));
    EXPECT_EQ(nullptr, h);  // the program then falls back to RegCreateKeyA
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysLeavingItWhole) {
    Create("Parent\\Child");
    HKEY parent = Create("Parent");
    ASSERT_EQ(ERROR_SUCCESS, Set(parent, "v", REG_SZ, "kept"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(key_, "Parent"));
    EXPECT_EQ(Get(parent, "v"), Value(ERROR_SUCCESS, REG_SZ, "kept"));
    EXPECT_EQ(std::set<std::string>{"Child"}, Names(parent));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent\\Child"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent"));
}

}  // namespace
