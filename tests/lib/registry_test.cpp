// tests/lib/registry_test.cpp
// The registry rules the program relies on, through the Win32 calls alone: the same file runs
// against Windows (or Wine) and against the Linux stand-in, below HKCU\Software\ZapfileTest and
// HKCR\ZapfileTest. Values and names; and the predefined keys with the paths opened below them:
// what an empty subkey hands back, which leading backslashes are taken, and root handles whose
// upper half is not the usual one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "registry_probe.h"

namespace {

using probe::Data;
using probe::Get;
using probe::Names;
using probe::Value;

constexpr char kTestKey[] = "Software\\ZapfileTest";
constexpr char kClass[] = "ZapfileTest";  // below HKEY_CLASSES_ROOT

// Stores exactly these bytes. The byte after them is not a NUL: Windows stores a string given
// without its NUL with one when a NUL follows it in memory.
LONG Set(HKEY h, const char* name, DWORD type, std::string bytes) {
    bytes += '#';
    return RegSetValueExA(h, name, 0, type, Data(bytes), static_cast<DWORD>(bytes.size() - 1));
}

// A handle the test does not expect to see again: a call that fails leaves it or nulls it.
HKEY const kUnset = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));

LONG OpenEx(HKEY root, const char* path, HKEY* h) {
    *h = kUnset;
    return RegOpenKeyExA(root, path, 0, KEY_READ, h);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kTestKey, &key_));
        probe::Create(HKEY_CLASSES_ROOT, std::string(kClass) + "\\Sub");
    }
    void TearDown() override {
        probe::DeleteTree(HKEY_CURRENT_USER, kTestKey);
        probe::DeleteTree(HKEY_CLASSES_ROOT, kClass);
    }
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
    // Asked for the size alone, a missing value has none; a buffer's size is left as it was.
    size = 77;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(key_, "Missing", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(0u, size);
    size = 8;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(key_, "Missing", nullptr, nullptr, Data(buffer), &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(std::string(8, '#'), buffer);
}

// The data is handed out before the name: data that does not fit leaves the name and its
// count alone; a name that does not fit still gets the type, the size and the data, and as
// much of the name as fits before a NUL, its count unchanged. Nothing lands past a count.
TEST_F(RegistryTest, EnumValueGivesTheDataBeforeTheNameAndNeverWritesPastABuffer) {
    const std::string stored("hello\0", 6);
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "Abcdef", REG_SZ, stored));
    struct Case {
        DWORD cchName, cbData;
        LONG status;
        DWORD cchAfter;
        std::string name, data;
    };
    const std::string untouched(8, '#');
    const Case kCases[] = {
        {8, 8, ERROR_SUCCESS, 6, std::string("Abcdef\0#", 8), stored + "##"},
        {3, 8, ERROR_MORE_DATA, 3, std::string("Ab\0#####", 8), stored + "##"},
        {6, 6, ERROR_MORE_DATA, 6, std::string("Abcde\0##", 8), stored + "##"},
        {0, 8, ERROR_MORE_DATA, 0, untouched, stored + "##"},
        {8, 5, ERROR_MORE_DATA, 8, untouched, untouched},
        {3, 2, ERROR_MORE_DATA, 3, untouched, untouched},
        {0, 0, ERROR_MORE_DATA, 0, untouched, untouched},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "name buffer " << c.cchName << ", data " << c.cbData);
        std::string name = untouched, data = untouched;
        DWORD cch = c.cchName, type = 0xdead, size = c.cbData;
        EXPECT_EQ(c.status,
                  RegEnumValueA(key_, 0, name.data(), &cch, nullptr, &type, Data(data), &size));
        EXPECT_EQ(c.cchAfter, cch);
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(c.data, data);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(6u, size);
    }
    // Without a data buffer only the name can be too small.
    std::string name = untouched;
    DWORD cch = 2, type = 0xdead, size = 0;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueA(key_, 0, name.data(), &cch, nullptr, &type, nullptr, &size));
    EXPECT_EQ(std::make_tuple(2u, static_cast<DWORD>(REG_SZ), 6u), std::tie(cch, type, size));
    EXPECT_EQ(std::string("A\0######", 8), name);
}

