// tests/e2e/zapfile_test.cpp
// The built zapfile run on real files: in a terminal, from a script, with the setting off.
#include <gtest/gtest.h>

#include "process.h"
#include "test_env.h"

namespace {

const std::string kPrompt = "[y/N] ";

class ZapfileTest : public ::testing::Test {
protected:
    std::map<std::string, std::string> Env() const {
        return {{"XDG_CONFIG_HOME", dir / "config"}, {"XDG_DATA_HOME", dir / "data"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    }
    testproc::Result Zap(const std::vector<std::string>& paths, const std::string& input = "") {
        std::vector<std::string> argv = {ZAPFILE_BIN};
        argv.insert(argv.end(), paths.begin(), paths.end());
        return testproc::Run(argv, Env(), input);
    }
    testproc::Result Ask(const std::vector<std::string>& paths,
                         const std::vector<std::pair<std::string, std::string>>& dialogue) {
        std::vector<std::string> argv = {ZAPFILE_BIN};
        argv.insert(argv.end(), paths.begin(), paths.end());
        return testproc::RunInTerminal(argv, Env(), dialogue);
    }
    void TurnQuestionOff() {
        auto r = testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                                "/t", "REG_SZ", "/d", "0", "/f"},
                               Env());
        ASSERT_EQ(0, r.exitCode) << r.out << r.err;
    }
    std::string File(const std::string& name, const std::string& contents = "secret") {
        testenv::WriteFile(dir / name, contents);
        return dir / name;
    }
    testenv::TempDir dir;
};

TEST_F(ZapfileTest, TerminalQuestionShowsTheQuotedPathAndReadsTheAnswer) {
    const std::string path = File("a b.txt");
    auto r = Ask({path}, {{kPrompt, "n\r"}});
    EXPECT_EQ(0, r.exitCode) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("Cofirm")) << r.out;
    EXPECT_NE(std::string::npos,
              r.out.find("Are you sure you want to delete the file:\r\n\"" + path + "\"")) << r.out;
    EXPECT_EQ("secret", testenv::ReadFile(path));

    for (const char* yes : {"y\r", "YES\r", "Yes\r"}) {
        File("a b.txt");
        r = Ask({path}, {{kPrompt, yes}});
        EXPECT_EQ(0, r.exitCode);
        EXPECT_FALSE(testenv::Exists(path)) << yes;
    }
    for (const char* no : {"\r", "yess\r", "no\r", "\x04"}) {  // \x04: end of input
        File("a b.txt");
        r = Ask({path}, {{kPrompt, no}});
        EXPECT_EQ(0, r.exitCode);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ("secret", testenv::ReadFile(path)) << no;
    }
}

TEST_F(ZapfileTest, EachPathGetsItsOwnQuestion) {
    const std::string first = File("first");
    const std::string second = File("second");
    auto r = Ask({first, second}, {{kPrompt, "y\r"}, {kPrompt, "n\r"}});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(first));
    EXPECT_EQ("secret", testenv::ReadFile(second));
}

TEST_F(ZapfileTest, WithoutTerminalOrDisplayTheAnswerIsNo) {
    const std::string path = File("kept");
    auto r = Zap({path}, "y\n");  // input that is not a terminal is never taken as an answer
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("secret", testenv::ReadFile(path));
    EXPECT_NE(std::string::npos, r.err.find("Cofirm")) << r.err;
}

TEST_F(ZapfileTest, SettingOffDeletesAtOnceAndSilently) {
    const std::string path = File("gone", std::string(1 << 20, 'x'));
    // The first run creates the key; the setting is then stored the documented way.
    Zap({File("warm-up")});
    auto q = testproc::Run({ZAPFILE_REG_BIN, "query", "HKCU\\Software\\Zapfile"}, Env());
    EXPECT_EQ(0, q.exitCode) << q.out << q.err;
    TurnQuestionOff();
    auto r = Zap({path});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ("", r.out);
    EXPECT_EQ("", r.err);
}

TEST_F(ZapfileTest, NameWithAQuoteIsRefusedAndNoOtherFileTouched) {
    TurnQuestionOff();
    const std::string quoted = File("say\"hi\"");
    const std::string unquoted = File("sayhi");  // what quote removal would have named
    auto r = Zap({quoted});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Couldn't delete file."));
    EXPECT_EQ("secret", testenv::ReadFile(quoted));
    EXPECT_EQ("secret", testenv::ReadFile(unquoted));
}

TEST_F(ZapfileTest, WindowWithoutDisplayOrTerminalGivesAReason) {
    auto r = Zap({});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(std::string::npos, r.err.find("Ko Zapfile")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
}

}  // namespace
