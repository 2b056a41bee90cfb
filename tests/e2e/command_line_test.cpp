// tests/e2e/command_line_test.cpp
// The built zapfile on real files, as a user or a tool runs it: its question in a terminal,
// --version and --help, wrong options refused before anything is touched, "--", and rm's exit
// status with a line on standard error for each refused path. Every run checks the files
// around it afterwards.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "process.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kVersion = " (Ko Zapfile) Version 0.3 (Build 20060208)\n";

// True when `got` starts with `want`, and is empty when `want` is.
bool Starts(const std::string& got, const std::string& want) {
    return want.empty() ? got.empty() : got.rfind(want, 0) == 0;
}

class ZapfileCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(work);
        // The names a careless parser could reach: files named like the options, and what
        // quote removal would make of say"hi".
        for (const char* name : {"-x", "--bogus", "--help", "-", "victim", "say\"hi\"", "sayhi"})
            testenv::WriteFile(work + "/" + name, std::string("keep ") + name);
    }
    std::map<std::string, std::string> Env() const {
        return {{"XDG_CONFIG_HOME", dir / "config"}, {"XDG_DATA_HOME", dir / "data"},
                {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    }
    // Runs zapfile (or argv whole when it names a program) in the work folder, no terminal.
    testproc::Result Zap(Strings args, const std::string& input = "") const {
        if (args.empty() || args[0] != ZAPFILE_REG_BIN)
            args.insert(args.begin(), ZAPFILE_BIN);
        args.insert(args.begin(), {"/usr/bin/env", "-C", work});
        return testproc::Run(args, Env(), input);
    }
    void AskUser(const char* value) const {
        const auto r = Zap({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                            "/d", value, "/f"});
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
    const std::string work = dir / "work";
};

// Only "y" or "yes" (any case) deletes; each path gets its own question.
TEST_F(ZapfileCommandLine, TerminalQuestionShowsTheQuotedPathAndOnlyYesDeletes) {
    const std::string path = work + "/a b.txt";
    const std::pair<std::string, bool> answers[] = {{"n\r", false}, {"\r", false}, {"yess\r", false},
                                                    {"\x04", false}, {"y\r", true}, {"Yes\r", true}};
    testproc::Result r;
    for (const auto& [answer, deletes] : answers) {  // \x04: end of input
        testenv::WriteFile(path, "secret");
        r = testproc::RunInTerminal({ZAPFILE_BIN, path}, Env(), {{"[y/N] ", answer}});
        EXPECT_EQ(0, r.exitCode) << r.out;
        EXPECT_EQ(deletes, !testenv::Exists(path)) << answer;
    }
    EXPECT_NE(std::string::npos,
              r.out.find("Cofirm\r\nAre you sure you want to delete the file:\r\n\"" + path + "\""))
        << r.out;
    r = testproc::RunInTerminal({ZAPFILE_BIN, work + "/victim", work + "/-"}, Env(),
                                {{"[y/N] ", "y\r"}, {"[y/N] ", "n\r"}});
    EXPECT_FALSE(testenv::Exists(work + "/victim"));
    EXPECT_TRUE(testenv::Exists(work + "/-"));
}

// Options are read before any path: a wrong one anywhere before "--" stops the program with
// status 2, even with the question off and a path that would be deleted before the option.
TEST_F(ZapfileCommandLine, OptionsAreReadFirstAndAWrongOneTouchesNothing) {
    AskUser("0");
    const auto before = Snapshot();
    const std::string usage = "Usage: zapfile [OPTION]... [--] [FILE]...\n";
    const struct {
        Strings args;
        int code;
        std::string out, err;  // what each begins with
    } cases[] = {
        {{"--version"}, 0, "zapfile" + kVersion, ""},
        {{"--vers", "victim"}, 0, "zapfile" + kVersion, ""},
        {{"victim", "--version"}, 0, "zapfile" + kVersion, ""},
        {{"-h"}, 0, usage, ""},
        {{"--help", "victim"}, 0, usage, ""},
        {{"-h", "-x"}, 0, usage, ""},
        {{"-x"}, 2, "", "zapfile: invalid option -- 'x'\n" + usage},
        {{"victim", "-x"}, 2, "", "zapfile: invalid option -- 'x'\n"},
        {{"--bogus", "victim"}, 2, "", "zapfile: unrecognized option '--bogus'\n" + usage},
        {{"victim", "--help=1"}, 2, "", "zapfile: option '--help=1' takes no argument\n"},
        {{"-xh"}, 2, "", "zapfile: invalid option -- 'x'\n"},
        {{"-5", "--", "victim"}, 2, "", "zapfile: invalid option -- '5'\n"},
        {{ZAPFILE_REG_BIN, "--version"}, 0, "zapfile-reg" + kVersion, ""},
        {{ZAPFILE_REG_BIN, "/?"}, 0, "Usage:\n  zapfile-reg query KEY", ""},
    };
    for (const auto& k : cases) {
        const auto r = Zap(k.args);
        EXPECT_EQ(k.code, r.exitCode) << testing::PrintToString(k.args);
        EXPECT_TRUE(Starts(r.out, k.out)) << r.out;
        EXPECT_TRUE(Starts(r.err, k.err)) << r.err;
        EXPECT_EQ(before, Snapshot()) << testing::PrintToString(k.args);
    }
}

// After "--", and as ./-x, a name that begins with '-' is a path; a lone "-" always is.
TEST_F(ZapfileCommandLine, DoubleDashAndDotSlashReachFilesNamedLikeOptions) {
    AskUser("0");
    auto expected = Snapshot();
    const std::pair<Strings, std::string> cases[] = {
        {{"--", "-x"}, "-x"}, {{"--", "--help"}, "--help"}, {{"./--bogus"}, "--bogus"}, {{"-"}, "-"}};
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
    fs::create_symlink("nowhere", work + "/dangling");
    testenv::WriteFile(work + "/read-only", "keep");
    chmod((work + "/read-only").c_str(), 0444);
    // A FIFO without a reader would make a writer wait; one with a reader must get nothing.
    mkfifo((work + "/fifo").c_str(), 0644);
    mkfifo((work + "/read-fifo").c_str(), 0644);
    const int reader = open((work + "/read-fifo").c_str(), O_RDONLY | O_NONBLOCK);
    // A device: a node of the null device of the test's own, never the system's /dev/null
    // (as root a faulty build would remove it). Without the right to make one, a FIFO again.
    if (mknod((work + "/device").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        mkfifo((work + "/device").c_str(), 0644);
    // A second name for a file zapped shows what was left in it: the mark alone.
    testenv::WriteFile(work + "/.gone1", std::string(100000, 'x'));
    ASSERT_EQ(0, link((work + "/.gone1").c_str(), (dir / "twin").c_str()));
    testenv::WriteFile(work + "/gone2", "x");
    const std::string tooLong(259, 'n');
    auto expected = Snapshot();
    expected.erase(".gone1");
    expected.erase("gone2");

    auto r = Zap({".gone1", "folder", "link", "dangling", "read-only", "fifo", "read-fifo",
                  "device", "no-such-folder/f", "say\"hi\"", tooLong, "", "gone2"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ(expected, Snapshot());
    EXPECT_EQ("\xFF", testenv::ReadFile(dir / "twin"));
    char byte;
    EXPECT_EQ(0, read(reader, &byte, 1));  // nothing arrived (0: no writer left)
    close(reader);
    const std::pair<std::string, std::string> refused[] = {
        {"folder", "Is a directory"},
        {"link", "Is a symbolic link"},
        {"dangling", "Is a symbolic link"},
        {"read-only", "Read-only file"},
        {"fifo", "Not a regular file"},
        {"read-fifo", "Not a regular file"},
        {"device", "Not a regular file"},
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
    EXPECT_FALSE(testenv::Exists(work + "/nowhere"));  // the dangling link's target not made

    // All deleted, or none asked for: 0.
    testenv::WriteFile(work + "/.gone1", "x");
    r = Zap({".gone1", "not-there-yet"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_EQ(expected, Snapshot());

    // Answered No, here by nobody: standard input is no terminal and there is no display, so
    // the "y" typed there is no answer. 0, and the file stays.
    AskUser("1");
    r = Zap({"victim"}, "y\n");
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(expected, Snapshot());
    EXPECT_EQ(0u, r.err.find("zapfile: Cofirm")) << r.err;
    EXPECT_EQ(std::string::npos, r.err.find("cannot delete")) << r.err;
    // The window, which cannot be shown either, says so in one line.
    r = Zap({});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Ko Zapfile")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
}

}  // namespace
