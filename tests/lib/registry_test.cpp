// tests/lib/registry_test.cpp
// The registry rules the program relies on, checked through the Win32 calls alone, so that
// the same file runs against the registry of Windows (or Wine) and against the Linux
// stand-in. Everything happens below HKEY_CURRENT_USER\Software\ZapfileTest; on Linux,
// private_config.cpp gives the test program a registry database of its own.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

constexpr char kTestKey[] = "Software\\ZapfileTest";

const BYTE* Bytes(const std::string& s) {
    return reinterpret_cast<const BYTE*>(s.data());
}

LONG Set(HKEY h, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(h, name, 0, type, Bytes(bytes), static_cast<DWORD>(bytes.size()));
}

struct Value {
    LONG status;
    DWORD type;
    std::string bytes;
    bool operator==(const Value&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Value& v) {
    return os << "{status " << v.status << ", type " << v.type << ", " << v.bytes.size()
              << " bytes \"" << v.bytes << "\"}";
}

// Asks for the size first, then reads exactly that many bytes.
Value Get(HKEY h, const char* name) {
    Value v{0, 0, ""};
    DWORD size = 0;
    v.status = RegQueryValueExA(h, name, nullptr, &v.type, nullptr, &size);
    if (v.status != ERROR_SUCCESS)
        return v;
    v.bytes.assign(size, '\0');
    v.status =
        RegQueryValueExA(h, name, nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size);
    v.bytes.resize(size);
    return v;
}

std::set<std::string> SubkeyNames(HKEY h) {
    std::set<std::string> names;
    char name[256];
    DWORD cch = sizeof name;
    for (DWORD i = 0;
         RegEnumKeyExA(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, cch = sizeof name)
        names.insert(std::string(name, cch));
    return names;
}

void DeleteTree(HKEY parent, const char* path) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
        return;
    for (const std::string& child : SubkeyNames(h))
        DeleteTree(h, child.c_str());
    RegCloseKey(h);
    RegDeleteKeyA(parent, path);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTree(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kTestKey, &key_));
    }
    void TearDown() override {
        RegCloseKey(key_);
        DeleteTree(HKEY_CURRENT_USER, kTestKey);
    }

    HKEY Create(const char* path) {
        HKEY h = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(key_, path, &h)) << path;
        return h;
    }

    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytes) {
    std::string blob;
    for (int i = 0; i < 44; ++i)
        blob += static_cast<char>(i * 37);  // holds 0x00 and bytes above 0x7f
    const DWORD number = 0x12345678;
    const std::string dword(reinterpret_cast<const char*>(&number), 4);

    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "NoNul", REG_SZ, "abc"));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "WithNul", REG_SZ, std::string("abc", 4)));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Blob", REG_BINARY, blob));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Number", REG_DWORD, dword));
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, nullptr, REG_SZ, "default"));

    EXPECT_EQ(Get(key_, "NoNul"), (Value{ERROR_SUCCESS, REG_SZ, "abc"}));
    EXPECT_EQ(Get(key_, "WithNul"), (Value{ERROR_SUCCESS, REG_SZ, std::string("abc", 4)}));
    EXPECT_EQ(Get(key_, "Blob"), (Value{ERROR_SUCCESS, REG_BINARY, blob}));
    EXPECT_EQ(Get(key_, "Number"), (Value{ERROR_SUCCESS, REG_DWORD, dword}));
    // NULL and "" both name the default value.
    EXPECT_EQ(Get(key_, ""), (Value{ERROR_SUCCESS, REG_SZ, "default"}));

    // Writing again replaces the type and the size.
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Blob", REG_DWORD, dword));
    EXPECT_EQ(Get(key_, "Blob"), (Value{ERROR_SUCCESS, REG_DWORD, dword}));

    // A string stored without its NUL gets one when the buffer has room, uncounted.
    char text[8];
    memset(text, '#', sizeof text);
    DWORD size = sizeof text;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "NoNul", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(text), &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(std::string("abc\0####", 8), std::string(text, 8));
}

