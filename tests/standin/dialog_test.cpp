// tests/standin/dialog_test.cpp
// The dialog manager over the window model: what DialogBoxParamA returns, when a dialog is
// shown, focus and tab order, clicks, and what reaches the dialog procedure.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "resource.h"
#include "ui_scripted.h"
#include "window_model.h"

namespace {

struct Message {
    UINT msg;
    WPARAM wParam;
};
std::vector<Message> g_seen;
INT_PTR g_initAnswer = TRUE;
INT_PTR g_endInInit = 0;  // non-zero: EndDialog with this value inside WM_INITDIALOG

INT_PTR CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    g_seen.push_back({msg, wParam});
    if (msg == WM_INITDIALOG) {
        if (g_endInInit != 0)
            EndDialog(hwnd, g_endInInit);
        return g_initAnswer;
    }
    if (msg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
        EndDialog(hwnd, 100 + static_cast<INT_PTR>(wParam));
        return TRUE;
    }
    return FALSE;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_initAnswer = TRUE;
        g_endInInit = 0;
        standin::scripted::Install();
    }
    void TearDown() override { standin::scripted::Uninstall(); }
    static INT_PTR Show(int id) {
        return DialogBoxParamA(nullptr, MAKEINTRESOURCE(id), nullptr, RecordingProc, 0);
    }
};

TEST_F(DialogTest, EndedDuringInitialisationIsNeverShown) {
    g_endInInit = 0x5A5A;
    EXPECT_EQ(0x5A5A, Show(IDD_MAIN));
    EXPECT_TRUE(standin::scripted::Dialogs().empty());
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), g_seen[0].msg);
}

TEST_F(DialogTest, InitialisationGetsTheFirstTabStopAndFalseKeepsTheFocusUnset) {
    HWND focused = nullptr, browse = nullptr;
    g_initAnswer = FALSE;  // the procedure keeps the focus to itself
    standin::scripted::PushDialogAction([&](HWND dlg) {
        focused = GetFocus();
        browse = GetDlgItem(dlg, IDC_BROWSE);
        EndDialog(dlg, 7);
    });
    EXPECT_EQ(7, Show(IDD_MAIN));
    EXPECT_EQ(nullptr, focused);
    EXPECT_EQ(reinterpret_cast<WPARAM>(browse), g_seen[0].wParam);
}

TEST_F(DialogTest, TabOrderFollowsTheTemplateAndWraps) {
    std::vector<int> forward, backward;
    standin::scripted::PushDialogAction([&](HWND dlg) {
        HWND at = standin::FirstTabStop(dlg);
        for (int i = 0; i < 7; ++i, at = standin::NextTabStop(dlg, at, false))
            forward.push_back(GetDlgCtrlID(at));
        at = standin::FirstTabStop(dlg);
        for (int i = 0; i < 3; ++i, at = standin::NextTabStop(dlg, at, true))
            backward.push_back(GetDlgCtrlID(at));
        EndDialog(dlg, 0);
    });
    Show(IDD_MAIN);
    // The static text is no tab stop.
    EXPECT_EQ((std::vector<int>{IDC_BROWSE, IDC_PATH, IDC_IEEXT, IDC_DELETE, IDC_ABOUT, IDC_CLOSE,
                                IDC_BROWSE}),
              forward);
    EXPECT_EQ((std::vector<int>{IDC_BROWSE, IDC_CLOSE, IDC_ABOUT}), backward);
}

TEST_F(DialogTest, ClicksTickAutomaticCheckBoxesBeforeTheCommand) {
    LRESULT checkSeenByCommand = -1;
    int defaultId = 0;
    standin::scripted::PushDialogAction([&](HWND dlg) {
        defaultId = GetDlgCtrlID(standin::DefaultButton(dlg));
        HWND box = GetDlgItem(dlg, IDC_NOASK);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        g_seen.clear();
        SendMessageA(box, BM_CLICK, 0, 0);
        checkSeenByCommand = SendMessageA(box, BM_GETCHECK, 0, 0);
        SendMessageA(box, BM_CLICK, 0, 0);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(101, Show(IDD_IEEXT));
    EXPECT_EQ(BST_CHECKED, checkSeenByCommand);
    EXPECT_EQ(IDOK, defaultId);
    ASSERT_EQ(3u, g_seen.size());
    EXPECT_EQ(MAKEWPARAM(IDC_NOASK, BN_CLICKED), g_seen[0].wParam);
    EXPECT_EQ(static_cast<WPARAM>(IDOK), g_seen[2].wParam);
}

TEST_F(DialogTest, CloseBoxBecomesCancelAndHandlesDieWithTheDialog) {
    HWND kept = nullptr;
    standin::scripted::PushDialogAction([&](HWND dlg) {
        kept = GetDlgItem(dlg, IDC_PATH);
        SetWindowTextA(kept, "typed");
        SendMessageA(dlg, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(102, Show(IDD_MAIN));
    EXPECT_EQ(0, GetWindowTextLengthA(kept));
    EXPECT_FALSE(SetWindowTextA(kept, "x"));
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, MAKEINTRESOURCE(999), nullptr, RecordingProc, 0));
}

}  // namespace
