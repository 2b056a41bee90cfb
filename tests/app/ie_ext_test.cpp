// tests/app/ie_ext_test.cpp
// "Ie Ext" and About, opened from the main window: the check box, Register, Unregister and
// what each stores.
#include "app_test_support.h"
#include "ie_ext_dialog.h"
#include "registry_probe.h"
#include "registry_sqlite.h"
#include "resource.h"

namespace {

using apptest::AppTest;
using standin::scripted::Dialogs;
using standin::scripted::PushDialogAction;
using IeExtTest = AppTest;

LRESULT Press(HWND dlg, int id) { return SendMessageA(dlg, WM_COMMAND, id, 0); }
LRESULT Click(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
LRESULT Checked(HWND dlg) { return SendMessageA(GetDlgItem(dlg, IDC_NOASK), BM_GETCHECK, 0, 0); }

probe::Value Setting() { return probe::Get(HKEY_CURRENT_USER, "Software\\Zapfile", "bAskUser"); }
bool Exists(const char* path) { return probe::Exists(HKEY_CLASSES_ROOT, path); }

// Opens "Ie Ext" from the main window, does `inside` there, then closes both.
void InIeExt(std::function<void(HWND)> inside) {
    PushDialogAction([](HWND main) {
        Press(main, IDC_IEEXT);
        Press(main, IDCANCEL);
    });
    PushDialogAction(std::move(inside));
}

TEST_F(IeExtTest, RegisterStoresTheTickedBoxAndWritesTheVerbForBothClasses) {
    std::vector<LRESULT> seen;
    InIeExt([&](HWND dlg) {
        seen.push_back(Checked(dlg));  // asks: clear
        Click(dlg, IDC_NOASK);
        seen.push_back(Checked(dlg));
        seen.push_back(Press(dlg, IDC_REGISTER));
        seen.push_back(Press(dlg, IDOK));
    });
    Run("");
    EXPECT_EQ((std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, TRUE, TRUE}), seen);
    ASSERT_EQ(2u, Dialogs().size());
    EXPECT_EQ("Ie Ext", Dialogs()[1].caption);
    EXPECT_TRUE(Dialogs()[1].endedByScript);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Ie Ext Register Successful.", Boxes()[0].text);
    EXPECT_EQ("Ie Ext Register.", Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), Boxes()[0].type);
    EXPECT_EQ(probe::Text("0"), Setting());
    // The verb starts this very program.
    char module[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    EXPECT_EQ(probe::Text("\"" + std::string(module) + "\" \"%1\""),
              probe::Get(HKEY_CLASSES_ROOT, "*\\shell\\Zapfile\\command", ""));
    // and the file managers' menus offer it.
    EXPECT_TRUE(testenv::Exists(dir / "data/kio/servicemenus/Zapfile.desktop"));

    // The next start does not ask, and the box shows it ticked.
    InIeExt([&](HWND dlg) {
        seen.push_back(Checked(dlg));
        Press(dlg, IDCANCEL);
    });
    Run("");
    EXPECT_EQ(BST_CHECKED, seen.back());
}

TEST_F(IeExtTest, OkAndAFailedRegisterStoreNothing) {
    StoreSetting("1");
    InIeExt([&](HWND dlg) {
        Click(dlg, IDC_NOASK);
        Press(dlg, IDOK);
    });
    Run("");
    EXPECT_EQ(probe::Text("1"), Setting());

    // A registry that refuses the class keys: no message, nothing stored, no verb.
    standin::RegistryRefuseNewKeys(true);
    InIeExt([&](HWND dlg) {
        Click(dlg, IDC_NOASK);
        Press(dlg, IDC_REGISTER);
        Press(dlg, IDOK);
    });
    Run("");
    standin::RegistryRefuseNewKeys(false);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(probe::Text("1"), Setting());
    EXPECT_FALSE(Exists("*\\shell\\Zapfile"));

    // The toggle lasted only for that run: the next start asks again.
    const std::string path = File("kept.txt");
    Run("\"" + path + "\"");
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Cofirm", Boxes()[0].caption);
    EXPECT_TRUE(testenv::Exists(path));
}

TEST_F(IeExtTest, UnregisterReportsSuccessEveryTimeAndLeavesOtherVerbs) {
    probe::Create(HKEY_CLASSES_ROOT, "*\\shell\\Other\\command");
    InIeExt([&](HWND dlg) {
        Press(dlg, IDC_REGISTER);
        Press(dlg, IDC_UNREGISTER);
        Press(dlg, IDC_UNREGISTER);
        Press(dlg, IDOK);
    });
    Run("");
    ASSERT_EQ(3u, Boxes().size());
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ("Ie Ext Unregister Successful.", Boxes()[i].text);
        EXPECT_EQ("Ie Ext Unregister.", Boxes()[i].caption);
    }
    EXPECT_FALSE(Exists("*\\shell\\Zapfile"));
    EXPECT_FALSE(Exists("Zapfile"));
    EXPECT_TRUE(Exists("*\\shell\\Other\\command"));
    EXPECT_FALSE(testenv::Exists(dir / "data/kio/servicemenus/Zapfile.desktop"));
    // Unregistering never touches the setting.
    EXPECT_EQ(probe::Text("1"), Setting());
}

TEST_F(IeExtTest, AboutClosesWithOkOrEscapeAndTheMainWindowStays) {
    std::vector<LRESULT> inMain, inAbout;
    PushDialogAction([&](HWND main) {
        inMain.push_back(Press(main, IDC_ABOUT));
        inMain.push_back(Press(main, IDC_ABOUT));
        Press(main, IDCANCEL);
    });
    PushDialogAction([&](HWND dlg) { inAbout.push_back(Press(dlg, IDOK)); });
    PushDialogAction([&](HWND dlg) {
        inAbout.push_back(Press(dlg, IDC_REGISTER));  // not a command of this box
        inAbout.push_back(Press(dlg, IDCANCEL));
    });
    Run("");
    EXPECT_EQ((std::vector<LRESULT>{TRUE, TRUE}), inMain);
    EXPECT_EQ((std::vector<LRESULT>{TRUE, FALSE, TRUE}), inAbout);
    ASSERT_EQ(3u, Dialogs().size());
    EXPECT_EQ("About Zapfile", Dialogs()[1].caption);
    EXPECT_TRUE(Dialogs()[1].endedByScript);
    EXPECT_TRUE(Dialogs()[2].endedByScript);
    EXPECT_TRUE(Dialogs()[0].endedByScript);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
