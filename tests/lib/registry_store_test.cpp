// tests/lib/registry_store_test.cpp
// RegistryStore and RegistryKey against the platform's registry, below
// HKCU\Software\ZapfileStoreTest: the exact bytes of each value form, the explicit-key
// overloads, reads that refuse what is not a whole record, and the longest text a read takes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "registry_key.h"
#include "registry_probe.h"
#include "registry_store.h"
#include "text_helpers.h"

namespace {

using probe::Get;
using probe::Value;

constexpr char kTestKey[] = "Software\\ZapfileStoreTest";

std::string Bytes(const void* data, size_t size) {
    return std::string(static_cast<const char*>(data), size);
}

// Stores the first `size` bytes of `bytes`, all of them by default.
LONG SetRaw(HKEY h, const char* name, DWORD type, const std::string& bytes,
            size_t size = std::string::npos) {
    return RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(std::min(size, bytes.size())));
}

INT_PTR CALLBACK RunAtInit(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_INITDIALOG)
        return FALSE;
    (*reinterpret_cast<const std::function<void(HWND)>*>(lParam))(hwnd);
    EndDialog(hwnd, 7);
    return TRUE;
}

// Runs `body` in the test dialog, 100 of lib_tests.rc: a real window on both platforms that
// is never shown, and ends it: 7 once `body` has run.
INT_PTR InTestWindow(const std::function<void(HWND)>& body) {
    return DialogBoxParamA(nullptr, MAKEINTRESOURCE(100), nullptr, RunAtInit,
                           reinterpret_cast<LPARAM>(&body));
}

// The window's normal rectangle, after `placed` when one is given.
std::string RectOf(HWND hwnd, RECT placed = {}) {
    WINDOWPLACEMENT wp{sizeof wp, 0, SW_SHOWNORMAL, {}, {}, placed};
    if (placed.right != 0) {
        EXPECT_TRUE(SetWindowPlacement(hwnd, &wp));
    }
    EXPECT_TRUE(GetWindowPlacement(hwnd, &wp));
    return Bytes(&wp.rcNormalPosition, sizeof(RECT));
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe::DeleteTree(HKEY_CURRENT_USER, kTestKey);
        ASSERT_NE(nullptr, store_.OpenOrCreate(HKEY_CURRENT_USER, kTestKey));
    }
    void TearDown() override { probe::DeleteTree(HKEY_CURRENT_USER, kTestKey); }
    RegistryStore store_;
};

// Saved, a placement is the platform's 44-byte record; put back at once, it leaves the window
// where it was. Anything that is not such a record is never put onto the window, and loads as
// zeros with only the length set.
TEST_F(RegistryStoreTest, PlacementIsTheWholeRecordAndOnlyAWholeRecordIsPutBack) {
    EXPECT_EQ(7, InTestWindow([&](HWND hwnd) {
        const std::string placed = RectOf(hwnd, {100, 120, 400, 300});
        WINDOWPLACEMENT before{sizeof before, 0, 0, {}, {}, {}};
        ASSERT_TRUE(GetWindowPlacement(hwnd, &before));
        ASSERT_EQ(ERROR_SUCCESS, store_.SavePlacement(hwnd, "Placement"));
        const std::string record = std::get<2>(Get(store_.hKey, "Placement"));
        EXPECT_EQ(Value(ERROR_SUCCESS, REG_BINARY, Bytes(&before, 44)), Get(store_.hKey, "Placement"));
        EXPECT_EQ(std::string("\x2c\0\0\0", 4), record.substr(0, 4));
        EXPECT_NE(0, store_.RestorePlacement(hwnd, "Placement"));
        EXPECT_EQ(placed, RectOf(hwnd));
        const WINDOWPLACEMENT loaded = store_.LoadPlacement("Placement");
        EXPECT_EQ(placed, Bytes(&loaded.rcNormalPosition, sizeof(RECT)));
        // Stored minimised, it comes back normal: else it would start minimised for good.
        std::string minimised = record;
        minimised[8] = SW_SHOWMINIMIZED;  // showCmd
        ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Minimised", REG_BINARY, minimised));
        EXPECT_NE(0, store_.RestorePlacement(hwnd, "Minimised"));
        WINDOWPLACEMENT now{sizeof now, 0, 0, {}, {}, {}};
        ASSERT_TRUE(GetWindowPlacement(hwnd, &now));
        EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), now.showCmd);

        std::string otherLength = record;
        otherLength[0] = 40;
        const std::tuple<const char*, DWORD, std::string> faults[] = {
            {"short", REG_BINARY, record.substr(0, 40)},
            {"long", REG_BINARY, record + std::string(16, '\x7f')},
            {"text", REG_SZ, record},
            {"number", REG_DWORD, record.substr(0, 4)},
            {"length 40", REG_BINARY, otherLength},
            {"missing", REG_NONE, ""},
        };
        const std::string moved = RectOf(hwnd, {30, 40, 330, 220});
        WINDOWPLACEMENT zeros{};
        zeros.length = 44;
        for (const auto& [name, type, bytes] : faults) {
            if (!bytes.empty()) {
                ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, name, type, bytes)) << name;
            }
            EXPECT_EQ(0, store_.RestorePlacement(hwnd, name)) << name;
            EXPECT_EQ(moved, RectOf(hwnd)) << name << ": the window moved";
            const WINDOWPLACEMENT got = store_.LoadPlacement(name);
            EXPECT_EQ(Bytes(&zeros, 44), Bytes(&got, 44)) << name;
        }
    }));
    // A window that is not there has no placement to store: nothing is written.
    EXPECT_NE(ERROR_SUCCESS, store_.SavePlacement(nullptr, "Nowhere"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, std::get<0>(Get(store_.hKey, "Nowhere")));
}

