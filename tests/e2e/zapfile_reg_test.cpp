// tests/e2e/zapfile_reg_test.cpp
// The built zapfile-reg, run as a user runs it, with a registry of its own: the texts and
// exit codes of reg.exe for query, add and delete.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process.h"
#include "test_env.h"

namespace {

constexpr char kDone[] = "The operation completed successfully.\n";
constexpr char kCancelled[] = "The operation was cancelled by the user.\n";
constexpr char kNotFound[] =
    "ERROR: The system was unable to find the specified registry key or value.\n";

struct Result {
    int code;
    std::string out;
    std::string err;
    bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Result& r) {
    return os << "{exit " << r.code << ", out \"" << r.out << "\", err \"" << r.err << "\"}";
}

class ZapfileReg : public ::testing::Test {
protected:
    // Runs zapfile-reg with the arguments, `input` on its standard input.
    Result Run(const std::vector<std::string>& args, const std::string& input = "") {
        std::vector<std::string> argv{ZAPFILE_REG_BIN};
        argv.insert(argv.end(), args.begin(), args.end());
        const testproc::Result r =
            testproc::Run(argv, {{"XDG_CONFIG_HOME", config_.path().string()}}, input);
        return {r.exitCode, r.out, r.err};
    }

    testenv::TempDir config_;
};

std::string Syntax(const char* op) {
    return std::string("ERROR: Invalid syntax.\nType \"REG ") + op + " /?\" for usage.\n";
}

TEST_F(ZapfileReg, ReadmeExamplesTurnTheQuestionOffAndShowIt) {
    EXPECT_EQ(
        Run({"add", "HKCU\\Software\\Zapfile", "/v", "bAskUser", "/t", "REG_SZ", "/d", "0", "/f"}),
        (Result{0, kDone, ""}));
    EXPECT_EQ(
        Run({"query", "HKCU\\Software\\Zapfile", "/v", "bAskUser"}),
        (Result{0, "\nHKEY_CURRENT_USER\\Software\\Zapfile\n    bAskUser    REG_SZ    0\n\n", ""}));
}

TEST_F(ZapfileReg, QueryShowsEachTypeThenTheSubkeys) {
    const std::string key = "HKCU\\Software\\ZapTest";
    ASSERT_EQ(
        0, Run({"add", "HKEY_CURRENT_USER\\Software\\ZapTest\\", "/ve", "/d", "hello world", "/f"})
               .code);
    ASSERT_EQ(0, Run({"add", "hkcu\\software\\zaptest", "/V", "Count", "/T", "reg_dword", "/D",
                      "0x1F", "/F"})
                     .code);
    ASSERT_EQ(0, Run({"add", key, "/v", "Big", "/t", "REG_DWORD", "/d", "4294967295", "/f"}).code);
    ASSERT_EQ(0, Run({"add", key, "/v", "Blob", "/t", "REG_BINARY", "/d", "00ff10A0", "/f"}).code);
    ASSERT_EQ(0, Run({"add", key, "/v", "Empty", "/f"}).code);
    ASSERT_EQ(0, Run({"add", key + "\\Sub\\Deeper", "/f"}).code);
    ASSERT_EQ(0, Run({"add", key + "\\Other"}).code);

    EXPECT_EQ(Run({"query", key}), (Result{0,
                                           "\nHKEY_CURRENT_USER\\Software\\ZapTest\n"
                                           "    (Default)    REG_SZ    hello world\n"
                                           "    Count    REG_DWORD    0x1f\n"
                                           "    Big    REG_DWORD    0xffffffff\n"
                                           "    Blob    REG_BINARY    00FF10A0\n"
                                           "    Empty    REG_SZ    \n"
                                           "\n"
                                           "HKEY_CURRENT_USER\\Software\\ZapTest\\Other\n"
                                           "HKEY_CURRENT_USER\\Software\\ZapTest\\Sub\n",
                                           ""}));
    EXPECT_EQ(Run({"query", key + "\\Sub", "/ve"}),
              (Result{0,
                      "\nHKEY_CURRENT_USER\\Software\\ZapTest\\Sub\n    (Default)    REG_SZ    "
                      "(value not set)\n\n",
                      ""}));
    EXPECT_EQ(
        Run({"query", key, "/v", "blob"}),
        (Result{0, "\nHKEY_CURRENT_USER\\Software\\ZapTest\n    blob    REG_BINARY    00FF10A0\n\n",
                ""}));
}

TEST_F(ZapfileReg, MissingNamesAndBadArgumentsFail) {
    const std::string key = "HKCU\\Software\\ZapTest";
    ASSERT_EQ(0, Run({"add", key, "/v", "v", "/f"}).code);
    EXPECT_EQ(Run({"query", key + "\\Nothing"}), (Result{1, "", kNotFound}));
    EXPECT_EQ(Run({"query", key, "/v", "Nothing"}), (Result{1, "", kNotFound}));
    EXPECT_EQ(Run({"delete", key + "\\Nothing", "/f"}), (Result{1, "", kNotFound}));
    EXPECT_EQ(Run({"delete", key, "/v", "Nothing", "/f"}), (Result{1, "", kNotFound}));

    const std::string other = "HKCU\\Software\\Other";
    const std::vector<std::vector<std::string>> badAdds = {
        {"add"},
        {"add", other, "/v"},
        {"add", other, "/v", "a", "/ve"},
        {"add", other, "/v", "a", "/v", "b"},
        {"add", other, "/t", "REG_DWORD", "/d", "12abc", "/f"},
        {"add", other, "/t", "REG_DWORD", "/d", "4294967296", "/f"},
        {"add", other, "/t", "REG_BINARY", "/d", "0g", "/f"},
        {"add", other, "/t", "REG_WHATEVER", "/f"},
        {"add", other, "/x"},
    };
    for (const auto& args : badAdds)
        EXPECT_EQ(Run(args), (Result{1, "", Syntax("ADD")})) << args.back();
    EXPECT_EQ(Run({"query", other, "/f"}), (Result{1, "", Syntax("QUERY")}));
    EXPECT_EQ(Run({"delete", other, "/d", "x"}), (Result{1, "", Syntax("DELETE")}));
    EXPECT_EQ(Run({"frob", other}),
              (Result{1, "", "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n"}));
    EXPECT_EQ(Run({"query", other}), (Result{1, "", kNotFound}));  // no failed add wrote

    EXPECT_EQ(Run({"query", "HKLM\\Software"}),
              (Result{1, "", "ERROR: Invalid key name.\nType \"REG QUERY /?\" for usage.\n"}));
    EXPECT_EQ(Run({"delete", "HKCU", "/f"}),
              (Result{1, "", "ERROR: Invalid key name.\nType \"REG DELETE /?\" for usage.\n"}));

    const Result help = Run({"/?"});
    EXPECT_EQ(0, help.code);
    EXPECT_NE(std::string::npos, help.out.find("zapfile-reg add KEY"));
    EXPECT_EQ(0, Run({"delete", "/?"}).code);
    EXPECT_EQ(1, Run({}).code);
}

TEST_F(ZapfileReg, WithoutForceItAsksFirst) {
    const std::string key = "HKCU\\Software\\ZapTest";
    const auto valueOf = [&](const char* name) { return Run({"query", key, "/v", name}).out; };
    ASSERT_EQ(0, Run({"add", key, "/v", "v", "/d", "1"}).code);  // new: no question
    const std::string one = valueOf("v");
    const std::string overwrite = "Value v exists, overwrite(Yes/No)? ";

    EXPECT_EQ(Run({"add", key, "/v", "v", "/d", "2"}, "n\n"),
              (Result{0, overwrite + kCancelled, ""}));
    EXPECT_EQ(one, valueOf("v"));
    EXPECT_EQ(Run({"add", key, "/v", "v", "/d", "2"}), (Result{0, overwrite + kCancelled, ""}));
    EXPECT_EQ(Run({"add", key, "/v", "v", "/d", "2"}, "Yes\n"), (Result{0, overwrite + kDone, ""}));
    EXPECT_NE(std::string::npos, valueOf("v").find("REG_SZ    2\n"));

    const std::string deleteValue = "Delete the registry value v (Yes/No)? ";
    EXPECT_EQ(Run({"delete", key, "/v", "v"}), (Result{0, deleteValue + kCancelled, ""}));
    EXPECT_EQ(Run({"delete", key, "/v", "v"}, "y\n"), (Result{0, deleteValue + kDone, ""}));
    EXPECT_EQ(1, Run({"query", key, "/v", "v"}).code);

    ASSERT_EQ(0, Run({"add", key + "\\Sub\\Deeper", "/v", "x", "/f"}).code);
    ASSERT_EQ(0, Run({"add", key + "\\Sub", "/ve", "/f"}).code);
    const std::string deleteKey =
        "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\ZapTest (Yes/No)? ";
    EXPECT_EQ(Run({"delete", key}, "no\n"), (Result{0, deleteKey + kCancelled, ""}));
    EXPECT_EQ(0, Run({"query", key + "\\Sub\\Deeper"}).code);
    EXPECT_EQ(Run({"delete", key}, "yes\n"), (Result{0, deleteKey + kDone, ""}));
    EXPECT_EQ(1, Run({"query", key}).code);
    EXPECT_EQ(0, Run({"query", "HKCU\\Software"}).code);
}

}  // namespace
