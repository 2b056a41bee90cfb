// tests/gtk/zapfile_gtk_test.cpp
// The built zapfile on a virtual display, started without a terminal as a desktop or a file
// manager starts it, and answered with keys sent through the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <thread>

#include "display.h"
#include "process.h"
#include "test_env.h"

namespace {

constexpr auto npos = std::string::npos;
using Strings = std::vector<std::string>;

class ZapfileGtkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display = new testdisplay::VirtualDisplay; }
    static void TearDownTestSuite() { delete display; }
    void SetUp() override { ASSERT_NE("", display->name()) << "Xvfb did not start within 10 s"; }

    std::map<std::string, std::string> Env(std::map<std::string, std::string> more = {}) const {
        more.insert({{"XDG_CONFIG_HOME", dir / "config"},
                     {"XDG_DATA_HOME", dir / "data"},  // the chooser's list of recent files
                     {"DISPLAY", display->name()},
                     {"WAYLAND_DISPLAY", ""},
                     {"NO_AT_BRIDGE", "1"}});  // no accessibility bus on a virtual display
        return more;
    }
    testproc::Result Xdotool(Strings args) const {
        args.insert(args.begin(), XDOTOOL_BIN);
        return testproc::Run(args, Env(), "", 5000);
    }
    // The id of the shown window with that exact title, waited for up to 10 s, else ""; with
    // `gone`, "" as soon as no such window is shown, waited for as long.
    std::string FindWindow(const std::string& title, bool gone = false) const {
        std::string id;
        for (int i = 0; i < 100; ++i) {
            id = Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).out;
            id = id.substr(0, id.find('\n'));
            if (id.empty() == gone)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return id;
    }
    testproc::Result StoreAskUser(const std::string& value) const {
        return testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                              "/t", "REG_SZ", "/d", value, "/f"}, Env());
    }
    std::string File(const std::string& name) const {
        testenv::WriteFile(dir / name, "secret");
        return dir / name;
    }

    // Starts the program, then sends each step of `keys`; see WindowsAnswerTheKeyboard.
    void Play(const Strings& argv, const std::string& title, const std::vector<Strings>& keys,
              const std::string& path) const {
        const bool named = argv.size() > 1;
        auto zap = std::async(std::launch::async, testproc::Run, argv, Env(), "", 15000);
        std::string window = FindWindow(title);
        ASSERT_NE("", window) << "no " << title << " within 10 s; " << zap.get().err;
        EXPECT_TRUE(!named || FindWindow("Ko Zapfile", true).empty()) << "main window shown";
        for (Strings key : keys) {
            if (key[0] == "closed") {  // the keys after it go to the window that stays
                EXPECT_EQ("", FindWindow(key[1], true)) << key[1] << " still open after 10 s";
                continue;
            }
            if (key[0] == "focus") {
                window = FindWindow(key[1]);
                ASSERT_NE("", window) << "no " << key[1] << " within 10 s; " << zap.get().err;
                // A window just mapped may not yet take keys: the chooser fills itself first.
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                continue;
            }
            if (key[1] == "%path%")
                key[1] = path;
            EXPECT_EQ(0, Xdotool({"windowfocus", "--sync", window}).exitCode);
            EXPECT_EQ(0, Xdotool(key).exitCode) << key[1];
            if (key[0] == "type")  // the chooser completes a typed path after a moment
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        const testproc::Result r = zap.get();
        EXPECT_EQ(0, r.exitCode) << keys.back()[1] << " did not end the program; " << r.err;
    }

    static testdisplay::VirtualDisplay* display;
    testenv::TempDir dir;
};
testdisplay::VirtualDisplay* ZapfileGtkTest::display = nullptr;

