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
        return {{"XDG_CONFIG_HOME", dir / "config"}, {"XDG_DATA_HOME", dir / "data"},
                {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    }
    std::string File(const std::string& name) {
        testenv::WriteFile(dir / name, "secret");
        return dir / name;
    }
    testenv::TempDir dir;
};

TEST_F(ZapfileTest, TerminalQuestionShowsTheQuotedPathAndOnlyYesDeletes) {
    const std::string path = dir / "a b.txt";
    const std::pair<std::string, bool> answers[] = {{"n\r", false}, {"\r", false}, {"yess\r", false},
                                                    {"\x04", false}, {"y\r", true}, {"Yes\r", true}};
    testproc::Result r;
    for (const auto& [answer, deletes] : answers) {  // \x04: end of input
        File("a b.txt");
        r = testproc::RunInTerminal({ZAPFILE_BIN, path}, Env(), {{kPrompt, answer}});
        EXPECT_EQ(0, r.exitCode) << r.out;
        EXPECT_EQ(deletes, !testenv::Exists(path)) << answer;
    }
    EXPECT_NE(std::string::npos, r.out.find("Cofirm")) << r.out;
    EXPECT_NE(std::string::npos,
              r.out.find("Are you sure you want to delete the file:\r\n\"" + path + "\"")) << r.out;
    // Each path gets its own question.
    const std::string first = File("first"), second = File("second");
    r = testproc::RunInTerminal({ZAPFILE_BIN, first, second}, Env(), {{kPrompt, "y\r"}, {kPrompt, "n\r"}});
    EXPECT_FALSE(testenv::Exists(first));
    EXPECT_EQ("secret", testenv::ReadFile(second));
}

TEST_F(ZapfileTest, WithoutTerminalOrDisplayTheAnswerIsNoAndTheWindowGivesAReason) {
    const std::string path = File("kept");
    auto r = testproc::Run({ZAPFILE_BIN, path}, Env(), "y\n");  // not a terminal: never an answer
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("secret", testenv::ReadFile(path));
    EXPECT_NE(std::string::npos, r.err.find("Cofirm")) << r.err;
    r = testproc::Run({ZAPFILE_BIN}, Env());
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Ko Zapfile")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
}

TEST_F(ZapfileTest, NameWithAQuoteIsRefusedAndNoOtherFileTouched) {
    auto r = testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser",
                            "/t", "REG_SZ", "/d", "0", "/f"}, Env());
    ASSERT_EQ(0, r.exitCode) << r.out << r.err;
    const std::string quoted = File("say\"hi\"");
    const std::string unquoted = File("sayhi");  // what quote removal would have named
    r = testproc::Run({ZAPFILE_BIN, quoted}, Env());
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Couldn't delete file."));
    EXPECT_EQ("secret", testenv::ReadFile(quoted));
    EXPECT_EQ("secret", testenv::ReadFile(unquoted));
}

}  // namespace
