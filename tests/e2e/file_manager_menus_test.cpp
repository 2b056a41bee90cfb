// tests/e2e/file_manager_menus_test.cpp
// The verb added with zapfile-reg, picked in each file manager's menu: every entry, run as its
// file manager runs it on a selection of awkward names, zaps exactly the chosen files; deleting
// the verb takes the entries away again.

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

class FileManagerMenusE2E : public ::testing::Test {
protected:
    void Reg(const std::vector<std::string>& args) {
        std::vector<std::string> argv{ZAPFILE_REG_BIN};
        argv.insert(argv.end(), args.begin(), args.end());
        const testproc::Result r = testproc::Run(argv, env_);
        ASSERT_EQ(0, r.exitCode) << r.out << r.err;
    }
    void Run(const std::vector<std::string>& argv) {
        ASSERT_FALSE(argv.empty());
        const testproc::Result r = testproc::Run(argv, env_);
        EXPECT_EQ(0, r.exitCode) << r.out << r.err;
    }
    // The chosen files and their neighbours, fresh in a folder of the file manager's name.
    std::vector<std::string> Files(const std::string& manager) {
        fs::create_directories(dir_ / manager);
        std::vector<std::string> chosen;
        for (const std::string& name : kChosen)
            chosen.push_back(dir_ / manager + "/" + name);
        for (const std::string& path : chosen)
            testenv::WriteFile(path, "secret");
        for (const std::string& name : kNeighbours)
            testenv::WriteFile(dir_ / manager + "/" + name, "keep");
        return chosen;
    }
    void ExpectOnlyChosenGone(const std::string& manager) {
        const std::string folder = dir_ / manager + "/";
        for (const std::string& name : kChosen)
            EXPECT_FALSE(testenv::Exists(folder + name)) << manager << ": " << name;
        for (const std::string& name : kNeighbours)
            EXPECT_EQ("keep", testenv::ReadFile(folder + name)) << manager << ": " << name;
    }

    testenv::TempDir dir_;
    const std::string data_ = dir_ / "data", uca_ = dir_ / "config/Thunar/uca.xml";
    const std::map<std::string, std::string> env_ = {{"XDG_CONFIG_HOME", dir_ / "config"},
                                                     {"XDG_DATA_HOME", data_},
                                                     {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
};

TEST_F(FileManagerMenusE2E, EachEntryZapsExactlyTheChosenFiles) {
    const std::string program = dir_ / "bin dir's/zap file";  // a blank and a quote
    fs::create_directories(dir_ / "bin dir's");
    fs::create_symlink(ZAPFILE_BIN, program);
    fs::create_directories(dir_ / "config/Thunar");
    testenv::WriteFile(uca_, menus::kUserUca);
    Reg({"add", "HKCU\\Software\\Zapfile", "/v", "bAskUser", "/t", "REG_SZ", "/d", "0", "/f"});
    const std::string command = "\"" + program + "\" \"%1\"";
    Reg({"add", "HKCR\\*\\shell\\Zapfile\\command", "/ve", "/d", command, "/f"});
    const std::string script = data_ + "/nautilus/scripts/Zapfile",
                      service = data_ + "/kio/servicemenus/Zapfile.desktop",
                      nemo = data_ + "/nemo/actions/Zapfile.nemo_action";

    // Dolphin: %f starts one process per file, the path quoted in its place.
    const std::string dolphinExec = menus::KeyFile(service)["Desktop Action verb"]["Exec"];
    for (const std::string& path : Files("dolphin"))
        Run(menus::Argv(Replaced(dolphinExec, "%f", ShellQuoted(path))));
    ExpectOnlyChosenGone("dolphin");

    // Nemo: all paths for %F in one line. Were Nemo to cut it at a name's newline, the cut
    // would leave a quote open and GLib would start nothing.
    std::string list;
    for (const std::string& path : Files("nemo"))
        list += (list.empty() ? "" : " ") + DoubleQuoted(path);
    const std::string nemoLine = Replaced(menus::KeyFile(nemo)["Nemo Action"]["Exec"], "%F", list);
    EXPECT_TRUE(menus::Argv(nemoLine.substr(0, nemoLine.find('\n'))).empty());
    Run(menus::Argv(nemoLine));
    ExpectOnlyChosenGone("nemo");

    // Thunar: sh -c, each path of %F quoted by Thunar.
    std::vector<menus::Action> actions;
    ASSERT_TRUE(menus::UcaActions(testenv::ReadFile(uca_), &actions));
    ASSERT_EQ(2u, actions.size());
    list.clear();
    for (const std::string& path : Files("thunar"))
        list += (list.empty() ? "" : " ") + ShellQuoted(path);
    Run({"/bin/sh", "-c", Replaced(actions[1]["command"], "%F", list)});
    ExpectOnlyChosenGone("thunar");

    // GNOME Files: the script, in the current folder, with names relative to it.
    Files("nautilus");
    std::vector<std::string> argv = {"/bin/sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh",
                                     dir_ / "nautilus", script};
    argv.insert(argv.end(), kChosen.begin(), kChosen.end());
    Run(argv);
    ExpectOnlyChosenGone("nautilus");

    Reg({"delete", "HKCR\\*\\shell\\Zapfile", "/f"});
    for (const std::string& entry : {script, service, nemo})
        EXPECT_FALSE(testenv::Exists(entry)) << entry;
    EXPECT_EQ(menus::kUserUca, testenv::ReadFile(uca_));
}

}  // namespace
