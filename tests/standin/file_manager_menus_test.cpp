// tests/standin/file_manager_menus_test.cpp
// The verbs under HKEY_CLASSES_ROOT\*\shell as file-manager menu entries, kept up to date by
// the registry calls: each entry where and as its file manager reads it, the user's own
// entries left alone, and none for a command line that could not be carried exactly.

#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "menu_entries.h"
#include "registry_sqlite.h"
#include "test_env.h"

namespace {

using menus::kUserUca;

class FileManagerMenus : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", data_.c_str(), 1);
        standin::RegistryReset();
        ASSERT_TRUE(std::filesystem::create_directories(dir_ / "config/Thunar"));
        testenv::WriteFile(uca_, kUserUca);
    }
    void SetVerb(const std::string& verb, const std::string& command) {
        const std::string key = "*\\shell\\" + verb + "\\command";
        const BYTE* data = reinterpret_cast<const BYTE*>(command.c_str());
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CLASSES_ROOT, key.c_str(), &h));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "", 0, REG_SZ, data, command.size()));
    }
    void DeleteVerb(const std::string& verb) {
        ASSERT_EQ(0, RegDeleteKeyA(HKEY_CLASSES_ROOT, ("*\\shell\\" + verb + "\\command").c_str()));
        ASSERT_EQ(0, RegDeleteKeyA(HKEY_CLASSES_ROOT, ("*\\shell\\" + verb).c_str()));
    }
    std::string Script(const std::string& verb) { return data_ + "/nautilus/scripts/" + verb; }
    std::string Service(const std::string& verb) {
        return data_ + "/kio/servicemenus/" + verb + ".desktop";
    }
    std::string Nemo(const std::string& verb) {
        return data_ + "/nemo/actions/" + verb + ".nemo_action";
    }
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
    static mode_t Mode(const std::string& path) {
        struct stat st = {};
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    testenv::TempDir dir_;
    const std::string data_ = dir_ / "data", uca_ = dir_ / "config/Thunar/uca.xml";
};

TEST_F(FileManagerMenus, EachFormatCarriesTheCommandAndTheUsersEntriesStay) {
    const std::string program = "/opt/my app's\\$`x";
    const std::string mine = "[Desktop Entry]\nType=Service\n";
    ASSERT_TRUE(std::filesystem::create_directories(data_ + "/kio/servicemenus"));
    testenv::WriteFile(Service("Mine"), mine);
    SetVerb("Zap 100%", "\"" + program + "\"  \"%1\"");
    SetVerb("Mine", "/bin/echo %1 --");

    EXPECT_EQ(0700, Mode(data_ + "/nautilus/scripts"));
    EXPECT_EQ(0700, Mode(Script("Zap 100%")));
    EXPECT_EQ(0, testenv::ReadFile(Script("Zap 100%")).rfind("#!/bin/sh\n", 0));
    EXPECT_EQ(4, Entries("Mine"));  // the user's service menu in Dolphin, as it was
    EXPECT_EQ(mine, testenv::ReadFile(Service("Mine")));

    auto dolphin = menus::KeyFile(Service("Zap 100%"));
    EXPECT_EQ(0755, Mode(Service("Zap 100%")));
    EXPECT_EQ("Service", dolphin["Desktop Entry"]["Type"]);
    EXPECT_EQ("application/octet-stream;", dolphin["Desktop Entry"]["MimeType"]);
    EXPECT_EQ("file", dolphin["Desktop Entry"]["X-KDE-Protocols"]);
    EXPECT_EQ("verb;", dolphin["Desktop Entry"]["Actions"]);
    EXPECT_EQ("Zap 100%", dolphin["Desktop Action verb"]["Name"]);
    EXPECT_EQ((std::vector<std::string>{program, "%f"}),
              menus::Argv(dolphin["Desktop Action verb"]["Exec"]));

    auto nemo = menus::KeyFile(Nemo("Zap 100%"))["Nemo Action"];
    EXPECT_EQ("Zap 100%%", nemo["Name"]);
    EXPECT_EQ("nodirs;", nemo["Extensions"]);
    EXPECT_EQ("notnone", nemo["Selection"]);
    EXPECT_EQ("double", nemo["Quote"]);
    const auto nemoArgv = menus::Argv(nemo["Exec"]);
    ASSERT_EQ(5u, nemoArgv.size()) << nemo["Exec"];
    EXPECT_EQ((std::vector<std::string>{"/bin/sh", "-c", "sh", "%F"}),
              (std::vector<std::string>{nemoArgv[0], nemoArgv[1], nemoArgv[3], nemoArgv[4]}));

    const std::string uca = testenv::ReadFile(uca_);
    EXPECT_EQ(0, uca.rfind(kUserUca.substr(0, kUserUca.size() - 11), 0)) << uca;
    std::vector<menus::Action> actions;
    ASSERT_TRUE(menus::UcaActions(uca, &actions)) << uca;
    ASSERT_EQ(3u, actions.size());
    EXPECT_EQ("Zap 100%", actions[2]["name"]);
    EXPECT_EQ(0, actions[2]["command"].rfind("for f in %F; do ", 0)) << actions[2]["command"];
    EXPECT_EQ(1u, actions[2].count("other-files"));

    DeleteVerb("Zap 100%");
    DeleteVerb("Mine");
    EXPECT_EQ(0, Entries("Zap 100%"));
    EXPECT_EQ(1, Entries("Mine"));
    EXPECT_EQ(mine, testenv::ReadFile(Service("Mine")));
    EXPECT_EQ(kUserUca, testenv::ReadFile(uca_));
}

TEST_F(FileManagerMenus, CommandsThatCannotBeCarriedExactlyGetNoEntries) {
    for (const char* bad :
         {"zapfile \"%1\"", "\"/bin/zap\"", "/bin/zap %1 \"%1\"", "/bin/zap %1 %2",
          "/bin/zap \"%1\" 100%", "\"/bin/zap\"x %1", "/bin/z\"ap %1", "\"/bin/zap %1",
          "/bin/zap %1\n", "/bin/zap\t%1", "%1 /bin/zap", "/bin/z\xff %1"}) {
        SetVerb("Zap", "/bin/zap %1");
        ASSERT_EQ(4, Entries("Zap"));
        SetVerb("Zap", bad);
        EXPECT_EQ(0, Entries("Zap")) << testing::PrintToString(bad);
    }
    for (const char* name : {".Zap", "a/b", "tab\tname"})
        SetVerb(name, "/bin/zap %1");
    for (const auto& e : std::filesystem::recursive_directory_iterator(data_))
        EXPECT_TRUE(e.is_directory()) << e.path();
}

// The menus follow changes at or below HKEY_CLASSES_ROOT\*\shell, however the key was reached,
// and no other write costs a look at them. A uca.xml that is not a plain list stays as it is.
TEST_F(FileManagerMenus, OnlyChangesBelowTheVerbsKeyRewriteTheMenus) {
    SetVerb("Zap", "/bin/zap %1");
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

}  // namespace