// Each index gives what stands there at the time of the call, subkeys sorted by name, values in
// the order they were made: also after the key changed between two calls, and for an index
// asked again.
TEST_F(RegistryTest, EnumerationGivesWhatStandsAtTheIndexNow) {
    const auto At = [this](bool keys, DWORD index) {
        char name[16];
        DWORD cch = sizeof name;
        const LONG status =
            keys ? RegEnumKeyExA(key_, index, name, &cch, nullptr, nullptr, nullptr, nullptr)
                 : RegEnumValueA(key_, index, name, &cch, nullptr, nullptr, nullptr, nullptr);
        return status == ERROR_SUCCESS ? std::string(name, cch) : std::to_string(status);
    };
    for (const char* name : {"b", "d", "f"}) {
        Create(name);
        ASSERT_EQ(ERROR_SUCCESS, Set(key_, name, REG_SZ, "x"));
    }
    for (const bool keys : {true, false}) {
        const auto Add = [&](const char* name) {
            return keys ? (Create(name), 0) : Set(key_, name, REG_SZ, "x");
        };
        const auto Remove = [&](const char* name) {
            return keys ? RegDeleteKeyA(key_, name) : RegDeleteValueA(key_, name);
        };
        std::vector<std::string> seen = {At(keys, 0), At(keys, 1)};                 // b d
        EXPECT_EQ(ERROR_SUCCESS, Remove("b"));                                       // d f
        seen.insert(seen.end(), {At(keys, 2), At(keys, 1), At(keys, 1)});           // 259 f f
        EXPECT_EQ(ERROR_SUCCESS, Add("g"));                                          // d f g
        seen.insert(seen.end(), {At(keys, 2), At(keys, 0), At(keys, 1), At(keys, 2), At(keys, 3)});
        EXPECT_EQ((std::vector<std::string>{"b", "d", "259", "f", "f", "g", "d", "f", "g", "259"}),
                  seen) << (keys ? "subkeys" : "values");
    }
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

// Windows looks only at the low 32 bits of a predefined key's handle. An empty subkey hands
// back a predefined key itself, as it came, and any other key anew. Only the predefined
// HKEY_CLASSES_ROOT takes one leading backslash, and only to open a key.
TEST_F(RegistryTest, PredefinedKeysCountByTheirLow32BitsAndOnlyTheClassesRootTakesABackslash) {
    const auto low = [](HKEY root) {
        return static_cast<uint64_t>(static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(root)));
    };
    const std::string path = std::string("\\") + kClass;
    ASSERT_EQ(ERROR_SUCCESS, Set(key_, "v", REG_SZ, std::string("kept", 5)));
    for (const uint64_t upper : {0x0ull, 0x1ull, 0xdeadbeefull, 0xffffffffull}) {
        SCOPED_TRACE(upper);
        const auto root = [&](HKEY predefined) {
            return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(upper << 32 | low(predefined)));
        };
        const HKEY cr = root(HKEY_CLASSES_ROOT), cu = root(HKEY_CURRENT_USER);
        EXPECT_EQ(probe::Get(cu, kTestKey, "v"), probe::Text("kept"));
        HKEY h = nullptr, sub = nullptr;
        for (HKEY predefined : {cr, cu}) {
            for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
                const char* what = empty ? "empty subkey" : "null subkey";
                EXPECT_EQ(ERROR_SUCCESS, OpenEx(predefined, empty, &h)) << what;
                EXPECT_EQ(predefined, h) << what;
                h = kUnset;
                EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(predefined, empty, &h)) << what;
                EXPECT_EQ(predefined, h) << what;
            }
        }
        for (const std::string& name : {std::string(kClass), path}) {
            EXPECT_EQ(ERROR_SUCCESS, OpenEx(cr, name.c_str(), &h)) << name;
            EXPECT_EQ(std::set<std::string>{"Sub"}, probe::Names(h)) << name;
            RegCloseKey(h);
        }
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(cr, path.c_str(), &h));
        EXPECT_EQ(std::set<std::string>{"Sub"}, probe::Names(h));
        RegCloseKey(h);
        ASSERT_EQ(ERROR_SUCCESS, OpenEx(cr, "\\", &h));
        EXPECT_NE(cr, h);  // a new handle of the root
        EXPECT_EQ(ERROR_SUCCESS, OpenEx(h, kClass, &sub));
        RegCloseKey(sub);
        EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(h, path.c_str(), &sub));  // not the predefined key
        RegCloseKey(h);
        ASSERT_EQ(ERROR_SUCCESS, OpenEx(cr, (path + "\\Sub").c_str(), &h));
        EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(h, "\\", &sub));
        RegCloseKey(h);
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenEx(cr, "\\ZapfileTestNone", &h));
        EXPECT_EQ(nullptr, h);
        for (const std::string& bad : {std::string("\\\\"), "\\" + path}) {
            EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(cr, bad.c_str(), &h)) << bad;
            EXPECT_EQ(nullptr, h);
        }
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyA(cr, path.c_str(), &h));
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegDeleteKeyA(cr, (path + "\\Sub").c_str()));
        for (const char* bad : {"\\", "\\Software", "\\Software\\ZapfileTest"}) {
            EXPECT_EQ(ERROR_BAD_PATHNAME, OpenEx(cu, bad, &h)) << bad;
            EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyA(cu, bad, &h)) << bad;
        }
        EXPECT_EQ(probe::Get(cu, "ZapfileTestNone"), probe::Value(ERROR_FILE_NOT_FOUND, 0, ""));
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(cr));
    }
    EXPECT_TRUE(probe::Exists(HKEY_CLASSES_ROOT, std::string(kClass) + "\\Sub"));
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, OpenEx(key_, "", &h));
    EXPECT_NE(key_, h);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(h));
    // RegOpenKeyA does not look at the handle it hands back, not even a null one.
    h = kUnset;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(nullptr, nullptr, &h));
    EXPECT_EQ(nullptr, h);
    EXPECT_EQ(ERROR_INVALID_HANDLE, OpenEx(nullptr, "", &h));
    EXPECT_EQ(kUnset, h);
}

}  // namespace
