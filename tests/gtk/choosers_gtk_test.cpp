// tests/gtk/choosers_gtk_test.cpp
// The example program zapfile-choosers on a virtual display with a window manager (jwm, set
// up by tests/gtk/jwmrc), driven with keys alone: the save, folder and colour choosers give
// what the library promises, and the window comes back where it was left.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <future>
#include <sstream>
#include <thread>

#include "display.h"
#include "process.h"
#include "test_env.h"

namespace {

using Strings = std::vector<std::string>;

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class ChoosersGtkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = new testdisplay::VirtualDisplay;
        wm = testproc::Start({JWM_BIN, "-f", JWMRC}, {{"DISPLAY", display->name()}}, [] {
            const pid_t pid = fork();
            if (pid == 0)
                prctl(PR_SET_PDEATHSIG, SIGTERM);
            return pid;
        });
        // The window manager says it runs on the root window.
        for (int i = 0; i < 100; ++i, Pause(100))
            if (testproc::Run({XPROP_BIN, "-root", "_NET_SUPPORTING_WM_CHECK"},
                              {{"DISPLAY", display->name()}})
                    .out.find("window id") != std::string::npos)
                break;
    }
    static void TearDownTestSuite() {
        if (wm > 0 && kill(wm, SIGTERM) == 0)
            waitpid(wm, nullptr, 0);
        delete display;
    }
    void SetUp() override { ASSERT_NE("", display->name()) << "Xvfb did not start within 10 s"; }

    std::map<std::string, std::string> Env() const {
        return {{"XDG_CONFIG_HOME", dir / "config"},
                {"XDG_DATA_HOME", dir / "data"},  // where GTK would list recent files
                {"DISPLAY", display->name()},
                {"WAYLAND_DISPLAY", ""},
                {"NO_AT_BRIDGE", "1"},
                {"GSETTINGS_BACKEND", "memory"}};  // GTK's own custom colours stay in the run
    }
    testproc::Result Xdotool(Strings args) const {
        args.insert(args.begin(), XDOTOOL_BIN);
        return testproc::Run(args, Env(), "", 5000);
    }
    // The id of the shown window with that title (a regular expression), waited for up to
    // 10 s; with `gone`, "" once none is shown.
    std::string FindWindow(const std::string& title, bool gone = false) const {
        std::string id;
        for (int i = 0; i < 100; ++i, Pause(100)) {
            id = Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).out;
            id = id.substr(0, id.find('\n'));
            if (id.empty() == gone)
                break;
        }
        return id;
    }
    // Where the window stands on the screen, "x,y".
    std::string Position(const std::string& title) const {
        const std::string out = Xdotool({"getwindowgeometry", FindWindow(title)}).out;
        const size_t at = out.find("Position: ");
        return at == std::string::npos ? "" : out.substr(at + 10, out.find(' ', at + 10) - at - 10);
    }

    // Starts the example in `dir`, then plays `steps`: {"focus", title} waits for that window
    // and sends the keys after it there, {"closed", title} waits for it to go, {"key", ...}
    // and {"type", text} go to the focused window, {"call", i} runs calls[i]. Returns what the
    // program wrote, one result a line, once it ends.
    Strings Play(const std::vector<Strings>& steps,
                 const std::vector<std::function<void()>>& calls = {}) const {
        auto run = std::async(std::launch::async, testproc::Run,
                              Strings{"/bin/sh", "-c", "cd \"$0\" && exec \"$1\"",
                                      dir.path().string(), CHOOSERS_BIN},
                              Env(), "", 40000);
        std::string window;
        for (const Strings& step : steps) {
            if (step[0] == "focus") {
                window = FindWindow(step[1]);
                EXPECT_NE("", window) << "no " << step[1] << " within 10 s";
                if (window.empty())
                    break;
                Pause(500);  // a window just mapped may not take keys yet
            } else if (step[0] == "closed") {
                EXPECT_EQ("", FindWindow(step[1], true)) << step[1] << " still open after 10 s";
            } else if (step[0] == "call") {
                calls.at(std::stoul(step[1]))();
            } else {
                EXPECT_EQ(0, Xdotool({"windowfocus", "--sync", window}).exitCode);
                EXPECT_EQ(0, Xdotool(step).exitCode) << step[1];
                Pause(step[0] == "type" ? 600 : 150);  // a typed path is completed after a moment
            }
        }
        const testproc::Result r = run.get();
        EXPECT_EQ(0, r.exitCode) << r.err;
        Strings lines;
        std::istringstream out(r.out);
        for (std::string line; std::getline(out, line);)
            lines.push_back(line);
        return lines;
    }

    static testdisplay::VirtualDisplay* display;
    static pid_t wm;
    testenv::TempDir dir;
};
testdisplay::VirtualDisplay* ChoosersGtkTest::display = nullptr;
pid_t ChoosersGtkTest::wm = -1;