TEST_F(RegistryTest, QueryReportsSizesAndMissingValues) {
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Text", REG_SZ, "hello"));

    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Text", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(5u, size);
    DWORD type = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key_, "Text", nullptr, &type, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    // Too small: the size needed, and no byte written past the buffer given.
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    size = 3;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key_, "Text", nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ("#####", std::string(buffer + 3, 5));

    memset(buffer, '#', sizeof buffer);
    size = sizeof buffer;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key_, "Missing", nullptr, nullptr,
                                                     reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ("########", std::string(buffer, 8));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Get(key_, nullptr).status);  // no default value yet

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key_, "TEXT"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Get(key_, "Text").status);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key_, "Text"));
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    HKEY first = Create("MixedCase");
    HKEY second = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(key_, "mIXEDcASE", &second));
    HKEY third = Create("MIXEDCASE");
    EXPECT_EQ(std::set<std::string>{"MixedCase"}, SubkeyNames(key_));

    ASSERT_EQ(ERROR_SUCCESS, Set(first, "ValueName", REG_SZ, "1"));
    ASSERT_EQ(ERROR_SUCCESS, Set(second, "VALUENAME", REG_SZ, "22"));
    EXPECT_EQ(Get(third, "valuename"), (Value{ERROR_SUCCESS, REG_SZ, "22"}));

    char name[32];
    DWORD cch = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumValueA(first, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ("ValueName", std::string(name, cch));
    cch = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumValueA(first, 1, name, &cch, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryTest, KeyPathsSpanLevelsAndIgnoreATrailingBackslash) {
    HKEY open = Create("A\\shell\\open");
    ASSERT_EQ(ERROR_SUCCESS, Set(open, "x", REG_SZ, "deep"));

    HKEY viaSlash = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(key_, "A\\shell\\open\\", &viaSlash));
    EXPECT_EQ(Get(viaSlash, "x").bytes, "deep");
    HKEY shell = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, "A\\shell\\", 0, KEY_READ, &shell));
    EXPECT_EQ(std::set<std::string>{"open"}, SubkeyNames(shell));
    EXPECT_EQ(Get(Create("A\\shell\\open"), "x").bytes, "deep");  // create finds the key

    // No subkey: RegOpenKeyA hands back the very handle it was given.
    HKEY same = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(open, nullptr, &same));
    EXPECT_EQ(open, same);
    same = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(open, "", &same));
    EXPECT_EQ(open, same);

    HKEY missing = open;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(key_, "A\\nothing", &missing));
    EXPECT_EQ(nullptr, missing);
    missing = open;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(key_, "A\\nothing\\", 0, KEY_READ, &missing));
    EXPECT_EQ(nullptr, missing);
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeysAndTakesValuesAlong) {
    HKEY child = Create("Parent\\Child");
    HKEY parent = Create("Parent");
    ASSERT_EQ(ERROR_SUCCESS, Set(parent, "v", REG_SZ, "kept"));

    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(key_, "Parent"));
    EXPECT_EQ(Get(parent, "v").bytes, "kept");
    EXPECT_EQ(std::set<std::string>{"Child"}, SubkeyNames(parent));

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent\\Child"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(key_, "Parent\\Child"));
    // A handle to a deleted key says so.
    EXPECT_EQ(ERROR_KEY_DELETED, Get(child, "v").status);
    EXPECT_EQ(ERROR_KEY_DELETED, Set(child, "v", REG_SZ, "x"));

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Get(Create("Parent"), "v").status);
}

TEST_F(RegistryTest, EnumerationVisitsEachNameOnceThenEnds) {
    for (const char* name : {"Bravo", "alpha", "Gamma"})
        Create(name);
    const std::map<std::string, std::string> values = {{"one", "1"}, {"two", "22"}, {"", "d"}};
    for (const auto& [name, data] : values)
        ASSERT_EQ(ERROR_SUCCESS, Set(key_, name.c_str(), REG_SZ, data));

    EXPECT_EQ((std::set<std::string>{"alpha", "Bravo", "Gamma"}), SubkeyNames(key_));
    char name[32];
    DWORD cch = 5;  // each name has 5 characters: no room for the NUL
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumKeyExA(key_, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));

    std::map<std::string, std::string> seen;
    DWORD i = 0;
    for (;; ++i) {
        char data[8];
        DWORD type = 0, size = sizeof data;
        cch = sizeof name;
        const LONG status = RegEnumValueA(key_, i, name, &cch, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (status != ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
            break;
        }
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        seen[std::string(name, cch)] = std::string(data, size);

        DWORD small = 0;
        cch = sizeof name;
        EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key_, i, name, &cch, nullptr, &type,
                                                 reinterpret_cast<BYTE*>(data), &small));
    }
    EXPECT_EQ(values, seen);
}

TEST_F(RegistryTest, BadHandlesAreRefused) {
    const HKEY forged = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x13572468));
    for (HKEY bad : {static_cast<HKEY>(nullptr), forged}) {
        SCOPED_TRACE(bad == nullptr ? "null handle" : "forged handle");
        char buffer[4] = {'#', '#', '#', '#'};
        DWORD size = sizeof buffer;
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(bad, "v", nullptr, nullptr,
                                                         reinterpret_cast<BYTE*>(buffer), &size));
        EXPECT_EQ("####", std::string(buffer, 4));
        EXPECT_EQ(ERROR_INVALID_HANDLE, Set(bad, "v", REG_SZ, "x"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteValueA(bad, "v"));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteKeyA(bad, "v"));
        HKEY out = nullptr;
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(bad, "v", 0, KEY_READ, &out));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCreateKeyA(bad, "v", &out));
        DWORD cch = sizeof buffer;
        EXPECT_EQ(ERROR_INVALID_HANDLE,
                  RegEnumKeyExA(bad, 0, buffer, &cch, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ("####", std::string(buffer, 4));
    }
    // A null handle fails before anything is written.
    DWORD type = 0xEEEE, size = 4;
    HKEY out = key_;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(nullptr, "v", nullptr, &type, nullptr, &size));
    EXPECT_EQ(0xEEEEu, type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyA(nullptr, "v", &out));
    EXPECT_EQ(key_, out);
}

}  // namespace
