// tests/e2e/command_line_test.cpp
// The built programs' command line as tools have it: --version and --help, wrong options
// refused before anything is touched, "--", and rm's exit status with a line on standard error
// for each path that was refused. Every run checks the files around it afterwards.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "process.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;
using Strings = std::vector<std::string>;

const std::string kVersion = " (Ko Zapfile) Version 0.3 (Build 20060208)\n";

class ZapfileCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        work = dir / "work";
        fs::create_directory(work);
        // The names a careless parser could reach: files named like the options.
        for (const char* name : {"-x", "--bogus", "--help", "-", "victim"})
            testenv::WriteFile(work + "/" + name, std::string("keep ") + name);
    }
    std::map<std::string, std::string> Env() const {
        return {{"XDG_CONFIG_HOME", dir / "config"}, {"XDG_DATA_HOME", dir / "data"},
                {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    }
    // Runs zapfile in the work folder, without a terminal.
    testproc::Result Zap(Strings args) const {
        args.insert(args.begin(), {"/usr/bin/env", "-C", work, ZAPFILE_BIN});
        return testproc::Run(args, Env());
    }
    void AskUser(const char* value) const {
        const auto r = testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v",
                                      "bAskUser", "/d", value, "/f"}, Env());
        ASSERT_EQ(0, r.exitCode) << r.err;
    }
    // Every entry of the work folder: its kind, mode and contents (a link's target).
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> all;
        for (const auto& e : fs::directory_iterator(work)) {
            struct stat st;
            lstat(e.path().c_str(), &st);
            std::string what = std::to_string(st.st_mode) + ":";
            if (S_ISREG(st.st_mode))
                what += testenv::ReadFile(e.path());
            else if (S_ISLNK(st.st_mode))
                what += fs::read_symlink(e.path()).string();
            all[e.path().filename()] = what;
        }
        return all;
    }
    testenv::TempDir dir;
    std::string work;
};

TEST_F(ZapfileCommandLine, VersionAndHelpTouchNothing) {
    AskUser("0");
    const auto before = Snapshot();
    for (const Strings& args : {Strings{"--version"}, Strings{"--vers", "victim"},
                                Strings{"victim", "--version"}}) {
        const auto r = Zap(args);
        EXPECT_EQ(0, r.exitCode);
        EXPECT_EQ("zapfile" + kVersion, r.out);
        EXPECT_EQ("", r.err);
    }
    for (const Strings& args : {Strings{"-h"}, Strings{"--help", "victim"}, Strings{"-h", "-x"}}) {
        const auto r = Zap(args);
        EXPECT_EQ(0, r.exitCode);
        EXPECT_EQ(0u, r.out.find("Usage: zapfile [OPTION]... [--] [FILE]...\n")) << r.out;
        EXPECT_EQ("", r.err);
    }
    EXPECT_EQ(before, Snapshot());

    const auto reg = testproc::Run({ZAPFILE_REG_BIN, "--version"}, Env());
    EXPECT_EQ(0, reg.exitCode);
    EXPECT_EQ("zapfile-reg" + kVersion, reg.out);
    for (const char* help : {"--help", "-h", "/?"}) {
        const auto r = testproc::Run({ZAPFILE_REG_BIN, help}, Env());
        EXPECT_EQ(0, r.exitCode) << help;
        EXPECT_EQ(0u, r.out.find("Usage:\n  zapfile-reg query KEY")) << help << r.out;
    }
}

// A wrong option anywhere before "--" stops the program before the first path, even with
// the question off and a path that would be deleted standing before the option.
TEST_F(ZapfileCommandLine, WrongOptionsGiveTheUsageAndStatusTwoAndTouchNothing) {
    AskUser("0");
    const auto before = Snapshot();
    const std::pair<Strings, std::string> cases[] = {
        {{"-x"}, "zapfile: invalid option -- 'x'\n"},
        {{"victim", "-x"}, "zapfile: invalid option -- 'x'\n"},
        {{"--bogus", "victim"}, "zapfile: unrecognized option '--bogus'\n"},
        {{"victim", "--help=1"}, "zapfile: option '--help=1' takes no argument\n"},
        {{"-xh"}, "zapfile: invalid option -- 'x'\n"},
        {{"-5", "--", "victim"}, "zapfile: invalid option -- '5'\n"},
    };
    for (const auto& [args, message] : cases) {
        const auto r = Zap(args);
        EXPECT_EQ(2, r.exitCode) << testing::PrintToString(args);
        EXPECT_EQ("", r.out);
        EXPECT_EQ(0u, r.err.find(message + "Usage: zapfile ")) << r.err;
        EXPECT_EQ(before, Snapshot()) << testing::PrintToString(args);
    }
}

// After "--", and as ./-x, a name that begins with '-' is a path; a lone "-" always is.
TEST_F(ZapfileCommandLine, DoubleDashAndDotSlashReachFilesNamedLikeOptions) {
    AskUser("0");
    auto expected = Snapshot();
    const std::pair<Strings, std::string> cases[] = {
        {{"--", "-x"}, "-x"},
        {{"--", "--help"}, "--help"},
        {{"./--bogus"}, "--bogus"},
        {{"-"}, "-"},
    };
    for (const auto& [args, gone] : cases) {
        const auto r = Zap(args);
        EXPECT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ("", r.err);
        expected.erase(gone);
        EXPECT_EQ(expected, Snapshot()) << testing::PrintToString(args);
    }
}

// 0 when every path was deleted or answered No, 1 when any was refused; each refused path is
// named with its reason after the error box, and the paths after it are still handled.
TEST_F(ZapfileCommandLine, ExitStatusAndOneLinePerRefusedPath) {
    AskUser("0");
    fs::create_directory(work + "/folder");
    fs::create_symlink("victim", work + "/link");
    testenv::WriteFile(work + "/read-only", "keep");
    chmod((work + "/read-only").c_str(), 0444);
    mkfifo((work + "/fifo").c_str(), 0644);
    testenv::WriteFile(work + "/gone1", "x");
    testenv::WriteFile(work + "/gone2", "x");
    testenv::WriteFile(work + "/say\"hi\"", "keep");
    const std::string tooLong(259, 'n');
    auto expected = Snapshot();
    expected.erase("gone1");
    expected.erase("gone2");

    auto r = Zap({"gone1", "folder", "link", "read-only", "fifo", "no-such-folder/f", "say\"hi\"",
                  tooLong, "", "gone2"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ(expected, Snapshot());
    const std::pair<std::string, std::string> refused[] = {
        {"folder", "Is a directory"},
        {"link", "Is a symbolic link"},
        {"read-only", "Read-only file"},
        {"fifo", "Not a regular file"},
        {"no-such-folder/f", "No such file or directory"},
        {"say\"hi\"", "Name contains a double quote"},
        {tooLong, "File name too long"},
        {"", "No such file or directory"},
    };
    std::string lines;
    for (const auto& [path, reason] : refused)
        lines += "zapfile: Error. Couldn't delete file.\n"
                 "zapfile: cannot delete '" + path + "': " + reason + "\n";
    EXPECT_EQ(lines, r.err);

    // All deleted, or none asked for: 0.
    testenv::WriteFile(work + "/gone1", "x");
    r = Zap({"gone1", "not-there-yet"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_EQ(expected, Snapshot());

    // Answered No, here by nobody (no terminal, no display): 0, and the file stays.
    AskUser("1");
    r = Zap({"victim"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(expected, Snapshot());
    EXPECT_EQ(npos, r.err.find("cannot delete")) << r.err;
}

}  // namespace
