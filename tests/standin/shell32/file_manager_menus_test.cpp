// tests/standin/shell32/file_manager_menus_test.cpp
// The verbs under HKEY_CLASSES_ROOT\*\shell as file-manager menu entries, kept up to date by
// the registry calls: each entry where and as its file manager reads it, the user's own
// entries left alone, and none for a command line that could not be carried exactly.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <regex>
#include <thread>

#include "advapi32/registry.h"
#include "menu_entries.h"
#include "shell32/menu_entries.h"
#include "registry_probe.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;
using menus::kUserUca;

class FileManagerMenus : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", data_.c_str(), 1);
        standin::RegistryReset();
        ASSERT_TRUE(fs::create_directories(dir_ / "config/Thunar"));
        testenv::WriteFile(uca_, kUserUca);
    }
    static LONG WriteVerb(const std::string& verb, const std::string& command) {
        HKEY h = nullptr;
        const LONG status =
            RegCreateKeyA(HKEY_CLASSES_ROOT, ("*\\shell\\" + verb + "\\command").c_str(), &h);
        return status != 0 ? status : RegSetValueExA(h, "", 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(command.c_str()),
                                                     command.size());
    }
    // The verb's entries of GNOME Files, Dolphin and Nemo.
    std::string Script(const std::string& verb) { return data_ + "/nautilus/scripts/" + verb; }
    std::string Service(const std::string& verb) { return data_ + "/kio/servicemenus/" + verb + ".desktop"; }
    std::string Nemo(const std::string& verb) { return data_ + "/nemo/actions/" + verb + ".nemo_action"; }
    // How many formats hold an entry of the verb.
    int Entries(const std::string& verb) {
        std::vector<menus::Action> actions;
        EXPECT_TRUE(menus::UcaActions(testenv::ReadFile(uca_), &actions));
        int n = 0;
        for (const menus::Action& a : actions)
            n += a.at("name") == verb;
        for (const std::string& path : {Script(verb), Service(verb), Nemo(verb)})
            n += testenv::Exists(path);
        return n;
    }

    testenv::TempDir dir_;
    const std::string data_ = dir_ / "data", uca_ = dir_ / "config/Thunar/uca.xml";
};

// A command that the entries cannot carry exactly is refused, and the verb keeps what it had;
// one that only some formats can hold (a program path that is not UTF-8) gets entries in
// those. A percent sign before no code of the Explorer's is carried (see the e2e test), and so
// is the longest command, within the size at which an entry is read.
TEST_F(FileManagerMenus, ACommandIsCarriedExactlyOrRefused) {
    using standin::menus::kMaxCommand;
    // A quote costs the most in every format: 7 bytes in Nemo's Exec.
    const std::string longest = "/" + std::string(kMaxCommand - 4, '\'') + " %1";
    const struct {
        std::string command;
        LONG status;
        int entries;
    } cases[] = {
        {"zapfile \"%1\"", ERROR_INVALID_DATA, 4}, {"\"/bin/zap\"", ERROR_INVALID_DATA, 4},
        {"/bin/zap %1 \"%1\"", ERROR_INVALID_DATA, 4}, {"/bin/zap %1 %2", ERROR_INVALID_DATA, 4},
        {"/bin/zap \"%1\" 5%off", ERROR_INVALID_DATA, 4}, {"/bin/zap %1 %%", ERROR_INVALID_DATA, 4},
        {"\"/bin/zap\"x %1", ERROR_INVALID_DATA, 4}, {"/bin/z\"ap %1", ERROR_INVALID_DATA, 4},
        {"\"/bin/zap %1", ERROR_INVALID_DATA, 4}, {"/bin/zap %1\n", ERROR_INVALID_DATA, 4},
        {"/bin/zap\t%1", ERROR_INVALID_DATA, 4}, {"%1 /bin/zap", ERROR_INVALID_DATA, 4},
        {"/" + std::string(kMaxCommand - 3, 'z') + " %1", ERROR_INVALID_DATA, 4},
        {"/bin/zap \"%1\" 100%", ERROR_SUCCESS, 4}, {"/bin/z\xff %1", ERROR_SUCCESS, 1},
        {longest, ERROR_SUCCESS, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.command.substr(0, 40)));
        ASSERT_EQ(0, WriteVerb("Zap", "/bin/zap %1"));
        ASSERT_EQ(4, Entries("Zap"));
        EXPECT_EQ(c.status, WriteVerb("Zap", c.command));
        EXPECT_EQ(c.entries, Entries("Zap"));
    }
    for (const std::string& path : {Script("Zap"), Service("Zap"), Nemo("Zap")})
        EXPECT_GE(standin::menus::kMaxEntry, fs::file_size(path)) << path;
    probe::DeleteTree(HKEY_CLASSES_ROOT, "*\\shell\\Zap");
    // A verb whose name no entry can have gets no command either.
    for (const char* name : {".Zap", "a/b", "tab\tname", "Z\xff"})
        EXPECT_EQ(ERROR_INVALID_DATA, WriteVerb(name, "/bin/zap %1")) << name;
    for (const auto& e : fs::recursive_directory_iterator(data_))
        EXPECT_TRUE(e.is_directory()) << e.path();
}

