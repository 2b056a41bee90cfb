// tests/lib/registry_key_test.cpp
// RegistryKey's reads against the platform's registry: the longest text that fits its block,
// anything longer read as empty, and the null-handle rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "registry_key.h"
#include "registry_probe.h"
#include "text_helpers.h"

namespace {

constexpr char kTestKey[] = "Software\\ZapfileKeyTest";

// The whole block GetString is to return for `text`: the text, then NULs to its end.
std::string Block(const std::string& text) {
    return text + std::string(TEXT_BUFFER_SIZE - text.size(), '\0');
}

TEST(RegistryKey, GetStringGivesTheLongestTextThatFitsAndEmptyForAnythingLonger) {
    probe::DeleteTree(HKEY_CURRENT_USER, kTestKey);
    RegistryKey key;
    ASSERT_NE(nullptr, key.OpenOrCreate(HKEY_CURRENT_USER, kTestKey));
    const std::string longest(MAX_TEXT, 'q');
    // The byte after the text is not a NUL: stored without one, as another program may.
    const std::string raw = std::string(MAX_TEXT + 1, 'u') + '#';
    struct Case {
        const char* name;
        LONG stored;
        std::string read;
    };
    const Case cases[] = {
        {"short", key.SetString("0", "short"), "0"},
        {"longest", key.SetString(longest.c_str(), "longest"), longest},
        {"raw fits", RegSetValueExA(key.hKey, "raw fits", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(raw.data()), MAX_TEXT),
         std::string(MAX_TEXT, 'u')},
        {"raw too long", RegSetValueExA(key.hKey, "raw too long", 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(raw.data()), MAX_TEXT + 1),
         ""},
        {"too long", key.SetString((longest + "z").c_str(), "too long"), ""},
        {"missing", ERROR_SUCCESS, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ERROR_SUCCESS, c.stored) << c.name;
        char* block = key.GetString(c.name);
        ASSERT_NE(nullptr, block) << c.name;
        EXPECT_EQ(Block(c.read), std::string(block, TEXT_BUFFER_SIZE)) << c.name;
        GlobalFree(block);  // the caller's
    }
    probe::DeleteTree(HKEY_CURRENT_USER, kTestKey);
}

TEST(RegistryKey, FailuresLeaveANullHandleAndEmptyReads) {
    RegistryKey key;
    // An invalid parent: both the open and the create fail.
    EXPECT_EQ(nullptr, key.OpenOrCreate(nullptr, "Software"));
    EXPECT_EQ(nullptr, key.hKey);
    char* block = key.GetString("bAskUser");
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(Block(""), std::string(block, TEXT_BUFFER_SIZE));
    GlobalFree(block);
    EXPECT_NE(ERROR_SUCCESS, key.SetString("1", "bAskUser"));
}

}  // namespace
