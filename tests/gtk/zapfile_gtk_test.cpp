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
                     {"DISPLAY", display->name()},
                     {"WAYLAND_DISPLAY", ""},
                     {"NO_AT_BRIDGE", "1"}});  // no accessibility bus on a virtual display
        return more;
    }
    testproc::Result Xdotool(Strings args) const {
        args.insert(args.begin(), XDOTOOL_BIN);
        return testproc::Run(args, Env(), "", 5000);
    }
    // The id of the shown window with that exact title, waited for up to 10 s; or "".
    std::string FindWindow(const std::string& title, int tries = 100) const {
        for (int i = 0; i < tries; ++i) {
            const std::string out =
                Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).out;
            if (!out.empty())
                return out.substr(0, out.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "";
    }
    testproc::Result StoreAskUser(const std::string& value) const {
        return testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                              "/t", "REG_SZ", "/d", value, "/f"}, Env());
    }
    std::string File(const std::string& name) const {
        testenv::WriteFile(dir / name, "secret");
        return dir / name;
    }

    static testdisplay::VirtualDisplay* display;
    testenv::TempDir dir;
};
testdisplay::VirtualDisplay* ZapfileGtkTest::display = nullptr;

// In the main window Tab leads from "..." to the field, and Shift+Tab from "..." to "Close":
// the focus starts on "...". A file named on the command line is asked about in a window of
// its own.
TEST_F(ZapfileGtkTest, WindowsAnswerTheKeyboard) {
    const struct {
        bool named;
        const char* title;
        std::vector<Strings> keys;
        bool fileStays;
    } runs[] = {
        {false, "Ko Zapfile", {{"key", "Tab"}, {"type", "/tmp/typed"}, {"key", "Escape"}}, true},
        {false, "Ko Zapfile", {{"key", "shift+Tab"}, {"key", "space"}}, true},
        {true, "Cofirm", {{"key", "alt+n"}}, true},
        {true, "Cofirm", {{"key", "Return"}}, false},
    };
    for (const auto& run : runs) {
        const std::string path = File("doc");
        const Strings argv = run.named ? Strings{ZAPFILE_BIN, path} : Strings{ZAPFILE_BIN};
        auto zap = std::async(std::launch::async, testproc::Run, argv, Env(), "", 15000);
        const std::string window = FindWindow(run.title);
        ASSERT_NE("", window) << "no " << run.title << " within 10 s; " << zap.get().err;
        EXPECT_TRUE(!run.named || FindWindow("Ko Zapfile", 1).empty()) << "main window shown";
        for (const Strings& key : run.keys) {
            EXPECT_EQ(0, Xdotool({"windowfocus", "--sync", window}).exitCode);
            EXPECT_EQ(0, Xdotool(key).exitCode) << key[1];
        }
        const testproc::Result r = zap.get();
        EXPECT_EQ(0, r.exitCode) << run.keys.back()[1] << " did not end the program; " << r.err;
        EXPECT_EQ(run.fileStays, testenv::Exists(path)) << run.title << ", " << run.keys.back()[1];
    }
}

TEST_F(ZapfileGtkTest, DeletionWithNothingToAskNeedsNoGtkAndNoModule) {
    ASSERT_EQ(0, StoreAskUser("0").exitCode);
    const std::string path = File("gone");
    auto r = testproc::Run({ZAPFILE_BIN, path}, Env({{"LD_DEBUG", "files"}}));  // lists libraries
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(npos, r.err.find("libgtk-3.so")) << r.err;

    // The program alone in a folder, without its module: it deletes, the window gives way to
    // one line saying why, and a question to the headless backend, which answers No.
    const std::string zapfile = dir / "alone";
    std::filesystem::copy_file(ZAPFILE_BIN, zapfile);
    const std::string gone = File("gone too");
    r = testproc::Run({zapfile, gone}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(gone));
    EXPECT_EQ("", r.err);
    r = testproc::Run({zapfile}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(npos, r.err.find("GTK: cannot load libzapfile-gtk.so: ")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    ASSERT_EQ(0, StoreAskUser("1").exitCode);
    const std::string kept = File("kept");
    r = testproc::Run({zapfile, kept}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_TRUE(testenv::Exists(kept));
    EXPECT_NE(npos, r.err.find("Cofirm")) << r.err;
}

}  // namespace