// The menus follow changes at or below HKEY_CLASSES_ROOT\*\shell, however the key was reached,
// and no other write costs a look at them. A uca.xml that is not a plain list stays as it is.
TEST_F(FileManagerMenus, OnlyChangesBelowTheVerbsKeyRewriteTheMenus) {
    ASSERT_EQ(0, WriteVerb("Zap", "/bin/zap %1"));
    ASSERT_EQ(0, unlink(Nemo("Zap").c_str()));
    testenv::WriteFile(uca_, "<actions><!-- mine --></actions>");
    HKEY h = nullptr;
    for (const char* elsewhere : {"Software\\Zapfile", "Zapfile\\shell\\Zap\\command"}) {
        ASSERT_EQ(0, RegCreateKeyA(elsewhere[0] == 'S' ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT,
                                   elsewhere, &h));
        ASSERT_EQ(0, RegSetValueExA(h, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 1));
    }
    EXPECT_FALSE(testenv::Exists(Nemo("Zap")));
    ASSERT_EQ(0, RegOpenKeyA(HKEY_CLASSES_ROOT, "*", &h));
    ASSERT_EQ(0, RegCreateKeyA(h, "SHELL\\Other\\command", &h));
    EXPECT_TRUE(testenv::Exists(Nemo("Zap")));
    EXPECT_EQ("<actions><!-- mine --></actions>", testenv::ReadFile(uca_));
}

// A file is this program's entry only under the name it gives the verb's entry and while it
// holds exactly what was written there last, with the permissions it was given: copies, an
// entry edited by hand and one whose mode the user changed are the user's and stay as they
// are, whatever they hold.
TEST_F(FileManagerMenus, CopiesAndEditedEntriesAreTheUsersAndStay) {
    ASSERT_EQ(0, WriteVerb("Zap", "/bin/zap %1"));
    const std::string script = testenv::ReadFile(Script("Zap"));
    const std::string service = testenv::ReadFile(Service("Zap"));
    const std::string copies[][2] = {
        {Script("Zap again"), script + "echo mine\n"},
        {data_ + "/kio/servicemenus/my-zap.desktop",
         std::regex_replace(service, std::regex("Name=Zap"), "Name=My zap")},
        {data_ + "/nemo/actions/zap.nemo_action", testenv::ReadFile(Nemo("Zap"))}};
    for (const auto& [path, bytes] : copies)
        testenv::WriteFile(path, bytes);
    const std::string edited = service + "X-Mine=yes\n";
    testenv::WriteFile(Service("Zap"), edited);
    const std::string nemo = testenv::ReadFile(Nemo("Zap"));
    fs::permissions(Nemo("Zap"), fs::perms(0600));
    // A copy of the Thunar action under a name of the user's, its unique-id kept.
    std::string uca = testenv::ReadFile(uca_);
    const size_t from = uca.rfind("<action>", uca.find("zapfile-shell-verb-"));
    const std::string ours = uca.substr(from, uca.find("</action>", from) + 10 - from);
    uca.insert(uca.rfind("</actions>"), std::regex_replace(ours, std::regex("<name>Zap<"), "<name>Zap 2<"));
    testenv::WriteFile(uca_, uca);

    ASSERT_EQ(0, WriteVerb("Other", "/bin/other %1"));
    // The verb's own entries follow, the edited one does not.
    ASSERT_EQ(0, WriteVerb("Zap", "/bin/zap2 %1"));
    EXPECT_NE(std::string::npos, testenv::ReadFile(Script("Zap")).find("/bin/zap2"));
    EXPECT_EQ(edited, testenv::ReadFile(Service("Zap")));
    probe::DeleteTree(HKEY_CLASSES_ROOT, "*\\shell\\Zap");
    EXPECT_FALSE(testenv::Exists(Script("Zap")));
    EXPECT_EQ(edited, testenv::ReadFile(Service("Zap")));
    EXPECT_EQ(nemo, testenv::ReadFile(Nemo("Zap")));
    EXPECT_EQ(fs::perms(0600), fs::status(Nemo("Zap")).permissions());
    for (const auto& [path, bytes] : copies)
        EXPECT_EQ(bytes, testenv::ReadFile(path)) << path;
    std::vector<menus::Action> actions;
    ASSERT_TRUE(menus::UcaActions(testenv::ReadFile(uca_), &actions));
    ASSERT_EQ(3u, actions.size());  // the user's own, the user's copy, Other
    EXPECT_EQ("Zap 2", actions[1]["name"]);
}

// Verbs added while others are deleted, all at once: after the writers finish, the menus show
// exactly the verbs the registry holds, round after round.
TEST_F(FileManagerMenus, ConcurrentChangesLeaveTheMenusInStepWithTheRegistry) {
    constexpr int kVerbs = 6;
    for (int i = 0; i < kVerbs; ++i)
        ASSERT_EQ(0, WriteVerb("v0-" + std::to_string(i), "/bin/zap %1"));
    for (int round = 1; round <= 8; ++round) {
        std::vector<std::thread> writers;
        for (int i = 0; i < kVerbs; ++i) {
            const std::string suffix = "-" + std::to_string(i);
            writers.emplace_back([round, suffix] {
                EXPECT_EQ(0, WriteVerb("v" + std::to_string(round) + suffix, "/bin/zap %1"));
            });
            writers.emplace_back([this, round, suffix] {
                probe::DeleteTree(HKEY_CLASSES_ROOT, "*\\shell\\v" + std::to_string(round - 1) + suffix);
            });
        }
        for (std::thread& t : writers)
            t.join();
        for (int i = 0; i < kVerbs; ++i) {
            EXPECT_EQ(4, Entries("v" + std::to_string(round) + "-" + std::to_string(i))) << round;
            EXPECT_EQ(0, Entries("v" + std::to_string(round - 1) + "-" + std::to_string(i))) << round;
        }
        if (HasFailure())
            break;
    }
}

}  // namespace
