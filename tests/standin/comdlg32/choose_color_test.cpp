// tests/standin/comdlg32/choose_color_test.cpp
// ChooseColorA over the scripted backend: the colour selected first, what a cancel leaves, and
// a colour made in the editor carried into the custom colours. (The library's PickColor over
// it is tried with the example program, in GTK and under Wine.)
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "ui/scripted.h"

namespace {

namespace scripted = standin::scripted;

TEST(ChooseColorA, SelectsTheInitialColourAndKeepsTheCustomColours) {
    const COLORREF red = RGB(255, 0, 0), grey = RGB(9, 9, 9), mine = RGB(1, 2, 3);
    const DWORD known = sizeof(CHOOSECOLORA);
    const struct {
        DWORD flags, structSize;
        std::optional<COLORREF> chosen;  // none: Cancel
        bool mixed;
        COLORREF selectedFirst, rgbResult, custom0, custom1;  // rgbResult 0: FALSE, untouched
    } cases[] = {
        {CC_RGBINIT | CC_FULLOPEN, known, mine, false, red, mine, grey, 0},
        {CC_RGBINIT, known, mine, true, red, mine, mine, grey},  // made in the editor
        {CC_RGBINIT, known, grey, true, red, grey, grey, 0},     // already a custom colour
        {0, known, mine, false, 0, mine, grey, 0},               // without CC_RGBINIT: black
        {CC_RGBINIT, known, std::nullopt, false, red, 0, grey, 0},
        {CC_RGBINIT, 36 + 72, mine, false, 0, 0, grey, 0},  // an unknown record: not shown
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.flags << " " << k.structSize << " " << k.mixed);
        scripted::Install();
        scripted::PushColor(k.chosen, k.mixed);
        std::vector<COLORREF> custom(16, 0);
        custom[0] = grey;
        const std::vector<COLORREF> offered = custom;
        CHOOSECOLORA cc{};
        cc.lStructSize = k.structSize;
        cc.rgbResult = 0x01000000 | red;  // a high byte the chooser is not shown
        cc.lpCustColors = custom.data();
        cc.Flags = k.flags;
        EXPECT_EQ(k.rgbResult != 0, ChooseColorA(&cc) != FALSE);
        EXPECT_EQ(k.rgbResult != 0 ? k.rgbResult : 0x01000000 | red, cc.rgbResult);
        EXPECT_EQ(std::pair(k.custom0, k.custom1), std::pair(custom[0], custom[1]));
        ASSERT_EQ(k.structSize == known ? 1u : 0u, scripted::Choosers().size());
        if (k.structSize == known) {
            EXPECT_EQ(k.selectedFirst, scripted::Choosers()[0].rgb);
            EXPECT_EQ(offered, scripted::Choosers()[0].custom);
        }
    }
    CHOOSECOLORA cc{};
    cc.lStructSize = known;
    EXPECT_EQ(FALSE, ChooseColorA(&cc)) << "no custom colours";
    scripted::Uninstall();
}

}  // namespace
