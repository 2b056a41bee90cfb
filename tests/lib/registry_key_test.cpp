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

TEST_F(RegistryKeyTest, SetStringStoresTheCharactersWithoutNul) {
    DWORD type = 0;
    std::string bytes;
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("1", "bAskUser"));
    Stored("bAskUser", &type, &bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("1", bytes);
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("0", "bAskUser"));
    Stored("bAskUser", &type, &bytes);
    EXPECT_EQ("0", bytes);
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("", "x"));
    Stored("x", &type, &bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(0u, bytes.size());
}

TEST_F(RegistryKeyTest, GetStringReadsBackWhatWasWritten) {
    const std::string full(MAX_TEXT, 'q');
    for (const std::string& text : {std::string("0"), std::string("C:\\a b\\c.exe"), full}) {
        key.SetString(text.c_str(), "v");
        char* block = key.GetString("v");
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(text, block);
        EXPECT_EQ('\0', block[MAX_TEXT]);
    }
    // Two reads give two blocks.
    EXPECT_NE(key.GetString("v"), key.GetString("v"));
}

TEST_F(RegistryKeyTest, MissingOrOverlongValueReadsAsAnEmptyText) {
    char* missing = key.GetString("no such value");
    ASSERT_NE(nullptr, missing);
    EXPECT_STREQ("", missing);

    const std::string tooLong(MAX_TEXT + 40, 'z');
    key.SetString(tooLong.c_str(), "long");
    char* block = key.GetString("long");
    ASSERT_NE(nullptr, block);
    EXPECT_LE(strlen(block), static_cast<size_t>(MAX_TEXT));
    EXPECT_EQ('\0', block[MAX_TEXT]);
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
