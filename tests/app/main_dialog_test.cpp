// tests/app/main_dialog_test.cpp
// The main window started without a path, its big and small icons set: "..." chooses a file
// into the field, and "Delete!" zaps the field's text as it stands. (OK, Cancel and Close are pressed in GTK and under Wine.)
#include "app_test_support.h"
#include "resource.h"
#include "user32/resources.h"
#include "user32/window_model.h"

namespace {

using apptest::AppTest;
using apptest::Press;
using standin::scripted::Dialogs;
using standin::scripted::PushDialogAction;
using MainDialogTest = AppTest;

std::string FieldText(HWND dlg) {
    char text[MAX_PATH + 1] = "";
    GetDlgItemTextA(dlg, IDC_PATH, text, sizeof text);
    return text;
}

TEST_F(MainDialogTest, ChosenFileIsZappedAndTheFieldIsThePathAsItStands) {
    const std::string path = File("chosen file.txt");
    const std::string other = File("other.txt");
    const std::string gone = dir / "gone.txt";
    // Names of three-byte characters: a path of 260 bytes, and one of 261 that, cut to 260,
    // would name the first.
    std::string name;
    while (dir.path().string().size() + 1 + name.size() + 3 <= 260 - 4)
        name += "語";
    name.resize(260 - 4 - dir.path().string().size() - 1, 'a');
    const std::string fits = File(name + ".txt"), over = File(name + ".txtx");
    ASSERT_EQ(260u, fits.size());
    standin::scripted::PushOpenFile({path});
    standin::scripted::PushOpenFile({});  // the second time, Cancel
    std::vector<std::string> fields;
    std::vector<int> iconSides;  // the big icon's, then the small one's
    PushDialogAction([&](HWND dlg) {
        const standin::Window* w = standin::FromHandle(dlg);
        for (HICON icon : {w->iconBig, w->iconSmall}) {
            const standin::IconImage* image = standin::IconFromHandle(icon);
            iconSides.push_back(image != nullptr ? image->width : 0);
        }
        Press(dlg, IDC_BROWSE);
        fields.push_back(FieldText(dlg));
        Press(dlg, IDC_DELETE);
        Press(dlg, IDC_BROWSE);
        fields.push_back(FieldText(dlg));
        // The quotes are part of the name: no such folder, and "other.txt" stays.
        SetDlgItemTextA(dlg, IDC_PATH, ("\"" + other + "\"").c_str());
        Press(dlg, IDC_DELETE);
        fields.push_back(FieldText(dlg));
        // A new name is created and removed, silently.
        SetDlgItemTextA(dlg, IDC_PATH, gone.c_str());
        Press(dlg, IDC_DELETE);
        // One limit, in bytes: 260 of them in far fewer characters are taken, 261 refused whole.
        for (const std::string& path : {over, fits}) {
            SetDlgItemTextA(dlg, IDC_PATH, path.c_str());
            Press(dlg, IDC_DELETE);
        }
        // A notification with a non-zero code is not a command, even from "Close".
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 1), 0);
    });
    Run("");
    EXPECT_EQ((std::vector<std::string>{path, path, "\"" + other + "\""}), fields);
    EXPECT_EQ((std::vector<int>{32, 16}), iconSides);  // each drawn for its size
    EXPECT_EQ((std::vector<DWORD>{OFN_EXPLORER, OFN_EXPLORER}), standin::scripted::OpenFileFlags());
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_FALSE(testenv::Exists(gone));
    EXPECT_EQ("secret", testenv::ReadFile(other));
    EXPECT_FALSE(testenv::Exists(fits));
    EXPECT_EQ("secret", testenv::ReadFile(over));
    ASSERT_EQ(2u, Boxes().size());
    EXPECT_EQ("Couldn't delete file.\n\nThe filename or extension is too long.", Boxes()[1].text);
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_EQ("Ko Zapfile", Dialogs()[0].caption);
    EXPECT_FALSE(Dialogs()[0].endedByScript);  // none of these ends the dialog
}

}  // namespace
