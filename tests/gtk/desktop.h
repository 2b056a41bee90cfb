// tests/gtk/desktop.h
// A virtual X display of the tests' own (Xvfb, with a window manager when asked for), and a
// user at it: programs started there and answered with keys sent through the X server.
#ifndef ZAPFILE_TEST_DESKTOP_H
#define ZAPFILE_TEST_DESKTOP_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <functional>
#include <future>
#include <thread>

#include "process.h"
#include "test_env.h"

namespace desktop {

using Strings = std::vector<std::string>;

inline void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Forks a child that ends with this process (a test killed on its time-out leaves nothing).
inline pid_t ForkTied() {
    const pid_t pid = fork();
    if (pid == 0)
        prctl(PR_SET_PDEATHSIG, SIGTERM);
    return pid;
}

class VirtualDisplay {
public:
    VirtualDisplay() {
        int fds[2];
        if (pipe(fds) != 0 || (pid_ = ForkTied()) < 0)
            return;
        if (pid_ == 0) {
            const int devNull = open("/dev/null", O_RDWR);
            for (int fd : {0, 1, 2})
                dup2(devNull, fd);
            // -noreset: else the server refuses clients for a moment whenever its last one leaves.
            execl(XVFB_BIN, "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0",
                   "1024x768x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the number it picked, then a newline, once it accepts clients.
        FILE* in = fdopen(fds[0], "r");
        char number[16] = "";
        if (fgets(number, sizeof number, in) != nullptr && number[0] != '\n')
            name_ = ":" + std::string(number, strcspn(number, "\n"));
        fclose(in);
    }
    ~VirtualDisplay() {
        if (pid_ > 0 && kill(pid_, SIGTERM) == 0)
            waitpid(pid_, nullptr, 0);
    }
    // Empty when Xvfb did not start.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The desktop's recent files as another program left them: a chooser must leave them so.
inline const std::string kRecentFiles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
    "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
    "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <bookmark href=\"file:///elsewhere/kept.txt\" added=\"2026-01-01T00:00:00Z\" "
    "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\"/>\n</xbel>";

// Each test suite has a display of its own; each test a scratch folder for its files,
// settings and recent files.
class DesktopTest : public ::testing::Test {
protected:
    // Starts the display, and the window manager `wm` on it when one is given.
    static void StartDisplay(const Strings& wm = {}) {
        display = new VirtualDisplay;
        if (wm.empty())
            return;
        wmPid = testproc::Start(wm, {{"DISPLAY", display->name()}}, ForkTied);
        // The window manager says it runs on the root window.
        for (int i = 0; i < 100; ++i, Pause(100))
            if (testproc::Run({XPROP_BIN, "-root", "_NET_SUPPORTING_WM_CHECK"},
                              {{"DISPLAY", display->name()}}).out.find("window id") != std::string::npos)
                break;
    }
    static void TearDownTestSuite() {
        if (wmPid > 0 && kill(wmPid, SIGTERM) == 0)
            waitpid(wmPid, nullptr, 0);
        delete display;
    }
    void SetUp() override { ASSERT_NE("", display->name()) << "Xvfb did not start"; }
    // The recent files hold another program's entry, which the test must leave as it is.
    void WithRecentFiles() {
        std::filesystem::create_directories(dir / "data");
        testenv::WriteFile(dir / "data/recently-used.xbel", kRecentFiles);
    }
    void TearDown() override {
        if (testenv::Exists(dir / "data/recently-used.xbel"))
            EXPECT_EQ(kRecentFiles, testenv::ReadFile(dir / "data/recently-used.xbel"));
    }

    std::map<std::string, std::string> Env() const {
        return {{"XDG_CONFIG_HOME", dir / "config"},
                {"XDG_DATA_HOME", dir / "data"},  // where GTK lists recent files
                {"DISPLAY", display->name()},
                {"WAYLAND_DISPLAY", ""},
                {"NO_AT_BRIDGE", "1"},  // no accessibility bus (accessibility_test.py has one)
                {"GSETTINGS_BACKEND", "memory"}};  // GTK's own settings stay in the run
    }
    testproc::Result Xdotool(Strings args) const {
        args.insert(args.begin(), XDOTOOL_BIN);
        return testproc::Run(args, Env(), "", 5000);
    }
    // The id of the shown window with that title (a regular expression), waited for up to
    // 10 s, else ""; with `gone`, "" as soon as none is shown, waited for as long.
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

    // Starts argv in the scratch folder, then plays `steps`: {"focus", title} waits for that
    // window and sends the keys after it there, {"closed", title} waits for it to go,
    // {"key", ...} and {"type", text} go to the focused window, {"call", i} runs calls[i].
    // Returns the program's run once it ends, which must be with status 0.
    testproc::Result Play(Strings argv, const std::vector<Strings>& steps,
                          const std::vector<std::function<void()>>& calls = {}) const {
        argv.insert(argv.begin(), {"/usr/bin/env", "-C", dir.path().string()});
        auto run = std::async(std::launch::async, testproc::Run, argv, Env(), "", 40000);
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
        testproc::Result r = run.get();
        EXPECT_EQ(0, r.exitCode) << steps.back()[1] << " did not end the program; " << r.err;
        return r;
    }

    inline static VirtualDisplay* display = nullptr;
    inline static pid_t wmPid = -1;
    testenv::TempDir dir;
};

}  // namespace desktop

#endif
