// tests/standin/comdlg32/choose_color_test.cpp
// ChooseColorA over the scripted backend, and the library's PickColor over it: the colour
// selected first, what a cancel leaves, and custom colours carried from one call to the next.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "common_dialogs.h"
#include "ui/scripted.h"

namespace {

namespace scripted = standin::scripted;

TEST(ChooseColorA, SelectsTheInitialColourAndKeepsTheCustomColours) {
    std::vector<COLORREF> custom(16, 0);
    custom[0] = RGB(9, 9, 9);
    struct Case {
        const char* what;
        DWORD flags, structSize;
        std::optional<COLORREF> chosen;
        bool mixed;
        BOOL result;
        COLORREF selectedFirst, rgbResult;
        COLORREF custom0, custom1;
    } const cases[] = {
        {"picked", CC_RGBINIT | CC_FULLOPEN, sizeof(CHOOSECOLORA), RGB(1, 2, 3), false, TRUE,
         RGB(255, 0, 0), RGB(1, 2, 3), RGB(9, 9, 9), 0},
        {"mixed", CC_RGBINIT, sizeof(CHOOSECOLORA), RGB(1, 2, 3), true, TRUE, RGB(255, 0, 0),
         RGB(1, 2, 3), RGB(1, 2, 3), RGB(9, 9, 9)},
        {"mixed, already custom", CC_RGBINIT, sizeof(CHOOSECOLORA), RGB(9, 9, 9), true, TRUE,
         RGB(255, 0, 0), RGB(9, 9, 9), RGB(9, 9, 9), 0},
        {"without CC_RGBINIT", 0, sizeof(CHOOSECOLORA), RGB(1, 2, 3), false, TRUE, 0,
         RGB(1, 2, 3), RGB(9, 9, 9), 0},
        {"cancel", CC_RGBINIT, sizeof(CHOOSECOLORA), std::nullopt, false, FALSE,
         RGB(255, 0, 0), 0x01000000 | 255, RGB(9, 9, 9), 0},
        {"unknown record", CC_RGBINIT, 36 + 72, RGB(1, 2, 3), false, FALSE, 0, 0x01000000 | 255,
         RGB(9, 9, 9), 0},
    };
    for (const Case& k : cases) {
        scripted::Install();
        scripted::PushColor(k.chosen, k.mixed);
        std::vector<COLORREF> colours = custom;
        CHOOSECOLORA cc{};
        cc.lStructSize = k.structSize;
        cc.rgbResult = 0x01000000 | 255;  // a high byte the chooser is not shown
        cc.lpCustColors = colours.data();
        cc.Flags = k.flags;
        EXPECT_EQ(k.result, ChooseColorA(&cc)) << k.what;
        EXPECT_EQ(k.rgbResult, cc.rgbResult) << k.what;
        EXPECT_EQ(k.custom0, colours[0]) << k.what;
        EXPECT_EQ(k.custom1, colours[1]) << k.what;
        if (k.structSize == sizeof(CHOOSECOLORA)) {
            ASSERT_EQ(1u, scripted::Choosers().size()) << k.what;
            EXPECT_EQ(k.selectedFirst, scripted::Choosers()[0].rgb) << k.what;
            EXPECT_EQ(custom, scripted::Choosers()[0].custom) << k.what;
        } else {
            EXPECT_TRUE(scripted::Choosers().empty()) << k.what;
        }
    }
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    EXPECT_EQ(FALSE, ChooseColorA(&cc)) << "no custom colours";
    scripted::Uninstall();
}

TEST(CommonDialogs, PickColorGivesTheInitialColourOnCancelAndOffersNewCustomColoursNextTime) {
    scripted::Install();
    CommonDialogs c;
    scripted::PushColor(std::nullopt);
    EXPECT_EQ(RGB(255, 0, 0), c.PickColor(reinterpret_cast<HWND>(0x5), RGB(255, 0, 0)));
    EXPECT_EQ(sizeof(CHOOSECOLORA), c.cc.lStructSize);
    EXPECT_EQ(static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN), c.cc.Flags);
    scripted::PushColor(RGB(0x12, 0x34, 0x56), true);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), c.PickColor(nullptr, RGB(255, 0, 0)));
    scripted::PushColor(RGB(0, 0, 255));
    EXPECT_EQ(RGB(0, 0, 255), c.PickColor(nullptr, RGB(0x12, 0x34, 0x56)));
    const auto& shown = scripted::Choosers();
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ(reinterpret_cast<HWND>(0x5), shown[0].owner);
    EXPECT_EQ(0u, shown[1].custom[0]);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), shown[2].custom[0]) << "offered in the next call";
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), c.CustColors[0]);
    scripted::Uninstall();
}

}  // namespace
