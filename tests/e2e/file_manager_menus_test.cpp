// tests/e2e/file_manager_menus_test.cpp
// The verb added with zapfile-reg, picked in each file manager's menu: every entry, run as its
// file manager runs it on a selection of awkward names, zaps exactly the chosen files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "menu_entries.h"
#include "process.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kChosen = {"a b.txt", "it's", "x\ny", "--help", "$f `x`"};
const std::vector<std::string> kNeighbours = {"a", "b.txt", "it", "x", "y", "$f", "`x`"};

// What a launcher makes of a line with % codes: `code` replaced, %% a percent sign. Any other
// % is not a valid line (launchers drop it or refuse the entry).
std::string Replaced(const std::string& text, const std::string& code, const std::string& by) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, code.size(), code) == 0) {
            out += by;
            i += code.size() - 1;
        } else {
            EXPECT_TRUE(text[i] != '%' || text.compare(i, 2, "%%") == 0) << "a lone % in " << text;
            out += text[i];
            i += text.compare(i, 2, "%%") == 0;
        }
    }
    return out;
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

// Each test starts with the user's own uca.xml.
class FileManagerMenusE2E : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "config/Thunar");
        testenv::WriteFile(uca_, menus::kUserUca);
    }
    // zapfile-reg with these arguments.
    static std::vector<std::string> Argv(std::vector<std::string> args) {
        args.insert(args.begin(), ZAPFILE_REG_BIN);
        return args;
    }
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

    // zapfile-reg with these arguments, as an ordinary user: run as root, the test gives its
    // folder to nobody and runs it as nobody, so that permissions bind it.
    testproc::Result Reg(const std::vector<std::string>& args) {
        std::vector<std::string> argv = Argv(args);
        if (geteuid() == 0) {
            argv[0] = dir_ / "zapfile-reg";  // where nobody may run it
            if (!testenv::Exists(argv[0]))
                fs::copy_file(ZAPFILE_REG_BIN, argv[0]);
            testproc::Run({"chown", "-R", "65534:65534", dir_.path()}, {});
            argv.insert(argv.begin(),
                        {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
        }
        return testproc::Run(argv, env_);
    }
    // How many file managers hold an entry of the verb Zap.
    int Entries() {
        std::vector<menus::Action> actions;
        menus::UcaActions(testenv::ReadFile(uca_), &actions);
        int n = 0;
        for (menus::Action& a : actions)
            n += a["name"] == "Zap";
        for (const char* entry : {"nautilus/scripts/Zap", "kio/servicemenus/Zap.desktop",
                                  "nemo/actions/Zap.nemo_action"})
            n += testenv::Exists(data_ + "/" + entry);
        return n;
    }

    testenv::TempDir dir_;
    const std::string data_ = dir_ / "data", uca_ = dir_ / "config/Thunar/uca.xml";
    const std::map<std::string, std::string> env_ = {{"XDG_CONFIG_HOME", dir_ / "config"},
                                                     {"XDG_DATA_HOME", data_},
                                                     {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    const std::vector<std::string> addZap = {"add", "HKCR\\*\\shell\\Zap\\command", "/ve", "/d",
                                             "\"/usr/bin/zapfile\" \"%1\"", "/f"};
    const std::vector<std::string> deleteZap = {"delete", "HKCR\\*\\shell\\Zap", "/f"};
    // A write of another key, which brings the menus in step when a sync is owed.
    const std::vector<std::string> otherWrite = {"add", "HKCU\\Software\\Zapfile", "/v", "n",
                                                 "/d", "1", "/f"};
};

// The user's own entries stay: uca.xml is the user's list with the verb's action added, and
// the same list again once the verb is deleted. The verb's name, with a % in it, is each
// entry's label (Nemo takes %% for it), and the program's folder has one too.
TEST_F(FileManagerMenusE2E, EachEntryZapsExactlyTheChosenFiles) {
    const std::string program = dir_ / "bin dir's 100%/zap file";  // a blank, a quote, a %
    fs::create_directories(dir_ / "bin dir's 100%");
    fs::create_symlink(ZAPFILE_BIN, program);
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

// A removal that leaves an entry of this program's behind fails, as a user whose menu folders
// are read-only meets it: the verb is gone from the registry, the entries stay, and the call
// says so. The next registry write, of anything, finishes the removal once it can.
TEST_F(FileManagerMenusE2E, ARemovalThatLeavesAnEntryFailsAndTheNextWriteFinishesIt) {
    ASSERT_EQ(0, Reg(addZap).exitCode);
    ASSERT_EQ(4, Entries());
    const std::string folders[] = {data_ + "/nautilus/scripts", data_ + "/kio/servicemenus",
                                   data_ + "/nemo/actions", dir_ / "config/Thunar"};
    for (const std::string& folder : folders)
        fs::permissions(folder, fs::perms(0555));
    fs::permissions(uca_, fs::perms(0444));
    const testproc::Result r = Reg(deleteZap);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("ERROR: Access is denied.")) << r.err;
    EXPECT_EQ(4, Entries());
    for (const std::string& folder : folders)
        fs::permissions(folder, fs::perms(0755));
    ASSERT_EQ(0, Reg(otherWrite).exitCode);
    EXPECT_EQ(0, Entries());
    EXPECT_EQ(menus::kUserUca, testenv::ReadFile(uca_));
}

// Whatever moment a writer dies at, the next write brings the menus in step with the registry:
// a writer killed while it waits for the menus' lock, which another program holds, after its
// change was committed, and writers killed at random moments of adding or deleting the verb.
// A writer kept waiting gives up after 5 s and says why.
TEST_F(FileManagerMenusE2E, WritersKilledOrKeptWaitingLeaveTheMenusToTheNextWrite) {
    const auto Start = [&](const std::vector<std::string>& args) {
        return testproc::Start(Argv(args), env_, [] { return fork(); });
    };
    const auto Registered = [&] {
        return testproc::Run(Argv({"query", "HKCR\\*\\shell\\Zap\\command", "/ve"}), env_)
                   .out.find("zapfile") != std::string::npos;
    };
    Run(Argv({"add", "HKCR\\*\\shell\\Zap\\command", "/f"}));  // the key, without a command
    const int lock = open((dir_ / "config/zapfile/menus/lock").c_str(), O_RDWR);
    ASSERT_EQ(0, flock(lock, LOCK_EX));
    pid_t writer = Start(addZap);
    for (const auto deadline = testproc::After(3000); !Registered() && testproc::Left(deadline);)
        usleep(10000);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    ASSERT_TRUE(Registered());
    EXPECT_EQ(0, Entries());
    const testproc::Result kept = testproc::Run(Argv(deleteZap), env_);
    EXPECT_EQ(1, kept.exitCode);
    EXPECT_NE(std::string::npos, kept.err.find("another program has held the menus' lock for 5 s"))
        << kept.err;
    close(lock);
    Run(Argv(otherWrite));
    EXPECT_EQ(Registered() ? 4 : 0, Entries());

    std::mt19937 random(20);
    for (int round = 0; round < 20 && !HasFailure(); ++round) {
        writer = Start(round % 2 == 0 ? addZap : deleteZap);
        usleep(std::uniform_int_distribution<int>(0, 20000)(random));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        Run(Argv(otherWrite));
        EXPECT_EQ(Registered() ? 4 : 0, Entries()) << "round " << round;
    }
}

}  // namespace
