// tests/e2e/zapfile_reg_test.cpp
// The built zapfile-reg, run as a user runs it: reg.exe's texts and exit codes for query, add
// and delete. Each test is a list of commands run in order on a registry of its own, each with
// what is typed to it and the exact exit code, output and error output it must give.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <tuple>
#include <vector>

#include "process.h"
#include "test_env.h"

namespace {

const std::string kKey = "HKCU\\Software\\Zapfile";
const std::string kShown = "HKEY_CURRENT_USER\\Software\\Zapfile";  // as the messages name it
const std::string kDone = "The operation completed successfully.\n";
const std::string kCancelled = "The operation was cancelled by the user.\n";
const std::string kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kBadAdd = "ERROR: Invalid syntax.\nType \"zapfile-reg add /?\" for usage.\n";

// What query shows for one value of kKey: the key, then the value's name, type and data.
std::string Shown(const std::string& name, const std::string& typeAndData) {
    return "\n" + kShown + "\n    " + name + "    " + typeAndData + "\n\n";
}

struct Step {
    std::vector<std::string> args;
    std::string input;  // typed on standard input
    int code;
    std::string out, err;
};

void Play(const std::vector<Step>& steps) {
    const testenv::TempDir config;
    for (const Step& s : steps) {
        std::vector<std::string> argv{ZAPFILE_REG_BIN};
        argv.insert(argv.end(), s.args.begin(), s.args.end());
        const testproc::Result r =
            testproc::Run(argv, {{"XDG_CONFIG_HOME", config.path().string()},
                           {"XDG_DATA_HOME", (config.path() / "data").string()}}, s.input);
        EXPECT_EQ(std::tie(s.code, s.out, s.err), std::tie(r.exitCode, r.out, r.err))
            << testing::PrintToString(s.args) << " < " << testing::PrintToString(s.input);
    }
}

TEST(ZapfileReg, ReadmeExamplesAndEachValueShownAsRegShowsIt) {
    const std::string values = "    bAskUser    REG_SZ    1\n    Count    REG_DWORD    0x1f\n"
                               "    Blob    REG_BINARY    00FF10A0\n";
    Play({{{"add", kKey, "/v", "bAskUser", "/t", "REG_SZ", "/d", "0", "/f"}, "", 0, kDone, ""},
          {{"add", kKey, "/v", "bAskUser", "/t", "REG_SZ", "/d", "1", "/f"}, "", 0, kDone, ""},
          {{"add", kKey, "/v", "Count", "/t", "reg_dword", "/d", "0x1F", "/f"}, "", 0, kDone, ""},
          {{"add", kKey, "/v", "Blob", "/t", "REG_BINARY", "/d", "00ff10A0"}, "", 0, kDone, ""},
          {{"add", kKey + "\\Sub\\Deeper", "/f"}, "", 0, kDone, ""},
          {{"query", kKey}, "", 0, "\n" + kShown + "\n" + values + "\n" + kShown + "\\Sub\n", ""},
          {{"query", kKey, "/ve"}, "", 0, Shown("(Default)", "REG_SZ    (value not set)"), ""},
          {{"delete", kKey, "/v", "bAskUser", "/f"}, "", 0, kDone, ""},
          {{"query", kKey, "/v", "bAskUser"}, "", 1, "", kNotFound}});
}

TEST(ZapfileReg, MissingNamesAndBadSyntaxFailWithExitCodeOneAndWriteNothing) {
    Play({{{"add", kKey, "/v", "v", "/f"}, "", 0, kDone, ""},
          {{"query", kKey + "\\Nothing"}, "", 1, "", kNotFound},
          {{"delete", kKey, "/v", "Nothing", "/f"}, "", 1, "", kNotFound},
          {{"add", kKey, "/v"}, "", 1, "", kBadAdd},
          {{"add", kKey, "/t", "REG_DWORD", "/d", "4294967296", "/f"}, "", 1, "", kBadAdd},
          {{"add", kKey, "/t", "REG_BINARY", "/d", "0g", "/f"}, "", 1, "", kBadAdd},
          {{"add", kKey, "/t", "REG_DWORD", "/d", "0x 1F", "/f"}, "", 1, "", kBadAdd},
          {{"add", kKey, "/t", "REG_QWORD", "/d", "0x-1", "/f"}, "", 1, "", kBadAdd},
          {{"frob", kKey}, "", 1, "", "ERROR: Invalid syntax.\nType \"zapfile-reg /?\" for usage.\n"},
          // A level that starts with a backslash: no such key, and none can be made.
          {{"query", "HKCU\\\\Software"}, "", 1, "", kNotFound},
          {{"delete", "HKCU\\\\Software", "/f"}, "", 1, "", kNotFound},
          {{"add", "HKCU\\\\Software", "/f"}, "", 1, "", "ERROR: Access is denied.\n"},
          // A root is never deleted, whatever is asked.
          {{"delete", "HKCU", "/f"}, "", 1, "",
           "ERROR: Invalid key name.\nType \"zapfile-reg delete /?\" for usage.\n"},
          {{"query", kKey}, "", 0, Shown("v", "REG_SZ    "), ""}});
}

TEST(ZapfileReg, WithoutForceItAsksAndGoesOnOnlyAfterAYes) {
    const std::string overwrite = "Value v exists, overwrite(Yes/No)? ";
    const std::string deleteValue = "Delete the registry value v (Yes/No)? ";
    const std::string deleteKey = "Permanently delete the registry key " + kShown + " (Yes/No)? ";
    // A refused question leaves the value or key for the next step to find.
    Play({{{"add", kKey, "/v", "v", "/d", "1"}, "", 0, kDone, ""},  // a new value: no question
          {{"add", kKey, "/v", "v", "/d", "2"}, "n\n", 0, overwrite + kCancelled, ""},
          {{"add", kKey, "/v", "v", "/d", "2"}, "", 0, overwrite + kCancelled, ""},
          {{"add", kKey, "/v", "v", "/d", "2"}, "\n", 0, overwrite + kCancelled, ""},
          {{"query", kKey, "/v", "v"}, "", 0, Shown("v", "REG_SZ    1"), ""},
          {{"add", kKey, "/v", "v", "/d", "2"}, "Yes\n", 0, overwrite + kDone, ""},
          {{"delete", kKey, "/v", "v"}, "y\n", 0, deleteValue + kDone, ""},
          {{"delete", kKey}, "yes\n", 0, deleteKey + kDone, ""},
          {{"query", kKey}, "", 1, "", kNotFound}});
}

// A path of `levels` keys below HKCU.
std::string Deep(size_t levels) {
    std::string key = "HKCU";
    for (size_t i = 0; i < levels; ++i)
        key += "\\k";
    return key;
}

TEST(ZapfileReg, KeysDeeperThanWindowsAllowsAreRefusedAndAnyTreeIsDeleted) {
    const std::string tooDeep = "ERROR: The parameter is incorrect.\n";
    Play({{{"add", Deep(512), "/f"}, "", 0, kDone, ""},
          {{"add", Deep(513), "/f"}, "", 1, "", tooDeep},
          {{"add", Deep(500), "/f"}, "", 0, kDone, ""},
          {{"add", Deep(500) + "\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m", "/f"}, "", 1, "", tooDeep},
          {{"query", Deep(500) + "\\a"}, "", 1, "", kNotFound}});

    // A tree deeper than the stack holds (a small one here: 128 KiB), as another program could
    // have left it in the database.
    const testenv::TempDir config;
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", config.path().string()}};
    ASSERT_EQ(0, testproc::Run({ZAPFILE_REG_BIN, "add", "HKCU\\Deep", "/f"}, env).exitCode);
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((config.path() / "zapfile/registry.db").c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
        "WITH RECURSIVE chain(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM chain WHERE n < 400)"
        " INSERT INTO keys(id, parent, name) SELECT top + n, top + n - 1, 'k'"
        " FROM chain, (SELECT max(id) AS top FROM keys)",
        nullptr, nullptr, nullptr));
    sqlite3_close(db);
    const testproc::Result r = testproc::Run(
        {"/bin/sh", "-c", "ulimit -s 128 && exec \"$0\" delete HKCU\\\\Deep /f", ZAPFILE_REG_BIN},
        env);
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(kDone, r.out);
    EXPECT_EQ(1, testproc::Run({ZAPFILE_REG_BIN, "query", "HKCU\\Deep"}, env).exitCode);
}

}  // namespace