const Strings kMain = {"focus", "Zapfile Choosers"};
const Strings kTab = {"key", "Tab"}, kSpace = {"key", "space"}, kReturn = {"key", "Return"};
const Strings kEscape = {"key", "Escape"};

// "Save..." (the first button): a name that exists is asked about; No shows the chooser again,
// Yes takes the name, and the file is left as it was. Nothing goes into the recent files.
TEST_F(ChoosersGtkTest, SaveAsksBeforeReplacingAndLandsThePath) {
    testenv::WriteFile(dir / "old.txt", "kept");
    const Strings lines =
        Play({kMain, kSpace, {"focus", "Save As"}, {"type", "old.txt"}, kReturn,
              {"focus", "Confirm Save As"}, {"key", "alt+n"}, {"closed", "Confirm Save As"},
              {"focus", "Save As"}, kReturn, {"focus", "Confirm Save As"}, {"key", "alt+y"},
              {"closed", "Save As"}, kMain, kSpace, {"focus", "Save As"}, kEscape,
              {"closed", "Save As"}, kMain, kEscape});
    EXPECT_EQ(Strings({"Save to: " + dir / "old.txt", "Save: cancelled"}), lines);
    EXPECT_EQ("kept", testenv::ReadFile(dir / "old.txt"));
    EXPECT_EQ(std::string::npos,
              testenv::ReadFile(dir / "data/recently-used.xbel").find("<bookmark"));
}

// "Folder..." (one Tab on): a folder typed into the chooser comes back with its leaf name.
TEST_F(ChoosersGtkTest, FolderBrowserGivesTheFolderAndItsLeaf) {
    std::filesystem::create_directories(dir / "Music/Live");
    const std::string title = "Choose a folder, then press <Ok>.";
    const Strings lines =
        Play({kMain, kTab, kSpace, {"focus", title}, {"key", "ctrl+l"},
              {"type", dir / "Music/Live"}, kReturn, {"closed", title}, kMain, kSpace,
              {"focus", title}, kEscape, {"closed", title}, kMain, kEscape});
    EXPECT_EQ(Strings({"Folder: " + dir / "Music/Live" + "  Leaf: Live", "Folder: cancelled"}),
              lines);
}

// "Colour..." (two Tabs on). The chooser opens on blue, the colour stored last (none yet),
// its focus on the first basic colour; six rows down are the custom colours, "+" two rows
// further, whose editor offers #BF4040. A colour made there is a custom colour in the next
// call; Escape gives back the colour the chooser was opened with.
TEST_F(ChoosersGtkTest, ColourComesBackAndAMixedColourIsOfferedNextTime) {
    const Strings down = {"key", "Down"};
    const std::vector<Strings> calls[] = {
        // "+", its editor, "Select": a mixed colour
        {down, down, down, down, down, down, down, down, kReturn, kReturn},
        {kReturn, kReturn},  // the first basic colour
        {down, down, down, down, down, down, kReturn, kReturn},  // the first custom colour
        {kEscape},
    };
    std::vector<Strings> steps = {kMain, kTab, kTab};
    for (const auto& keys : calls) {
        steps.insert(steps.end(), {kMain, kSpace, {"focus", "Color"}});
        steps.insert(steps.end(), keys.begin(), keys.end());
        steps.push_back({"closed", "Color"});
    }
    steps.insert(steps.end(), {kMain, kEscape});
    const Strings lines = Play(steps);
    EXPECT_EQ(Strings({"Colour: #BF4040  Custom: #BF4040", "Colour: #FF8080  Custom: #BF4040",
                       "Colour: #BF4040  Custom: #BF4040", "Colour: #BF4040  Custom: #BF4040"}),
              lines);
}

// Moved with the keyboard (the window manager's Alt+F7), closed and started again, the window
// stands where it was left.
TEST_F(ChoosersGtkTest, WindowComesBackWhereItWasLeft) {
    std::string first, moved, again;
    const Strings right = {"key", "Right"}, down = {"key", "Down"};
    Play({kMain, {"call", "0"}, {"key", "alt+F7"}, right, right, right, right, right, down, down,
          down, kReturn, {"call", "1"}, kEscape},
         {[&] { first = Position("Zapfile Choosers"); },
          [&] { moved = Position("Zapfile Choosers"); }});
    Play({kMain, {"call", "0"}, kEscape}, {[&] { again = Position("Zapfile Choosers"); }});
    ASSERT_NE("", first);
    EXPECT_NE(first, moved) << "the window did not move";
    EXPECT_EQ(moved, again);
}

}  // namespace
