// tests/e2e/command_line_test.cpp
// The built zapfile on real files, as a user or a tool runs it: its question in a terminal,
// --version and --help, wrong options refused before anything is touched, "--", and rm's exit
// status with a line on standard error for each refused path. Every run checks the files
// around it afterwards.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

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
    // Runs zapfile (or argv whole when it starts with zapfile-reg or strace) in the work
    // folder, no terminal.
    testproc::Result Zap(Strings args, const std::string& input = "") const {
        if (args.empty() || (args[0] != ZAPFILE_REG_BIN && args[0] != STRACE_BIN))
            args.insert(args.begin(), ZAPFILE_BIN);
        auto env = Env();
        if (args[0] == STRACE_BIN)  // LeakSanitizer cannot run under ptrace
            env["ASAN_OPTIONS"] = "halt_on_error=1:detect_leaks=0";
        args.insert(args.begin(), {"/usr/bin/env", "-C", work});
        return testproc::Run(args, env, input);
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

// Only "y" or "yes" (any case) deletes; each path gets its own question, its name shown as
// it is and not as it would draw. The terminal that asks is the one on standard input: "y"
// from a pipe is no answer, even with standard error on a terminal.
TEST_F(ZapfileCommandLine, TerminalQuestionShowsTheQuotedPathAndOnlyYesDeletes) {
    const std::string path = work + "/a b.txt";
    const std::pair<std::string, bool> answers[] = {
        {"n\r", false}, {"\r", false}, {"yess\r", false}, {"ye\r", false},
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
    const std::string evil = work + "/evil\rjunk";
    testenv::WriteFile(evil, "secret");
    r = testproc::RunInTerminal({ZAPFILE_BIN, evil}, Env(), {{"[y/N] ", "n\r"}});
    EXPECT_NE(std::string::npos, r.out.find("\r\n'" + work + "/evil'$'\\r''junk'\r\nYes or No?"))
        << r.out;
    const struct {
        std::string shell, typed;
        bool deletes;
    } sides[] = {{"printf 'y\\n' | \"$0\" \"$1\"", "", false},
                 {"echo ready; \"$0\" \"$1\" 2>/dev/null", "y\r", true}};
    for (const auto& side : sides) {
        testenv::WriteFile(path, "secret");
        r = testproc::RunInTerminal({"/bin/sh", "-c", side.shell, ZAPFILE_BIN, path}, Env(),
                                    {{"ready", side.typed}});
        EXPECT_EQ(side.deletes, !testenv::Exists(path)) << side.shell;
    }
}

// Options are read before any path: a wrong one anywhere before "--" stops the program with
// status 2, even with the question off and a path that would be deleted before the option.
// After "--", and as ./-x, a name that begins with '-' is a path; a lone "-" always is.
TEST_F(ZapfileCommandLine, OptionsAreReadFirstAndOnlyPathsReachFiles) {
    AskUser("0");
    auto expected = Snapshot();
    const std::string usage = "Usage: zapfile [OPTION]... [--] [FILE]...\n";
    const struct {
        Strings args;
        int code;
        std::string out, err;  // what each begins with
        std::string gone = "";  // the file it deletes
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
        {{"--", "-x"}, 0, "", "", "-x"},
        {{"--", "--help"}, 0, "", "", "--help"},
        {{"./--bogus"}, 0, "", "", "--bogus"},
        {{"-"}, 0, "", "", "-"},
    };
    for (const auto& k : cases) {
        const auto r = Zap(k.args);
        EXPECT_EQ(k.code, r.exitCode) << testing::PrintToString(k.args);
        EXPECT_TRUE(Starts(r.out, k.out)) << r.out;
        EXPECT_TRUE(Starts(r.err, k.err)) << r.err;
        expected.erase(k.gone);
        EXPECT_EQ(expected, Snapshot()) << testing::PrintToString(k.args);
    }
}

// 0 when every path was deleted or answered No, 1 when any was refused; each refused path is
// named in one line, quoted as rm quotes it, with its reason, and the paths after it are still
// handled. What is refused is refused before any question, whatever the setting, and nothing
// of it is opened for writing (strace sees every open): a FIFO's waiting reader never wakes.
TEST_F(ZapfileCommandLine, ExitStatusAndOneLinePerRefusedPath) {
    AskUser("0");
    fs::create_directory(work + "/folder");
    fs::create_directory(work + "/new\nline");
    fs::create_symlink("victim", work + "/link");
    fs::create_symlink("nowhere", work + "/dangling");
    testenv::WriteFile(work + "/read-only", "keep");
    chmod((work + "/read-only").c_str(), 0444);
    // A FIFO without a reader would make a writer wait; one with a reader waiting must not
    // see a writer come.
    mkfifo((work + "/fifo").c_str(), 0644);
    mkfifo((work + "/read-fifo").c_str(), 0644);
    const pid_t reader = fork();
    if (reader == 0)
        _exit(open((work + "/read-fifo").c_str(), O_RDONLY) >= 0 ? 0 : 1);
    // A device: a node of the null device of the test's own, never the system's /dev/null
    // (as root a faulty build would remove it). Without the right to make one, a FIFO again.
    if (mknod((work + "/device").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        mkfifo((work + "/device").c_str(), 0644);
    testenv::WriteFile(work + "/\xff\r", "keep");
    chmod((work + "/\xff\r").c_str(), 0444);
    // A second name for a file zapped shows what was left in it: the mark alone. ':' and '\'
    // are ordinary characters of a Linux name.
    testenv::WriteFile(work + "/.gone1", std::string(100000, 'x'));
    ASSERT_EQ(0, link((work + "/.gone1").c_str(), (dir / "twin").c_str()));
    testenv::WriteFile(work + "/rec 10:30\\", "x");
    const std::string tooLong(259, 'n');
    auto expected = Snapshot();
    expected.erase(".gone1");
    expected.erase("rec 10:30\\");
    const struct {
        std::string path, reason, shown = "";  // shown: as rm names it, when not just in quotes
    } refused[] = {
        {"folder", "Is a directory"},
        {"new\nline", "Is a directory", "'new'$'\\n''line'"},
        {"link", "Is a symbolic link"},
        {"dangling", "Is a symbolic link"},
        {"read-only", "Read-only file"},
        {"\xff\r", "Read-only file", "''$'\\377\\r'"},
        {"fifo", "Not a regular file"},
        {"read-fifo", "Not a regular file"},
        {"device", "Not a regular file"},
        {"/proc/self/comm", "A file of the kernel, not of a disk"},
        {"no-such-folder/f", "No such file or directory"},
        {"say\"hi\"", "Name contains a double quote"},
        {tooLong, "File name too long"},
        {"", "No such file or directory"},
    };
    Strings paths = {STRACE_BIN, "-f", "-e", "trace=open,openat,openat2", "-o", dir / "trace",
                     ZAPFILE_BIN, ".gone1"};
    std::string lines;
    for (const auto& k : refused) {
        paths.push_back(k.path);
        lines += "zapfile: cannot delete " + (k.shown.empty() ? "'" + k.path + "'" : k.shown) +
                 ": " + k.reason + "\n";
    }
    paths.push_back("rec 10:30\\");
    auto r = Zap(paths);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ(expected, Snapshot());
    EXPECT_EQ("\xFF", testenv::ReadFile(dir / "twin"));
    EXPECT_EQ(lines, r.err);
    // Written: the two files zapped, SQLite's database (held open), nothing else.
    std::string writes;
    std::istringstream trace(testenv::ReadFile(dir / "trace"));
    for (std::string line; std::getline(trace, line);)
        if ((line.find("O_WRONLY") != std::string::npos || line.find("O_RDWR") != std::string::npos) &&
            line.find("registry.db") == std::string::npos)
            writes += line + "\n";
    EXPECT_EQ(2, std::count(writes.begin(), writes.end(), '\n')) << writes;
    EXPECT_EQ(0, waitpid(reader, nullptr, WNOHANG));  // still waiting for a writer
    kill(reader, SIGKILL);
    waitpid(reader, nullptr, 0);
    EXPECT_FALSE(testenv::Exists(work + "/nowhere"));  // the dangling link's target not made

    // Asked about first or not: the same refusals, and nothing asked.
    AskUser("1");
    paths = Strings(paths.begin() + 8, paths.end() - 1);  // the refused paths alone
    r = Zap(paths);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ(lines, r.err);

    // All deleted, or none asked for: 0.
    AskUser("0");
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
    // The window, which cannot be shown either, says so in one line, and fails; so does
    // output that cannot be written.
    r = Zap({});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Ko Zapfile")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    // A setting that cannot be read is said once, with why, before the question it causes.
    fs::remove_all(dir / "config/zapfile");
    testenv::WriteFile(dir / "config/zapfile", "a file where the folder goes");
    r = Zap({"victim", "-"});
    EXPECT_EQ(0u, r.err.find("zapfile: cannot read " + dir / "config/zapfile/registry.db" +
                             ": Not a directory\nzapfile: Cofirm ")) << r.err;
    EXPECT_EQ(r.err.find("cannot read"), r.err.rfind("cannot read")) << r.err;
    for (const char* program : {ZAPFILE_BIN, ZAPFILE_REG_BIN}) {
        r = testproc::Run({"/bin/sh", "-c", "exec \"$0\" --version >/dev/full", program}, Env());
        EXPECT_EQ(1, r.exitCode) << program;
        EXPECT_NE(std::string::npos, r.err.find(": write error: No space left on device")) << r.err;
    }
}

}  // namespace
