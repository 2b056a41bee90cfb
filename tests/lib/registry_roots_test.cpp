// tests/lib/registry_roots_test.cpp
// The predefined keys and the paths opened below them, through the Win32 calls alone: what an
// empty subkey hands back, which leading backslashes are taken, and root handles whose upper
// half is not the usual one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "registry_probe.h"

namespace {

constexpr char kClass[] = "ZapfileTestRoots";  // below HKEY_CLASSES_ROOT
constexpr char kUserKey[] = "Software\\ZapfileTestRoots";

class RegistryRootsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Wipe();
        probe::Create(HKEY_CLASSES_ROOT, std::string(kClass) + "\\Sub");
        probe::Create(HKEY_CURRENT_USER, kUserKey);
    }
    void TearDown() override { Wipe(); }
    static void Wipe() {
        probe::DeleteTree(HKEY_CLASSES_ROOT, kClass);
        probe::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    }
};

// A handle the test does not expect to see again: a call that fails leaves it or nulls it.
HKEY const kUnset = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));

LONG OpenEx(HKEY root, const char* path, HKEY* h) {
    *h = kUnset;
    return RegOpenKeyExA(root, path, 0, KEY_READ, h);
}

TEST_F(RegistryRootsTest, AnEmptySubkeyHandsBackAPredefinedKeyItselfAndAnyOtherKeyAnew) {
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
        for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
            HKEY h = kUnset;
            EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, empty, 0, KEY_READ, &h));
            EXPECT_EQ(root, h);
            h = kUnset;
            EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(root, empty, &h));
            EXPECT_EQ(root, h);
        }
    }
    HKEY key = nullptr, h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kUserKey, &key));
    EXPECT_EQ(ERROR_SUCCESS, OpenEx(key, "", &h));
    EXPECT_NE(key, h);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(h));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    // RegOpenKeyA does not look at the handle it hands back, not even a null one.
    h = kUnset;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(nullptr, nullptr, &h));
    EXPECT_EQ(nullptr, h);
    EXPECT_EQ(ERROR_INVALID_HANDLE, OpenEx(nullptr, "", &h));
    EXPECT_EQ(kUnset, h);
}

// Only the predefined HKEY_CLASSES_ROOT takes one leading backslash, and only to open a key.
TEST_F(RegistryRootsTest, OpeningBelowTheClassesRootTakesOneLeadingBackslash) {
    const std::string path = std::string("\\") + kClass;
    HKEY h = nullptr, sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, OpenEx(HKEY_CLASSES_ROOT, "\\", &h));
    EXPECT_NE(HKEY_CLASSES_ROOT, h);  // a new handle of the root
    EXPECT_EQ(ERROR_SUCCESS, OpenEx(h, kClass, &sub));
    RegCloseKey(sub);
    EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(h, path.c_str(), &sub));  // not the predefined key
    RegCloseKey(h);
    ASSERT_EQ(ERROR_SUCCESS, OpenEx(HKEY_CLASSES_ROOT, (path + "\\Sub").c_str(), &h));
    EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(h, "\\", &sub));
    RegCloseKey(h);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &h));
    EXPECT_EQ(std::set<std::string>{"Sub"}, probe::Names(h));
    RegCloseKey(h);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenEx(HKEY_CLASSES_ROOT, "\\ZapfileTestNone", &h));
    EXPECT_EQ(nullptr, h);
    for (const std::string& bad : {std::string("\\\\"), "\\" + path}) {
        EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(HKEY_CLASSES_ROOT, bad.c_str(), &h)) << bad;
        EXPECT_EQ(nullptr, h);
    }
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyA(HKEY_CLASSES_ROOT, path.c_str(), &h));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegDeleteKeyA(HKEY_CLASSES_ROOT, (path + "\\Sub").c_str()));
    EXPECT_TRUE(probe::Exists(HKEY_CLASSES_ROOT, std::string(kClass) + "\\Sub"));
    for (const char* bad : {"\\", "\\Software", "\\Software\\ZapfileTestRoots"}) {
        EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(HKEY_CURRENT_USER, bad, &h)) << bad;
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyA(HKEY_CURRENT_USER, bad, &h)) << bad;
    }
}

// Windows looks only at the low 32 bits of a predefined key's handle.
TEST_F(RegistryRootsTest, ARootHandleCountsByItsLow32Bits) {
    const auto low = [](HKEY root) {
        return static_cast<uint64_t>(static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(root)));
    };
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kUserKey, &key));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("kept"), 5));
    RegCloseKey(key);
    for (const uint64_t upper : {0x0ull, 0x1ull, 0xdeadbeefull, 0xffffffffull}) {
        SCOPED_TRACE(upper);
        const auto root = [&](HKEY predefined) {
            return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(upper << 32 | low(predefined)));
        };
        EXPECT_EQ(probe::Get(root(HKEY_CURRENT_USER), kUserKey, "v"), probe::Text("kept"));
        HKEY h = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, OpenEx(root(HKEY_CLASSES_ROOT), kClass, &h));
        EXPECT_EQ(std::set<std::string>{"Sub"}, probe::Names(h));
        RegCloseKey(h);
        const std::string path = std::string("\\") + kClass;
        EXPECT_EQ(ERROR_SUCCESS, OpenEx(root(HKEY_CLASSES_ROOT), path.c_str(), &h));
        RegCloseKey(h);
        EXPECT_EQ(ERROR_SUCCESS, OpenEx(root(HKEY_CURRENT_USER), "", &h));
        EXPECT_EQ(root(HKEY_CURRENT_USER), h);  // handed back as it came
        EXPECT_EQ(probe::Get(root(HKEY_CURRENT_USER), "ZapfileTestNone"),
                  probe::Value(ERROR_FILE_NOT_FOUND, 0, ""));
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(root(HKEY_CLASSES_ROOT)));
    }
}

}  // namespace