// A colour is four bytes, red first; a text is stored as the platform stores its text. A
// colour is read from a value of at most four bytes, of any type, into the bytes it supplies.
TEST_F(RegistryStoreTest, ColourIsFourBytesRedFirstAndReadsTakeNoMore) {
    ASSERT_EQ(ERROR_SUCCESS, store_.SetColor(RGB(1, 2, 3), "Colour"));
    EXPECT_EQ(Value(ERROR_SUCCESS, REG_BINARY, std::string("\x01\x02\x03\x00", 4)),
              Get(store_.hKey, "Colour"));
    ASSERT_EQ(ERROR_SUCCESS, store_.SetString("abc", "x"));
    EXPECT_EQ(probe::Text("abc"), Get(store_.hKey, "x"));
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Eight", REG_BINARY, "\x11\x22\x33\x44\x55\x66\x77\x88"));
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Three", REG_BINARY, "\x09\x08\x07"));
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Text", REG_SZ, "abc"));
    const std::tuple<const char*, COLORREF, COLORREF> reads[] = {
        // GetColor, and ReadColor into 0xAABBCCDD
        {"Colour", RGB(1, 2, 3), RGB(1, 2, 3)},
        {"Eight", 0, 0xAABBCCDD},
        {"Three", 0x00070809, 0xAA070809},
        {"Text", 0x00636261, 0x00636261},  // "abc" and the NUL stored after it
        {"Missing", 0, 0xAABBCCDD},
    };
    for (const auto& [name, got, into] : reads) {
        EXPECT_EQ(got, store_.GetColor(name)) << name;
        COLORREF rgb = 0xAABBCCDD;
        store_.ReadColor(rgb, name);
        EXPECT_EQ(into, rgb) << name;
    }
}

// The overloads with a key work there and leave hKey alone, null or not.
TEST_F(RegistryStoreTest, ExplicitKeyOverloadsLeaveTheHeldKeyAlone) {
    HKEY other = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(store_.hKey, "Other", &other));
    const HKEY held = store_.hKey;
    for (const HKEY h : {held, static_cast<HKEY>(nullptr)}) {
        store_.hKey = h;
        EXPECT_EQ(ERROR_SUCCESS, store_.SetColor(RGB(4, 5, 6), "c", other));
        EXPECT_EQ(ERROR_SUCCESS, store_.SetString("t", "s", other));
        EXPECT_EQ(RGB(4, 5, 6), store_.GetColor("c", other));
        COLORREF rgb = 0;
        store_.ReadColor(rgb, "c", other);
        EXPECT_EQ(RGB(4, 5, 6), rgb);
        EXPECT_EQ(0, store_.RestorePlacement(nullptr, "p", other));
        EXPECT_EQ(h, store_.hKey);
    }
    EXPECT_EQ(probe::Text("t"), Get(other, "s"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, std::get<0>(Get(held, "c")));
}

TEST_F(RegistryStoreTest, OpenCreatesNothing) {
    const std::string child = std::string(kTestKey) + "\\Child";
    RegistryStore other;
    EXPECT_EQ(0, other.Open(HKEY_CURRENT_USER, child.c_str()));
    EXPECT_EQ(nullptr, other.hKey);
    EXPECT_FALSE(probe::Exists(HKEY_CURRENT_USER, child));
    EXPECT_NE(nullptr, other.OpenOrCreate(HKEY_CURRENT_USER, child.c_str()));
    EXPECT_EQ(1, other.Open(HKEY_CURRENT_USER, child.c_str()));
}

// The whole block GetString returns: the longest text that fits it, then NULs; anything
// longer is read as empty, and so is every read through a key that could not be opened.
TEST_F(RegistryStoreTest, KeysGetStringGivesTheLongestTextThatFitsAndEmptyForAnythingLonger) {
    RegistryKey key, none;
    ASSERT_NE(nullptr, key.OpenOrCreate(HKEY_CURRENT_USER, kTestKey));
    // An invalid parent: both the open and the create fail.
    EXPECT_EQ(nullptr, none.OpenOrCreate(nullptr, "Software"));
    EXPECT_EQ(nullptr, none.hKey);
    EXPECT_NE(ERROR_SUCCESS, none.SetString("1", "short"));
    const std::string longest(MAX_TEXT, 'q');
    // The byte after the text is not a NUL: stored without one, as another program may.
    const std::string raw = std::string(MAX_TEXT + 1, 'u') + '#';
    const struct {
        RegistryKey* key;
        const char* name;
        LONG stored;
        std::string read;
    } cases[] = {
        {&key, "short", key.SetString("0", "short"), "0"},
        {&key, "longest", key.SetString(longest.c_str(), "longest"), longest},
        {&key, "raw fits", SetRaw(key.hKey, "raw fits", REG_SZ, raw, MAX_TEXT),
         std::string(MAX_TEXT, 'u')},
        {&key, "raw too long", SetRaw(key.hKey, "raw too long", REG_SZ, raw, MAX_TEXT + 1), ""},
        {&key, "too long", key.SetString((longest + "z").c_str(), "too long"), ""},
        {&key, "missing", ERROR_SUCCESS, ""},
        {&none, "short", ERROR_SUCCESS, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.key == &none ? ", through no key" : ""));
        EXPECT_EQ(ERROR_SUCCESS, c.stored);
        char* block = c.key->GetString(c.name);
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(c.read + std::string(TEXT_BUFFER_SIZE - c.read.size(), '\0'),
                  std::string(block, TEXT_BUFFER_SIZE));
        GlobalFree(block);  // the caller's
    }
}

}  // namespace
