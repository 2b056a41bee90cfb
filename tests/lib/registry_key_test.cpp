// tests/lib/registry_key_test.cpp
// RegistryKey against the platform's registry: byte counts, the null-handle rule, reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "registry_key.h"
#include "text_helpers.h"

namespace {

constexpr char kTestKey[] = "Software\\ZapfileKeyTest";

void WipeTestKey() {
    HKEY hKey = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kTestKey, &hKey) == ERROR_SUCCESS) {
        RegDeleteKeyA(hKey, "Child");
        RegCloseKey(hKey);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        WipeTestKey();
        ASSERT_NE(nullptr, key.OpenOrCreate(HKEY_CURRENT_USER, kTestKey));
    }
    void TearDown() override { WipeTestKey(); }

    // The stored value's type and bytes, read with the platform's own call.
    void Stored(const char* name, DWORD* type, std::string* bytes) {
        BYTE data[1024];
        DWORD size = sizeof data;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.hKey, name, nullptr, type, data, &size));
        bytes->assign(reinterpret_cast<char*>(data), size);
    }

    RegistryKey key;
};

TEST_F(RegistryKeyTest, SetStringStoresTheTextAndTheNulAfterIt) {
    // SetString counts only the characters; the system stores the NUL that follows them.
    DWORD type = 0;
    std::string bytes;
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("1", "bAskUser"));
    Stored("bAskUser", &type, &bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("1", 2), bytes);
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("0", "bAskUser"));
    Stored("bAskUser", &type, &bytes);
    EXPECT_EQ(std::string("0", 2), bytes);
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("", "x"));  // nothing counted, nothing added
    Stored("x", &type, &bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(0u, bytes.size());
}

TEST_F(RegistryKeyTest, GetStringReadsBackWhatWasWritten) {
    // The longest text that fits: MAX_TEXT characters, whether stored with its NUL or not.
    const std::string longest(MAX_TEXT, 'q');
    for (const std::string& text : {std::string("0"), std::string("C:\\a b\\c.exe"), longest}) {
        key.SetString(text.c_str(), "v");
        char* block = key.GetString("v");
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(text, block);
        EXPECT_EQ('\0', block[MAX_TEXT]);
    }
    // The same text stored without any NUL by another program (the byte after the count is
    // not a NUL, so nothing is added).
    const std::string unterminated(MAX_TEXT + 1, 'u');
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.hKey, "raw", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(unterminated.data()),
                                            MAX_TEXT));
    EXPECT_EQ(std::string(MAX_TEXT, 'u'), key.GetString("raw"));
    // Two reads give two blocks.
    EXPECT_NE(key.GetString("v"), key.GetString("v"));
}

TEST_F(RegistryKeyTest, MissingOrOverlongValueReadsAsAnEmptyText) {
    char* missing = key.GetString("no such value");
    ASSERT_NE(nullptr, missing);
    EXPECT_STREQ("", missing);
    for (size_t length : {static_cast<size_t>(MAX_TEXT) + 1, static_cast<size_t>(MAX_TEXT) + 40}) {
        key.SetString(std::string(length, 'z').c_str(), "long");
        char* block = key.GetString("long");
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(std::string(TEXT_BUFFER_SIZE, '\0'), std::string(block, TEXT_BUFFER_SIZE))
            << length;
    }
}

TEST_F(RegistryKeyTest, OpenOrCreateWalksOneLevelAtATime) {
    HKEY parent = key.hKey;
    HKEY child = key.OpenOrCreate(key.hKey, "Child");
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(child, key.hKey);
    EXPECT_NE(parent, child);
    // Walking the same path again opens what is there, values and all.
    key.SetString("kept", "v");
    ASSERT_NE(nullptr, key.OpenOrCreate(HKEY_CURRENT_USER, kTestKey));
    ASSERT_NE(nullptr, key.OpenOrCreate(key.hKey, "Child"));
    EXPECT_STREQ("kept", key.GetString("v"));
}

TEST(RegistryKeyNull, FailuresLeaveANullHandleAndEmptyReads) {
    RegistryKey key;
    // An invalid parent: both the open and the create fail.
    EXPECT_EQ(nullptr, key.OpenOrCreate(nullptr, "Software"));
    EXPECT_EQ(nullptr, key.hKey);
    char* block = key.GetString("bAskUser");
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE, '\0'), std::string(block, TEXT_BUFFER_SIZE));
    EXPECT_NE(ERROR_SUCCESS, key.SetString("1", "bAskUser"));
}

}  // namespace
