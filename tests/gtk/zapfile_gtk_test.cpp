// tests/gtk/zapfile_gtk_test.cpp
// The built zapfile on a virtual display, started as a desktop or a file manager starts it
// (no terminal) and answered with the keyboard through the X server, as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "display.h"
#include "process.h"
#include "test_env.h"

namespace {

constexpr auto npos = std::string::npos;

class ZapfileGtkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display = new testdisplay::VirtualDisplay; }
    static void TearDownTestSuite() { delete display; }
    void SetUp() override {
        ASSERT_NE("", display->name()) << "Xvfb did not start within 10 s";
        ASSERT_EQ(0, access(XDOTOOL_BIN, X_OK)) << "xdotool is missing";
    }

    std::map<std::string, std::string> Env(std::map<std::string, std::string> more = {}) const {
        more.insert({{"XDG_CONFIG_HOME", dir / "config"},
                     {"DISPLAY", display->name()},
                     {"WAYLAND_DISPLAY", ""},
                     {"NO_AT_BRIDGE", "1"}});  // no accessibility bus on a virtual display
        return more;
    }
    testproc::Result Xdotool(const std::vector<std::string>& args) const {
        std::vector<std::string> argv = {XDOTOOL_BIN};
        argv.insert(argv.end(), args.begin(), args.end());
        return testproc::Run(argv, Env(), "", 5000);
    }
    // The id of the shown window with that exact title, or "".
    std::string FindWindow(const std::string& title) const {
        const std::string out = Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).out;
        return out.substr(0, out.find('\n'));
    }
    std::string WaitForWindow(const std::string& title) const {
        for (int i = 0; i < 100; ++i) {
            const std::string id = FindWindow(title);
            if (!id.empty())
                return id;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "";
    }
    // Gives the window the keyboard, then sends what xdotool is told (keys or typing).
    void Send(const std::string& window, const std::vector<std::string>& action) const {
        auto focus = Xdotool({"windowfocus", "--sync", window});
        ASSERT_EQ(0, focus.exitCode) << focus.err;
        auto r = Xdotool(action);
        ASSERT_EQ(0, r.exitCode) << r.err;
    }
    void StoreAskUser(const std::string& value) const {
        auto r = testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v",
                                "bAskUser", "/t", "REG_SZ", "/d", value, "/f"},
                               Env());
        ASSERT_EQ(0, r.exitCode) << r.err;
    }
    std::string File(const std::string& name) const {
        testenv::WriteFile(dir / name, "secret");
        return dir / name;
    }

    static testdisplay::VirtualDisplay* display;
    testenv::TempDir dir;
};
testdisplay::VirtualDisplay* ZapfileGtkTest::display = nullptr;

TEST_F(ZapfileGtkTest, MainWindowAnswersTheKeyboardAsOnWindows) {
    // Shift+Tab then space reaches "Close" only from "...", the first tab stop, so the focus
    // starts there; from it Tab reaches the field, where Return asks for IDOK.
    const std::vector<std::pair<const char*, std::vector<std::vector<std::string>>>> runs = {
        {"Tab, typing, Escape", {{"key", "Tab"}, {"type", "/tmp/typed"}, {"key", "Escape"}}},
        {"Tab, typing, Return", {{"key", "Tab"}, {"type", "/tmp/typed"}, {"key", "Return"}}},
        {"Shift+Tab, space", {{"key", "shift+Tab"}, {"key", "space"}}},
    };
    for (const auto& [what, actions] : runs) {
        testdisplay::Background zap({ZAPFILE_BIN}, Env());
        const std::string window = WaitForWindow("Ko Zapfile");
        ASSERT_NE("", window) << what << ": no window within 10 s; " << zap.Stderr();
        for (const auto& action : actions)
            Send(window, action);
        EXPECT_EQ(0, zap.Wait(5000)) << what << ": did not end the program; " << zap.Stderr();
    }
}

TEST_F(ZapfileGtkTest, FromAFileManagerTheQuestionIsAWindowOfItsOwn) {
    for (const bool yes : {false, true}) {
        const std::string path = File("doc");
        // LD_DEBUG lists every library the run maps.
        testdisplay::Background zap({ZAPFILE_BIN, path}, Env({{"LD_DEBUG", "files"}}));
        const std::string box = WaitForWindow("Cofirm");
        ASSERT_NE("", box) << "no question within 10 s; " << zap.Stderr();
        EXPECT_EQ("", FindWindow("Ko Zapfile")) << "the main window must not appear";
        // Escape does not answer a question; the answer after it does.
        Send(box, {"key", "Escape"});
        Send(box, {"key", yes ? "Return" : "alt+n"});
        EXPECT_EQ(0, zap.Wait(5000)) << zap.Stderr();
        EXPECT_EQ(!yes, testenv::Exists(path)) << (yes ? "Yes" : "No");
        EXPECT_NE(npos, zap.Stderr().find("libgtk-3.so"));
    }
}

TEST_F(ZapfileGtkTest, DeletionWithNothingToAskNeedsNoGtkAndNoModule) {
    StoreAskUser("0");
    const std::string path = File("gone");
    auto r = testproc::Run({ZAPFILE_BIN, path}, Env({{"LD_DEBUG", "files"}}));
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(npos, r.err.find("libzapfile-gtk.so")) << r.err;
    EXPECT_EQ(npos, r.err.find("libgtk-3.so")) << r.err;

    // The program alone in a folder, without its module, on a display all the same.
    const std::string zapfile = dir / "alone";
    std::filesystem::copy_file(ZAPFILE_BIN, zapfile);
    const std::string gone = File("gone too");
    r = testproc::Run({zapfile, gone}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(gone));
    EXPECT_EQ("", r.err);
    // There the window cannot be shown, and one line says why...
    r = testproc::Run({zapfile}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(npos, r.err.find("GTK: cannot load libzapfile-gtk.so: ")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    // ...and a question falls back to the headless backend, which answers No.
    StoreAskUser("1");
    const std::string kept = File("kept");
    r = testproc::Run({zapfile, kept}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_TRUE(testenv::Exists(kept));
    EXPECT_NE(npos, r.err.find("Cofirm")) << r.err;
}

}  // namespace
