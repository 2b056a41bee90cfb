// tests/app/ie_ext_test.cpp
// "Ie Ext" and About, opened from the main window: the check box, Register, Unregister and
// what each stores.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "app_test_support.h"
#include "registry_probe.h"
#include "resource.h"

namespace {

using apptest::AppTest;
using apptest::Press;
using standin::scripted::Dialogs;
using standin::scripted::PushDialogAction;

constexpr char kNotWritten[] =
    "Ie Ext Register failed: the context-menu entry could not be written.";
constexpr char kNotRemoved[] = "Ie Ext Unregister failed: the context-menu entry is still there.";

LRESULT Click(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
LRESULT Checked(HWND dlg) { return SendMessageA(GetDlgItem(dlg, IDC_NOASK), BM_GETCHECK, 0, 0); }

probe::Value Setting() { return probe::Get(HKEY_CURRENT_USER, "Software\\Zapfile", "bAskUser"); }
bool Exists(const char* path) { return probe::Exists(HKEY_CLASSES_ROOT, path); }

class IeExtTest : public AppTest {
protected:
    // Starts the program, opens `id` ("Ie Ext" or About) from the main window, does `inside`
    // there, then closes both.
    static void RunInside(int id, std::function<void(HWND)> inside) {
        PushDialogAction([id](HWND main) {
            Press(main, id);
            Press(main, IDCANCEL);
        });
        PushDialogAction(std::move(inside));
        Run("");
    }
};

// The box starts clear when the program asks. Register stores its state and writes the verb
// with this program's path (and, with it, the file managers' entries); Unregister always
// succeeds. OK stores nothing.
TEST_F(IeExtTest, RegisterStoresTheTickedBoxUnregisterAlwaysSucceedsAndOkStoresNothing) {
    const auto MenuEntry = [this] { return dir / "data/kio/servicemenus/Zapfile.desktop"; };
    std::vector<LRESULT> seen;
    probe::Value command;
    bool menu = false;
    RunInside(IDC_IEEXT, [&](HWND dlg) {
        seen.push_back(Checked(dlg));
        Click(dlg, IDC_NOASK);
        seen.push_back(Checked(dlg));
        Press(dlg, IDC_REGISTER);
        command = probe::Get(HKEY_CLASSES_ROOT, "*\\shell\\Zapfile\\command", "");
        menu = testenv::Exists(MenuEntry());
        Press(dlg, IDC_UNREGISTER);
        Press(dlg, IDC_UNREGISTER);  // with nothing left to remove
        Press(dlg, IDOK);
    });
    // The next start does not ask, and the box shows it ticked; cleared, OK keeps the setting.
    RunInside(IDC_IEEXT, [&](HWND dlg) {
        seen.push_back(Checked(dlg));
        Click(dlg, IDC_NOASK);
        Press(dlg, IDOK);
    });
    EXPECT_EQ((std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, BST_CHECKED}), seen);
    const std::string program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(probe::Text("\"" + program + "\" \"%1\""), command);
    EXPECT_TRUE(menu);
    ASSERT_EQ(3u, Boxes().size());
    EXPECT_EQ("Ie Ext Register Successful.", Boxes()[0].text);
    EXPECT_EQ("Ie Ext Unregister Successful.", Boxes()[1].text);
    EXPECT_EQ("Ie Ext Unregister Successful.", Boxes()[2].text);
    EXPECT_EQ(probe::Text("0"), Setting());
    EXPECT_FALSE(Exists("*\\shell\\Zapfile"));
    EXPECT_FALSE(Exists("Zapfile"));
    EXPECT_FALSE(testenv::Exists(MenuEntry()));
}

// Register with no file manager able to take the entry is a failed registration: it says so,
// no setting is stored and the menus get no command; each file manager's reason is on
// standard error. Once one of them can take it, Register succeeds.
TEST_F(IeExtTest, RegisterThatNoFileManagerCanShowFailsAndSaysWhy) {
    namespace fs = std::filesystem;
    StoreSetting("1");
    fs::create_directories(dir / "data");
    for (const char* folder : {"data/nautilus", "data/kio", "data/nemo"})
        testenv::WriteFile(dir / folder, "a file where a folder should be");
    fs::create_directories(dir / "config/Thunar");
    const std::string mine = "<actions>\n</actions>\n";  // where uca.xml leads
    testenv::WriteFile(dir / "mine.xml", mine);
    ASSERT_EQ(0, symlink((dir / "mine.xml").c_str(), (dir / "config/Thunar/uca.xml").c_str()));
    const auto Register = [] {
        testing::internal::CaptureStderr();
        RunInside(IDC_IEEXT, [](HWND dlg) {
            Click(dlg, IDC_NOASK);
            Press(dlg, IDC_REGISTER);
            Press(dlg, IDOK);
        });
        return testing::internal::GetCapturedStderr();
    };
    const std::string reasons = Register();
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(std::string(kNotWritten) + "\n\nAccess is denied.", Boxes()[0].text);
    EXPECT_EQ(probe::Text("1"), Setting());
    EXPECT_FALSE(Exists("*\\shell\\Zapfile\\command"));
    for (const char* manager : {"GNOME Files", "Dolphin", "Nemo", "Thunar"})
        EXPECT_NE(std::string::npos, reasons.find(std::string("Menus: ") + manager + ": ")) << reasons;

    fs::remove(dir / "data/nemo");
    Register();
    ASSERT_EQ(2u, Boxes().size());
    EXPECT_EQ("Ie Ext Register Successful.", Boxes()[1].text);
    EXPECT_EQ(probe::Text("0"), Setting());
    EXPECT_TRUE(testenv::Exists(dir / "data/nemo/actions/Zapfile.nemo_action"));
    EXPECT_EQ(mine, testenv::ReadFile(dir / "mine.xml"));
}

// Another program holds the menus' lock and does not let go: Unregister fails after the
// database's 5 s and says so, and so does Register (at once: the wait has run out), storing no
// setting. Both left the registry changed; the next start brings the menus in step with it.
TEST_F(IeExtTest, RegisterAndUnregisterFailInTimeWhileTheMenusAreLockedAndTheNextStartMends) {
    StoreSetting("1");
    const std::string nemo = dir / "data/nemo/actions/Zapfile.nemo_action";
    const auto Entry = [&] { return testenv::Exists(nemo); };
    RunInside(IDC_IEEXT, [](HWND dlg) { Press(dlg, IDC_REGISTER); });
    ASSERT_TRUE(Entry());
    std::filesystem::create_directories(dir / "config/zapfile/menus");
    const int lock = open((dir / "config/zapfile/menus/lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(0, flock(lock, LOCK_EX));
    RunInside(IDC_IEEXT, [](HWND dlg) {
        Press(dlg, IDC_UNREGISTER);
        Click(dlg, IDC_NOASK);
        Press(dlg, IDC_REGISTER);
    });
    close(lock);
    const std::string locked = "\n\nThe process cannot access the file because another process has "
                               "locked a portion of the file.";
    ASSERT_EQ(3u, Boxes().size());
    EXPECT_EQ(std::string(kNotRemoved) + locked, Boxes()[1].text);
    EXPECT_EQ(std::string(kNotWritten) + locked, Boxes()[2].text);
    EXPECT_EQ(probe::Text("1"), Setting());
    EXPECT_TRUE(Entry());  // the menus did not follow the registry
    EXPECT_FALSE(Exists("*\\shell\\Zapfile\\command"));
    standin::RegistryReset();  // as a new process
    Run("");
    EXPECT_FALSE(Entry());
}

TEST_F(IeExtTest, AboutClosesWithOkOrEscape) {
    for (const int id : {IDOK, IDCANCEL})
        RunInside(IDC_ABOUT, [id](HWND dlg) { Press(dlg, id); });
    ASSERT_EQ(4u, Dialogs().size());
    EXPECT_EQ("About Zapfile", Dialogs()[1].caption);
    EXPECT_TRUE(Dialogs()[1].endedByScript);
    EXPECT_TRUE(Dialogs()[3].endedByScript);
}

}  // namespace
