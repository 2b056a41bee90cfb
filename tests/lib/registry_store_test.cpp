// tests/lib/registry_store_test.cpp
// RegistryStore against the platform's registry, below HKCU\Software\ZapfileStoreTest: the
// exact bytes of each value form, the explicit-key overloads, and reads that refuse what is
// not a whole record.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "registry_probe.h"
#include "registry_store.h"
#include "test_window.h"

namespace {

using probe::Get;
using probe::Value;

constexpr char kTestKey[] = "Software\\ZapfileStoreTest";

std::string Bytes(const void* data, size_t size) {
    return std::string(static_cast<const char*>(data), size);
}

LONG SetRaw(HKEY h, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

WINDOWPLACEMENT Placement(LONG left, LONG top, LONG right, LONG bottom) {
    WINDOWPLACEMENT wp;
    memset(&wp, 0, sizeof wp);
    wp.length = sizeof wp;
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = {left, top, right, bottom};
    return wp;
}

WINDOWPLACEMENT PlacementOf(HWND hwnd) {
    WINDOWPLACEMENT wp = Placement(0, 0, 0, 0);
    EXPECT_TRUE(GetWindowPlacement(hwnd, &wp));
    return wp;
}

std::string RectOf(const WINDOWPLACEMENT& wp) {
    return Bytes(&wp.rcNormalPosition, sizeof wp.rcNormalPosition);
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
// where it was. Anything that is not such a record is never put onto the window.
TEST_F(RegistryStoreTest, PlacementIsTheWholeRecordAndOnlyAWholeRecordIsPutBack) {
    EXPECT_EQ(testwindow::kEnded, testwindow::Run([&](HWND hwnd) {
        const WINDOWPLACEMENT placed = Placement(100, 120, 400, 300);
        ASSERT_TRUE(SetWindowPlacement(hwnd, &placed));
        const WINDOWPLACEMENT before = PlacementOf(hwnd);
        ASSERT_EQ(ERROR_SUCCESS, store_.SavePlacement(hwnd, "Placement"));
        const Value stored = Get(store_.hKey, "Placement");
        EXPECT_EQ(Value(ERROR_SUCCESS, REG_BINARY, Bytes(&before, 44)), stored);
        EXPECT_EQ(std::string("\x2c\0\0\0", 4), std::get<2>(stored).substr(0, 4));
        EXPECT_EQ(RectOf(placed), RectOf(before));
        EXPECT_NE(0, store_.RestorePlacement(hwnd, "Placement"));
        EXPECT_EQ(RectOf(before), RectOf(PlacementOf(hwnd)));
        EXPECT_EQ(RectOf(before), RectOf(store_.LoadPlacement("Placement")));

        std::string record = std::get<2>(stored);
        std::string otherLength = record;
        otherLength[0] = 40;
        struct Fault {
            const char* name;
            DWORD type;
            std::string bytes;  // none: the value is missing
        } const faults[] = {
            {"short", REG_BINARY, record.substr(0, 40)},
            {"long", REG_BINARY, record + std::string(16, '\x7f')},
            {"text", REG_SZ, record},
            {"number", REG_DWORD, record.substr(0, 4)},
            {"length 40", REG_BINARY, otherLength},
            {"missing", REG_NONE, ""},
        };
        const WINDOWPLACEMENT moved = Placement(30, 40, 330, 220);
        ASSERT_TRUE(SetWindowPlacement(hwnd, &moved));
        const WINDOWPLACEMENT zeros = Placement(0, 0, 0, 0);
        for (const Fault& f : faults) {
            if (!f.bytes.empty()) {
                ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, f.name, f.type, f.bytes)) << f.name;
            }
            EXPECT_EQ(0, store_.RestorePlacement(hwnd, f.name)) << f.name;
            EXPECT_EQ(RectOf(moved), RectOf(PlacementOf(hwnd))) << f.name << ": the window moved";
            WINDOWPLACEMENT expected = zeros;
            expected.showCmd = 0;
            const WINDOWPLACEMENT loaded = store_.LoadPlacement(f.name);
            EXPECT_EQ(Bytes(&expected, 44), Bytes(&loaded, 44)) << f.name;
        }
    }));
    // A window that is not there has no placement to store: nothing is written.
    EXPECT_NE(ERROR_SUCCESS, store_.SavePlacement(nullptr, "Nowhere"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, std::get<0>(Get(store_.hKey, "Nowhere")));
}

TEST_F(RegistryStoreTest, ColourIsFourBytesRedFirstAndReadsTakeNoMore) {
    ASSERT_EQ(ERROR_SUCCESS, store_.SetColor(RGB(1, 2, 3), "Colour"));
    EXPECT_EQ(Value(ERROR_SUCCESS, REG_BINARY, std::string("\x01\x02\x03\x00", 4)),
              Get(store_.hKey, "Colour"));
    EXPECT_EQ(RGB(1, 2, 3), store_.GetColor("Colour"));
    COLORREF rgb = 0xAABBCCDD;
    store_.ReadColor(rgb, "Colour");
    EXPECT_EQ(RGB(1, 2, 3), rgb);

    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Eight", REG_BINARY, "\x11\x22\x33\x44\x55\x66\x77\x88"));
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Three", REG_BINARY, "\x09\x08\x07"));
    ASSERT_EQ(ERROR_SUCCESS, SetRaw(store_.hKey, "Text", REG_SZ, "abc"));
    struct Read {
        const char* name;
        COLORREF got;        // GetColor
        COLORREF intoAabb;   // ReadColor into 0xAABBCCDD
    } const reads[] = {
        {"Eight", 0, 0xAABBCCDD},
        {"Three", 0x00070809, 0xAA070809},
        {"Text", 0x00636261, 0x00636261},  // "abc" and the NUL stored after it
        {"Missing", 0, 0xAABBCCDD},
    };
    for (const Read& r : reads) {
        EXPECT_EQ(r.got, store_.GetColor(r.name)) << r.name;
        COLORREF into = 0xAABBCCDD;
        store_.ReadColor(into, r.name);
        EXPECT_EQ(r.intoAabb, into) << r.name;
    }
}

TEST_F(RegistryStoreTest, StringIsStoredAsThePlatformStoresItsText) {
    ASSERT_EQ(ERROR_SUCCESS, store_.SetString("abc", "x"));
    EXPECT_EQ(probe::Text("abc"), Get(store_.hKey, "x"));
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

TEST_F(RegistryStoreTest, OpenCreatesNothingAndDeleteKeyLeavesTheHeldKey) {
    const std::string child = std::string(kTestKey) + "\\Child";
    RegistryStore other;
    EXPECT_EQ(0, other.Open(HKEY_CURRENT_USER, child.c_str()));
    EXPECT_EQ(nullptr, other.hKey);
    EXPECT_FALSE(probe::Exists(HKEY_CURRENT_USER, child));
    EXPECT_NE(nullptr, other.OpenOrCreate(HKEY_CURRENT_USER, child.c_str()));
    EXPECT_TRUE(probe::Exists(HKEY_CURRENT_USER, child));
    EXPECT_EQ(1, other.Open(HKEY_CURRENT_USER, child.c_str()));
    const HKEY held = other.hKey;
    EXPECT_EQ(ERROR_SUCCESS, other.DeleteKey(HKEY_CURRENT_USER, child.c_str()));
    EXPECT_FALSE(probe::Exists(HKEY_CURRENT_USER, child));
    EXPECT_EQ(held, other.hKey);
    EXPECT_NE(ERROR_SUCCESS, other.DeleteKey(HKEY_CURRENT_USER, child.c_str()));
}

}  // namespace
