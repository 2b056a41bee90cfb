// tests/app/ie_ext_test.cpp
// "Ie Ext" and About, opened from the main window: the check box, Register, Unregister and
// what each stores.
#include "app_test_support.h"
#include "ie_ext_dialog.h"
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

// A value's type and bytes, or "missing" when the key or the value does not exist.
std::string Value(HKEY root, const char* path, const char* name) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "missing";
    char data[600] = {};
    DWORD type = 0, size = sizeof data;
    const LONG status =
        RegQueryValueExA(hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS)
        return "missing";
    return std::to_string(type) + ":" + std::string(data, size);
}

bool KeyExists(HKEY root, const char* path) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::string Setting() { return Value(HKEY_CURRENT_USER, "Software\\Zapfile", "bAskUser"); }

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
    EXPECT_EQ("1:0" + std::string(1, '\0'), Setting());

    char module[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string command = "\"" + std::string(module) + "\" \"%1\"";
    const std::string stored = "1:" + command + std::string(1, '\0');
    EXPECT_EQ(stored, Value(HKEY_CLASSES_ROOT, "*\\shell\\Zapfile\\command", ""));
    EXPECT_EQ(stored, Value(HKEY_CLASSES_ROOT, "Zapfile\\shell\\Zapfile\\command", ""));

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
    EXPECT_EQ("1:1" + std::string(1, '\0'), Setting());

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
    EXPECT_EQ("1:1" + std::string(1, '\0'), Setting());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*\\shell\\Zapfile"));

    // The toggle lasted only for that run: the next start asks again.
    const std::string path = File("kept.txt");
    Run("\"" + path + "\"");
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Cofirm", Boxes()[0].caption);
    EXPECT_TRUE(testenv::Exists(path));
}

TEST_F(IeExtTest, UnregisterReportsSuccessEveryTimeAndLeavesOtherVerbs) {
    HKEY other = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CLASSES_ROOT, "*\\shell\\Other\\command", &other));
    RegCloseKey(other);
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
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*\\shell\\Zapfile"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Zapfile"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shell\\Other\\command"));
    // Unregistering never touches the setting.
    EXPECT_EQ("1:1" + std::string(1, '\0'), Setting());
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
