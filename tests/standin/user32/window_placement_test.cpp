// tests/standin/user32/window_placement_test.cpp
// GetWindowPlacement and SetWindowPlacement over the window model and the scripted backend,
// and the rule that brings a rectangle lying off every screen back onto one.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <tuple>

#include "resource.h"
#include "ui/scripted.h"
#include "user32/window_model.h"

namespace {

namespace scripted = standin::scripted;

WINDOWPLACEMENT Placement(RECT rect, UINT showCmd = SW_SHOWNORMAL) {
    return {sizeof(WINDOWPLACEMENT), 0, showCmd, {}, {}, rect};
}

std::tuple<LONG, LONG, LONG, LONG> Corners(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Shown, a window placed off the screen comes back onto it. A record that does not say it is
// 44 bytes is refused, and a refused call changes nothing.
TEST(WindowPlacement, AShownWindowIsBroughtOnScreenAndARecordOfAnotherLengthIsRefused) {
    scripted::Install();
    scripted::SetWorkArea({0, 0, 800, 600});
    scripted::PushDialogAction([](HWND dlg) {
        // Shown by the scripted backend: a rectangle off the screen comes back onto it.
        WINDOWPLACEMENT away = Placement({5000, 4000, 5300, 4100}, SW_SHOWMAXIMIZED);
        EXPECT_TRUE(SetWindowPlacement(dlg, &away));
        WINDOWPLACEMENT got = Placement({});
        EXPECT_TRUE(GetWindowPlacement(dlg, &got));
        EXPECT_EQ(Corners({500, 500, 800, 600}), Corners(got.rcNormalPosition));
        EXPECT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), got.showCmd);
        EndDialog(dlg, 1);
    });
    EXPECT_EQ(1, DialogBoxParamA(nullptr, MAKEINTRESOURCE(IDD_ABOUT), nullptr, Proc, 0));
    scripted::Uninstall();

    const standin::DialogTemplate layout{};
    HWND hwnd = standin::CreateDialogWindow(layout, nullptr, Proc);
    const WINDOWPLACEMENT away = Placement({-9000, 20, -8700, 120});
    EXPECT_TRUE(SetWindowPlacement(hwnd, &away));

    for (UINT length : {0u, 43u, 45u, 48u}) {
        WINDOWPLACEMENT wrong = Placement({2, 2, 3, 3});
        wrong.length = length;
        SetLastError(0);
        EXPECT_FALSE(SetWindowPlacement(hwnd, &wrong)) << length;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_FALSE(GetWindowPlacement(hwnd, &wrong)) << length;
        EXPECT_EQ(Corners({2, 2, 3, 3}), Corners(wrong.rcNormalPosition)) << "a refused read writes nothing";
    }
    WINDOWPLACEMENT got = Placement({});
    EXPECT_TRUE(GetWindowPlacement(hwnd, &got));
    EXPECT_EQ(Corners(away.rcNormalPosition), Corners(got.rcNormalPosition));
    EXPECT_FALSE(SetWindowPlacement(hwnd, nullptr));
    standin::DestroyDialogWindow(hwnd);
    EXPECT_FALSE(GetWindowPlacement(hwnd, &got));
    EXPECT_FALSE(SetWindowPlacement(reinterpret_cast<HWND>(0x1), &away));
}

// Enough of the window must show to grab it: its top row whole, and half its width.
TEST(WindowPlacement, ARectangleShowingTooLittleIsMovedOntoTheNearestScreen) {
    const std::vector<RECT> two = {{0, 0, 1024, 768}, {1024, 0, 2048, 768}};
    const struct {
        RECT in, out;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},
        {{-150, 700, 150, 900}, {-150, 700, 150, 900}},    // half the width, the top row
        {{-151, 100, 149, 300}, {0, 100, 300, 300}},       // less than half
        {{100, -1, 400, 199}, {100, 0, 400, 200}},         // the top row above the screen
        {{100, 745, 400, 945}, {100, 568, 400, 768}},      // ... below it
        {{1023, 100, 1323, 300}, {1023, 100, 1323, 300}},  // on the second screen
        {{2047, 100, 2347, 300}, {1748, 100, 2048, 300}},  // one pixel on it
        {{2000, 100, 2300, 300}, {1748, 100, 2048, 300}},
        {{3000, 100, 3300, 300}, {1748, 100, 2048, 300}},  // right of it: onto it
        {{-500, 900, -200, 1000}, {0, 668, 300, 768}},     // below and left of the first
        {{1024, 768, 1324, 868}, {724, 668, 1024, 768}},  // touching a corner is off
        {{5000, 5000, 9000, 9000}, {1024, 0, 2048, 768}},  // larger than the screen: cut
        {{300, 2000, 100, 1900}, {300, 768, 300, 768}},    // inside out: no size
        {{INT_MIN, INT_MIN, INT_MAX, INT_MIN}, {0, 0, 1024, 0}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(Corners(k.out), Corners(standin::BringOnScreen(k.in, two))) << k.in.left;
    EXPECT_EQ(Corners({7, 7, 9, 9}), Corners(standin::BringOnScreen({7, 7, 9, 9}, {})));
}

}  // namespace
