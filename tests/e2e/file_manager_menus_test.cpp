// tests/e2e/file_manager_menus_test.cpp
// The verb added with zapfile-reg, picked in each file manager's menu: every entry, run as its
// file manager runs it on a selection of awkward names, zaps exactly the chosen files.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(FileManagerMenusE2E, EachEntryZapsExactlyTheChosenFiles) {
    const std::string program = dir_ / "bin dir's/zap file";  // a blank and a quote
    fs::create_directories(dir_ / "bin dir's");
    fs::create_symlink(ZAPFILE_BIN, program);
    fs::create_directories(dir_ / "config/Thunar");
    testenv::WriteFile(uca_, menus::kUserUca);
    Run({ZAPFILE_REG_BIN, "add", "HKCU\\Software\\Zapfile", "/v", "bAskUser", "/t", "REG_SZ", "/d", "0", "/f"});
    Run({ZAPFILE_REG_BIN, "add", "HKCR\\*\\shell\\Zapfile\\command", "/ve", "/d",
         "\"" + program + "\" \"%1\"", "/f"});

    // Dolphin: %f starts one process per file, the path quoted in its place.
    const std::string dolphinExec =
        menus::KeyValue(data_ + "/kio/servicemenus/Zapfile.desktop", "Desktop Action verb", "Exec");
    for (const std::string& path : Files("dolphin"))
        Run(menus::Argv(Replaced(dolphinExec, "%f", ShellQuoted(path))));

    // Nemo: all paths for %F in one line, each in double quotes.
    const std::string nemoExec =
        menus::KeyValue(data_ + "/nemo/actions/Zapfile.nemo_action", "Nemo Action", "Exec");
    Run(menus::Argv(Replaced(nemoExec, "%F", List(Files("nemo"), DoubleQuoted))));

    // Thunar: sh -c, each path of %F quoted by Thunar.
    std::vector<menus::Action> actions;
    ASSERT_TRUE(menus::UcaActions(testenv::ReadFile(uca_), &actions));
    ASSERT_EQ(2u, actions.size());
    Run({"/bin/sh", "-c", Replaced(actions[1]["command"], "%F", List(Files("thunar"), ShellQuoted))});

    // GNOME Files: the script, in the current folder, with names relative to it.
    Files("nautilus");
    std::vector<std::string> argv = {"/bin/sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh",
                                     dir_ / "nautilus", data_ + "/nautilus/scripts/Zapfile"};
    argv.insert(argv.end(), kChosen.begin(), kChosen.end());
    Run(argv);

    for (const std::string manager : {"dolphin", "nemo", "thunar", "nautilus"}) {
        for (const std::string& name : kChosen)
            EXPECT_FALSE(testenv::Exists(dir_ / manager + "/" + name)) << manager << ": " << name;
        for (const std::string& name : kNeighbours)
            EXPECT_EQ("keep", testenv::ReadFile(dir_ / manager + "/" + name)) << manager << ": " << name;
    }
}

// A verb that no file manager can show is refused, each reason named: here every menu folder
// is read-only to the user (nobody, when the tests run as root).
TEST_F(FileManagerMenusE2E, AVerbThatNoMenuCanTakeIsRefusedWithEachReason) {
    const bool root = geteuid() == 0;
    ASSERT_EQ(0, chmod(dir_.path().c_str(), 0755));
    for (const std::string folder : {"data/nautilus/scripts", "data/kio/servicemenus",
                                     "data/nemo/actions", "config/Thunar"}) {
        fs::create_directories(dir_ / folder);
        ASSERT_EQ(0, chmod((dir_ / folder).c_str(), 0555));
    }
    fs::create_directories(dir_ / "config/zapfile");  // the registry, the user's own
    if (root) {
        ASSERT_EQ(0, chown((dir_ / "config/zapfile").c_str(), 65534, 65534));
    }
    std::vector<std::string> as = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (!root)
        as.clear();
    const auto Reg = [&](std::vector<std::string> args) {
        args.insert(args.begin(), ZAPFILE_REG_BIN);
        args.insert(args.begin(), as.begin(), as.end());
        return testproc::Run(args, env_);
    };
    testproc::Result r = Reg({"add", "HKCR\\*\\shell\\Zapfile\\command", "/ve", "/d", "/bin/zap %1", "/f"});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ("", r.out);
    for (const std::string entry : {"nautilus/scripts/Zapfile", "kio/servicemenus/Zapfile.desktop",
                                    "nemo/actions/Zapfile.nemo_action"})
        EXPECT_NE(std::string::npos, r.err.find(data_ + "/" + entry + ": Permission denied\n")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(uca_ + ": Permission denied\n")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("ERROR: Access is denied.\n")) << r.err;
    r = Reg({"query", "HKCR\\*\\shell\\Zapfile\\command"});
    EXPECT_EQ(1, r.exitCode) << r.out;
    for (const std::string folder : {"data/nautilus/scripts", "data/kio/servicemenus",
                                     "data/nemo/actions", "config/Thunar"}) {
        EXPECT_TRUE(fs::is_empty(dir_ / folder)) << folder;
        chmod((dir_ / folder).c_str(), 0755);
    }
}

}  // namespace
