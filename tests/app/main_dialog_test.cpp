// tests/app/main_dialog_test.cpp
// The main window started without a path: focus, closing, and notifications that must not end it.
#include "app_test_support.h"
#include "resource.h"

namespace {

using apptest::AppTest;
using standin::scripted::Dialogs;
using standin::scripted::PushDialogAction;
using MainDialogTest = AppTest;

TEST_F(MainDialogTest, ShowsTheWindowWithFocusOnBrowse) {
    HWND focus = nullptr;
    HWND browse = nullptr;
    std::string path = "unset";
    PushDialogAction([&](HWND dlg) {
        focus = GetFocus();
        browse = GetDlgItem(dlg, IDC_BROWSE);
        char text[64] = "x";
        GetDlgItemTextA(dlg, IDC_PATH, text, sizeof text);
        path = text;
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    Run("");
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_EQ("Ko Zapfile", Dialogs()[0].caption);
    EXPECT_EQ(IDC_BROWSE, Dialogs()[0].focusId);
    EXPECT_EQ(browse, focus);
    EXPECT_EQ("", path);
    EXPECT_TRUE(Dialogs()[0].endedByScript);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainDialogTest, EscapeCloseBoxCloseAndEnterEndTheDialog) {
    // Escape and Enter in the field arrive as IDCANCEL and IDOK; the close box as WM_CLOSE.
    const std::function<void(HWND)> closers[] = {
        [](HWND dlg) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); },
        [](HWND dlg) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); },
        [](HWND dlg) { SendMessageA(dlg, WM_CLOSE, 0, 0); },
        [](HWND dlg) { SendMessageA(GetDlgItem(dlg, IDC_CLOSE), BM_CLICK, 0, 0); },
    };
    for (const auto& close : closers) {
        PushDialogAction(close);
        Run("");
    }
    ASSERT_EQ(4u, Dialogs().size());
    for (const auto& d : Dialogs())
        EXPECT_TRUE(d.endedByScript);
}

TEST_F(MainDialogTest, NotificationsAreNotCommands) {
    std::vector<LRESULT> handled;
    PushDialogAction([&](HWND dlg) {
        // A notification with a non-zero code is not a command, even from "Close".
        handled.push_back(SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 1), 0));
        handled.push_back(SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_PATH, 0x0300), 0));
    });
    Run("");
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_FALSE(Dialogs()[0].endedByScript);  // still open after all of them
    EXPECT_EQ((std::vector<LRESULT>{FALSE, FALSE}), handled);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
