// tests/app/browse_delete_test.cpp
// The main window's "..." and "Delete!": choosing a file into the field, and zapping the
// field's text as it stands.
#include <sys/stat.h>

#include "app_test_support.h"
#include "resource.h"

namespace {

using apptest::AppTest;
using standin::scripted::Dialogs;
using standin::scripted::OpenFileFlags;
using standin::scripted::PushDialogAction;
using standin::scripted::PushOpenFile;
using BrowseDeleteTest = AppTest;

std::string FieldText(HWND dlg) {
    char text[MAX_PATH + 1] = "";
    GetDlgItemTextA(dlg, IDC_PATH, text, sizeof text);
    return text;
}

LRESULT Press(HWND dlg, int id) { return SendMessageA(dlg, WM_COMMAND, id, 0); }

TEST_F(BrowseDeleteTest, ChosenFileIsZappedAndStaysInTheField) {
    const std::string path = File("chosen file.txt");
    const std::string other = File("other.txt");
    PushOpenFile({path});
    PushOpenFile({});  // the second time, Cancel
    std::vector<std::string> fields;
    std::vector<LRESULT> handled;
    PushDialogAction([&](HWND dlg) {
        handled.push_back(Press(dlg, IDC_BROWSE));
        fields.push_back(FieldText(dlg));
        handled.push_back(Press(dlg, IDC_DELETE));
        fields.push_back(FieldText(dlg));
        handled.push_back(Press(dlg, IDC_BROWSE));
        fields.push_back(FieldText(dlg));
    });
    Run("");
    EXPECT_EQ((std::vector<std::string>{path, path, path}), fields);
    EXPECT_EQ((std::vector<LRESULT>{TRUE, TRUE, TRUE}), handled);
    EXPECT_EQ((std::vector<DWORD>{OFN_EXPLORER, OFN_EXPLORER}), OpenFileFlags());
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_TRUE(testenv::Exists(other));
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_FALSE(Dialogs()[0].endedByScript);  // neither command ends the dialog
}

TEST_F(BrowseDeleteTest, FieldTextIsThePathAsItStands) {
    const std::string plain = File("plain.txt");
    const std::string readOnly = File("read-only.txt");
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0444));
    const std::string gone = dir / "gone.txt";
    struct Case {
        std::string text;
        size_t boxes;  // error boxes shown so far
    };
    const Case cases[] = {
        {"", 1},
        {dir.path().string(), 2},
        {readOnly, 3},
        {"\"" + plain + "\"", 4},  // the quotes are part of the name: no such folder
        {gone, 4},                 // a new name is created and removed, silently
        {gone, 4},                 // and again
    };
    std::vector<size_t> seen;
    PushDialogAction([&](HWND dlg) {
        for (const Case& k : cases) {
            SetDlgItemTextA(dlg, IDC_PATH, k.text.c_str());
            Press(dlg, IDC_DELETE);
            seen.push_back(Boxes().size());
            EXPECT_EQ(k.text, FieldText(dlg));
        }
    });
    Run("");
    std::vector<size_t> expected;
    for (const Case& k : cases)
        expected.push_back(k.boxes);
    EXPECT_EQ(expected, seen);
    for (const auto& box : Boxes())
        EXPECT_EQ("Couldn't delete file.", box.text);
    EXPECT_TRUE(testenv::Exists(plain));
    EXPECT_TRUE(testenv::Exists(readOnly));
    EXPECT_FALSE(testenv::Exists(gone));
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_FALSE(Dialogs()[0].endedByScript);
}

}  // namespace
