// tests/e2e/file_manager_menus_test.cpp
// The verb added with zapfile-reg, picked in each file manager's menu: every entry, run as its
// file manager runs it on a selection of awkward names, zaps exactly the chosen files.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "menu_entries.h"
#include "process.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kChosen = {"a b.txt", "it's", "x\ny", "--help", "$f `x`"};
const std::vector<std::string> kNeighbours = {"a", "b.txt", "it", "x", "y", "$f", "`x`"};

std::string Replaced(std::string text, const std::string& code, const std::string& by) {
    const size_t at = text.find(code);
    return at == std::string::npos ? text : text.replace(at, code.size(), by);
}

// What a launcher inserts for a path: GLib's quoting, or Nemo's with Quote=double.
std::string ShellQuoted(const std::string& path) {
    gchar* q = g_shell_quote(path.c_str());
    const std::string out = q;
    g_free(q);
    return out;
}
std::string DoubleQuoted(const std::string& path) {
    std::string out = "\"";
    for (const char c : path)
        out += std::string(std::string("\"\\$`").find(c) != std::string::npos ? "\\" : "") + c;
    return out + "\"";
}
// The paths for %F, each quoted, with a blank between them.
std::string List(const std::vector<std::string>& paths, std::string (*quoted)(const std::string&)) {
    std::string list;
    for (const std::string& path : paths)
        list += (list.empty() ? "" : " ") + quoted(path);
    return list;
}

class FileManagerMenusE2E : public ::testing::Test {
protected:
    void Run(const std::vector<std::string>& argv) {
        const testproc::Result r = testproc::Run(argv, env_);
        ASSERT_EQ(0, r.exitCode) << r.out << r.err;
    }
    // The chosen files and their neighbours, fresh in a folder of the file manager's name.
    std::vector<std::string> Files(const std::string& manager) {
        fs::create_directories(dir_ / manager);
        std::vector<std::string> chosen;
        for (const std::string& name : kChosen)
            testenv::WriteFile(chosen.emplace_back(dir_ / manager + "/" + name), "secret");
        for (const std::string& name : kNeighbours)
            testenv::WriteFile(dir_ / manager + "/" + name, "keep");
        return chosen;
    }

    testenv::TempDir dir_;
    const std::string data_ = dir_ / "data", uca_ = dir_ / "config/Thunar/uca.xml";
    const std::map<std::string, std::string> env_ = {{"XDG_CONFIG_HOME", dir_ / "config"},
                                                     {"XDG_DATA_HOME", data_},
                                                     {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
};

// The user's own entries stay: uca.xml is the user's list with the verb's action added, and
// the same list again once the verb is deleted. The verb's name, with a % in it, is each
// entry's label (Nemo takes %% for it).
TEST_F(FileManagerMenusE2E, EachEntryZapsExactlyTheChosenFiles) {
    const std::string program = dir_ / "bin dir's/zap file";  // a blank and a quote
    fs::create_directories(dir_ / "bin dir's");
    fs::create_symlink(ZAPFILE_BIN, program);
    fs::create_directories(dir_ / "config/Thunar");
    testenv::WriteFile(uca_, menus::kUserUca);
    Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser", "/t", "REG_SZ", "/d", "0", "/f"});
    Run({ZAPFILE_REG_BIN, "add", "HKCR\\*\\shell\\Zap 100%\\command", "/ve", "/d",
         "\"" + program + "\" \"%1\"", "/f"});

    // Dolphin: %f starts one process per file, the path quoted in its place. It takes only a
    // service menu that may be run.
    const std::string service = data_ + "/kio/servicemenus/Zap 100%.desktop";
    EXPECT_EQ(fs::perms(0755), fs::status(service).permissions());
    EXPECT_EQ("Zap 100%", menus::KeyValue(service, "Desktop Action verb", "Name"));
    const std::string dolphinExec = menus::KeyValue(service, "Desktop Action verb", "Exec");
    for (const std::string& path : Files("dolphin"))
        Run(menus::Argv(Replaced(dolphinExec, "%f", ShellQuoted(path))));

    // Nemo: all paths for %F in one line, each in double quotes.
    const std::string nemo = data_ + "/nemo/actions/Zap 100%.nemo_action";
    EXPECT_EQ("Zap 100%%", menus::KeyValue(nemo, "Nemo Action", "Name"));
    EXPECT_EQ("double", menus::KeyValue(nemo, "Nemo Action", "Quote"));
    const std::string nemoExec = menus::KeyValue(nemo, "Nemo Action", "Exec");
    Run(menus::Argv(Replaced(nemoExec, "%F", List(Files("nemo"), DoubleQuoted))));

    // Thunar: sh -c, each path of %F quoted by Thunar.
    std::vector<menus::Action> actions;
    ASSERT_TRUE(menus::UcaActions(testenv::ReadFile(uca_), &actions));
    ASSERT_EQ(2u, actions.size());
    EXPECT_EQ(0u, testenv::ReadFile(uca_).find(menus::kUserUca.substr(0, menus::kUserUca.size() - 11)));
    EXPECT_EQ("Zap 100%", actions[1]["name"]);
    Run({"/bin/sh", "-c", Replaced(actions[1]["command"], "%F", List(Files("thunar"), ShellQuoted))});

    // GNOME Files: the script, in the current folder, with names relative to it.
    Files("nautilus");
    std::vector<std::string> argv = {"/bin/sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh",
                                     dir_ / "nautilus", data_ + "/nautilus/scripts/Zap 100%"};
    argv.insert(argv.end(), kChosen.begin(), kChosen.end());
    Run(argv);

    for (const std::string manager : {"dolphin", "nemo", "thunar", "nautilus"}) {
        for (const std::string& name : kChosen)
            EXPECT_FALSE(testenv::Exists(dir_ / manager + "/" + name)) << manager << ": " << name;
        for (const std::string& name : kNeighbours)
            EXPECT_EQ("keep", testenv::ReadFile(dir_ / manager + "/" + name)) << manager << ": " << name;
    }
    Run({ZAPFILE_REG_BIN, "delete", "HKCR\\*\\shell\\Zap 100%", "/f"});
    EXPECT_EQ(menus::kUserUca, testenv::ReadFile(uca_));
    EXPECT_FALSE(testenv::Exists(service));
}

}  // namespace
