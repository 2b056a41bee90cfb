// tests/gtk/zapfile_gtk_test.cpp
// The built zapfile on a virtual display, started without a terminal as a desktop or a file
// manager starts it, and answered with keys sent through the X server.
#include <filesystem>

#include "desktop.h"

namespace {

using desktop::Strings;

class ZapfileGtkTest : public desktop::DesktopTest {
protected:
    static void SetUpTestSuite() { StartDisplay(); }
    testproc::Result StoreAskUser(const std::string& value) const {
        return testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                              "/d", value, "/f"}, Env());
    }
};

// The focus starts on "...": Tab leads to the field, where Enter is OK, Shift+Tab to "Close"
// and Tab from there back to "..."; "Delete!" is three Tabs on. A question waits for Yes or
// No and ignores Escape; the error box ("Delete!" on an empty field) takes it. A file named on
// the command line is asked about in a window of its own, the main window never shown. "..."
// opens the file chooser ("Open"): the path typed there lands in the field, and "Delete!"
// zaps the file; the main window stays. The chooser leaves the recent files as they were.
TEST_F(ZapfileGtkTest, WindowsAnswerTheKeyboard) {
    const std::string path = dir / "doc";
    const Strings tab = {"key", "Tab"}, back = {"key", "shift+Tab"}, space = {"key", "space"};
    const Strings main = {"focus", "Ko Zapfile"}, cofirm = {"focus", "Cofirm"};
    const Strings noMain = {"closed", "Ko Zapfile"}, escape = {"key", "Escape"};
    const struct {
        bool named;
        std::vector<Strings> steps;
        bool fileStays;
    } runs[] = {
        {false, {main, tab, {"key", "Return"}}, true},
        {false, {main, back, tab, back, space}, true},
        {true, {cofirm, noMain, escape, {"key", "alt+n"}}, true},
        {true, {cofirm, noMain, {"key", "Return"}}, false},
        {false, {main, tab, tab, tab, space, {"focus", "Error."}, escape, {"closed", "Error."},
                 main, escape}, true},
        {false, {main, space, {"focus", "Open"}, {"key", "ctrl+l"}, {"type", path},
                 {"key", "Return"}, {"closed", "Open"}, main, tab, tab, tab, space, main, escape},
         false},
    };
    WithRecentFiles();
    for (const auto& run : runs) {
        testenv::WriteFile(path, "secret");
        Play(run.named ? Strings{ZAPFILE_BIN, path} : Strings{ZAPFILE_BIN}, run.steps);
        EXPECT_EQ(run.fileStays, testenv::Exists(path)) << run.steps.back()[1];
    }
}

// GTK is loaded only to show a window: a deletion with nothing to ask runs without it. Alone
// in a folder, without its module, the program says in one line where the module was looked
// for and fails, and a question goes to the headless backend, which answers No after the
// same line.
TEST_F(ZapfileGtkTest, DeletionWithNothingToAskLoadsNoGtkAndAMissingModuleIsReported) {
    ASSERT_EQ(0, StoreAskUser("0").exitCode);
    const std::string path = dir / "gone";
    testenv::WriteFile(path, "secret");
    auto env = Env();
    env["LD_DEBUG"] = "files";  // lists the libraries loaded
    auto r = testproc::Run({ZAPFILE_BIN, path}, env);
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(std::string::npos, r.err.find("libgtk-3.so")) << r.err;

    const std::filesystem::path folder = std::filesystem::canonical(dir.path());
    const std::string alone = folder / "bin" / "zapfile";
    std::filesystem::create_directory(folder / "bin");
    std::filesystem::copy_file(ZAPFILE_BIN, alone);
    const std::string missing = "GTK: the module libzapfile-gtk.so is missing: looked for " +
                                (folder / "bin/libzapfile-gtk.so").string() + " and " +
                                (folder / "lib/zapfile/libzapfile-gtk.so").string() + "\n";
    r = testproc::Run({alone}, Env());
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ("zapfile: cannot show the \"Ko Zapfile\" window: " + missing, r.err);
    ASSERT_EQ(0, StoreAskUser("1").exitCode);
    testenv::WriteFile(path, "secret");
    r = testproc::Run({alone, path}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_TRUE(testenv::Exists(path));
    EXPECT_EQ(0u, r.err.find("zapfile: cannot show a window: " + missing + "zapfile: Cofirm "))
        << r.err;
    EXPECT_NE(std::string::npos, r.err.find("(no terminal or window to ask: answered No)")) << r.err;
}

}  // namespace