// The focus starts on "...": Tab leads to the field, where Enter is OK, Shift+Tab to "Close"
// and Tab from there back to "..."; "Delete!" is three Tabs on. A question waits for Yes or
// No and ignores Escape; the error box ("Delete!" on an empty field) takes it. A file named on
// the command line is asked about in a window of its own. "..." opens the file chooser
// ("Open"): the path typed there lands in the field, and "Delete!" zaps the file; the main
// window stays. A step {"focus", title} waits for that window and sends the keys after it
// there, {"closed", title} waits for it to go; "%path%" stands for the file's path.
TEST_F(ZapfileGtkTest, WindowsAnswerTheKeyboard) {
    const Strings tab = {"key", "Tab"}, back = {"key", "shift+Tab"};
    const struct {
        bool named;
        const char* title;
        std::vector<Strings> keys;
        bool fileStays;
    } runs[] = {
        {false, "Ko Zapfile", {tab, {"key", "Return"}}, true},
        {false, "Ko Zapfile", {back, tab, back, {"key", "space"}}, true},
        {true, "Cofirm", {{"key", "Escape"}, {"key", "alt+n"}}, true},
        {true, "Cofirm", {{"key", "Return"}}, false},
        {false, "Ko Zapfile", {tab, tab, tab, {"key", "space"}, {"focus", "Error."},
                               {"key", "Escape"}, {"closed", "Error."}, {"focus", "Ko Zapfile"},
                               {"key", "Escape"}}, true},
        {false, "Ko Zapfile", {{"key", "space"}, {"focus", "Open"}, {"key", "ctrl+l"},
                               {"type", "%path%"}, {"key", "Return"}, {"closed", "Open"},
                               {"focus", "Ko Zapfile"}, tab, tab, tab, {"key", "space"},
                               {"focus", "Ko Zapfile"}, {"key", "Escape"}}, false},
    };
    // The desktop's recent files hold another program's entry.
    std::filesystem::create_directories(dir / "data");
    const std::string recentFiles =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
        "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
        "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <bookmark href=\"file:///elsewhere/kept.txt\" added=\"2026-01-01T00:00:00Z\" "
        "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\"/>\n</xbel>";
    testenv::WriteFile(dir / "data/recently-used.xbel", recentFiles);
    for (const auto& run : runs) {
        const std::string path = File("doc");
        Play(run.named ? Strings{ZAPFILE_BIN, path} : Strings{ZAPFILE_BIN}, run.title, run.keys,
             path);
        EXPECT_EQ(run.fileStays, testenv::Exists(path)) << run.title << ", " << run.keys.back()[1];
    }
    // The name of the file chosen and zapped is not left in the desktop's recent files, and
    // what the list held stays.
    EXPECT_EQ(recentFiles, testenv::ReadFile(dir / "data/recently-used.xbel"));
}

// "Ie Ext" is two Tabs on from "...", "?" two more. Register in "Ie Ext" writes the verb and
// answers with its box; Escape closes "Ie Ext", Return the About box.
TEST_F(ZapfileGtkTest, IeExtRegistersAndAboutCloses) {
    const Strings tab = {"key", "Tab"}, space = {"key", "space"};
    Play({ZAPFILE_BIN}, "Ko Zapfile",
         {tab, tab, space, {"focus", "Ie Ext"}, tab, space, {"focus", "Ie Ext Register."},
          {"key", "Return"}, {"closed", "Ie Ext Register."}, {"focus", "Ie Ext"},
          {"key", "Escape"}, {"closed", "Ie Ext"}, {"focus", "Ko Zapfile"}, tab, tab, space,
          {"focus", "About Zapfile"}, {"key", "Return"}, {"closed", "About Zapfile"},
          {"focus", "Ko Zapfile"}, {"key", "Escape"}},
         "");
    const testproc::Result q = testproc::Run(
        {ZAPFILE_REG_BIN, "query", "HKCR\\*\\shell\\Zapfile\\command", "/ve"}, Env());
    EXPECT_NE(npos, q.out.find("\"" ZAPFILE_BIN "\" \"%1\"")) << q.out << q.err;
}

TEST_F(ZapfileGtkTest, DeletionWithNothingToAskLoadsNoGtkAndAMissingModuleIsReported) {
    ASSERT_EQ(0, StoreAskUser("0").exitCode);
    const std::string path = File("gone");
    auto r = testproc::Run({ZAPFILE_BIN, path}, Env({{"LD_DEBUG", "files"}}));  // lists libraries
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(npos, r.err.find("libgtk-3.so")) << r.err;

    // The program alone in a folder, without its module: the window gives way to one line
    // saying where the module was looked for, and a question to the headless backend, which
    // answers No after the same line.
    const std::filesystem::path folder = std::filesystem::canonical(dir.path());
    const std::string alone = folder / "bin" / "zapfile";
    std::filesystem::create_directory(folder / "bin");
    std::filesystem::copy_file(ZAPFILE_BIN, alone);
    const std::string missing = "GTK: the module libzapfile-gtk.so is missing: looked for " +
                                (folder / "bin/libzapfile-gtk.so").string() + " and " +
                                (folder / "lib/zapfile/libzapfile-gtk.so").string() + "\n";
    r = testproc::Run({alone}, Env());
    EXPECT_EQ("zapfile: cannot show the \"Ko Zapfile\" window: " + missing, r.err);
    ASSERT_EQ(0, StoreAskUser("1").exitCode);
    const std::string kept = File("kept");
    r = testproc::Run({alone, kept}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_TRUE(testenv::Exists(kept));
    EXPECT_EQ(0u, r.err.find("zapfile: cannot show a window: " + missing + "zapfile: Cofirm "))
        << r.err;
    EXPECT_NE(npos, r.err.find("(no terminal or window to ask: answered No)")) << r.err;
}

}  // namespace
