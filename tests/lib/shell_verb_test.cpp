// tests/lib/shell_verb_test.cpp
// RegisterShellVerb and UnregisterShellVerb against the platform's HKEY_CLASSES_ROOT: the keys
// made and removed, the command line's exact bytes, refused lengths. Every test removes what
// it made: under Wine the registry is shared with the other tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "registry_key.h"
#include "registry_probe.h"

namespace {

constexpr char kProgram[] = "C:\\Program Files\\Ko Zapfile\\zapfile.exe";
// Classes and verb of these tests alone; the application's own are checked through its window.
constexpr char kFirst[] = "ZapfileTestFirst";
constexpr char kSecond[] = "ZapfileTestSecond";
constexpr char kVerb[] = "ZapfileTestVerb";
const std::string kCommand = std::string("\\shell\\") + kVerb + "\\command";

bool Exists(const std::string& path) { return probe::Exists(HKEY_CLASSES_ROOT, path); }
void Create(const std::string& path) { probe::Create(HKEY_CLASSES_ROOT, path); }
probe::Value Default(const std::string& path) { return probe::Get(HKEY_CLASSES_ROOT, path, ""); }
probe::Value Stored(const std::string& program) {
    return probe::Text("\"" + program + "\" \"%1\"");
}

class ShellVerbTest : public ::testing::Test {
protected:
    void SetUp() override { Wipe(); }
    void TearDown() override { Wipe(); }
    static void Wipe() {
        for (const char* path : {kFirst, kSecond})
            probe::DeleteTree(HKEY_CLASSES_ROOT, path);
    }
    // The five keys that unregistering removes when nothing else holds them; kFirst's shell
    // key (for "*" the one of every file) always stays.
    static void ExpectVerbKeys(bool present) {
        for (const std::string cls : {kFirst, kSecond})
            for (const std::string& path : {cls + kCommand, cls + "\\shell\\" + kVerb})
                EXPECT_EQ(present, Exists(path)) << path;
        EXPECT_EQ(present, Exists(std::string(kSecond) + "\\shell"));
        EXPECT_TRUE(Exists(std::string(kFirst) + "\\shell"));
    }
    RegistryKey key;
};

TEST_F(ShellVerbTest, CommandLineIsTheQuotedPathAndQuotedPercentOneOrNothing) {
    // 1 + 253 + 6 = 260 bytes, the longest command line; stored with its NUL: 261 bytes.
    const std::string longest = "C:\\" + std::string(246, 'p') + ".exe";
    ASSERT_EQ(253u, longest.size());
    // As many bytes in 82 characters of three bytes each (UTF-8, the program's code page).
    std::string wide = "C:\\";
    for (int i = 0; i < 82; ++i)
        wide += "語";
    wide += ".exe";
    ASSERT_EQ(253u, wide.size());
    for (const std::string& program : {std::string(kProgram), longest, wide}) {  // each rewrites
        EXPECT_EQ(1, key.RegisterShellVerb(kFirst, kVerb, program.c_str(), kSecond));
        for (const std::string cls : {kFirst, kSecond})
            EXPECT_EQ(Stored(program), Default(cls + kCommand)) << cls;  // 8 bytes more
    }
    Wipe();
    // One byte more is refused whole, before anything is made, and so is an empty path.
    for (const std::string& program : {longest + "x", wide + "x", std::string()}) {
        EXPECT_EQ(0, key.RegisterShellVerb(kFirst, kVerb, program.c_str(), kSecond));
        EXPECT_FALSE(Exists(kFirst));
        EXPECT_FALSE(Exists(kSecond));
    }
}

TEST_F(ShellVerbTest, AClassThatCannotBeReachedFailsButTheOtherIsStillWritten) {
    // A leading backslash is a bad path: neither opened nor created.
    EXPECT_EQ(0, key.RegisterShellVerb("\\Bad", kVerb, kProgram, kSecond));
    EXPECT_EQ(Stored(kProgram), Default(kSecond + kCommand));
    EXPECT_EQ(0, key.RegisterShellVerb(kFirst, kVerb, kProgram, "\\Bad"));
    EXPECT_EQ(Stored(kProgram), Default(kFirst + kCommand));
}

TEST_F(ShellVerbTest, UnregistrationRemovesOnlyKeysWithoutOtherSubkeys) {
    const std::string other = std::string(kFirst) + "\\shell\\Other\\command";
    // Another verb of the first class survives, and so does its shell key.
    ASSERT_EQ(1, key.RegisterShellVerb(kFirst, kVerb, kProgram, kSecond));
    Create(other);
    EXPECT_EQ(ERROR_SUCCESS, key.UnregisterShellVerb(kFirst, kVerb, "ignored", kSecond));
    ExpectVerbKeys(false);
    EXPECT_FALSE(Exists(kSecond));
    EXPECT_TRUE(Exists(other));
    // With nothing left to remove: a failure.
    EXPECT_NE(ERROR_SUCCESS, key.UnregisterShellVerb(kFirst, kVerb, kProgram, kSecond));
    // The second class keeps a subkey of its own: only the class key itself stays.
    ASSERT_EQ(1, key.RegisterShellVerb(kFirst, kVerb, kProgram, kSecond));
    Create(std::string(kSecond) + "\\DefaultIcon");
    EXPECT_NE(ERROR_SUCCESS, key.UnregisterShellVerb(kFirst, kVerb, "", kSecond));
    ExpectVerbKeys(false);
    EXPECT_TRUE(Exists(std::string(kSecond) + "\\DefaultIcon"));
}

TEST_F(ShellVerbTest, RemovalPathsTooLongAreNotTriedNorCut) {
    ASSERT_EQ(1, key.RegisterShellVerb(kFirst, kVerb, kProgram, kSecond));
    // kFirst\shell\ is 23 characters: a verb of 238 makes a 261-character path. Cut to 260
    // it would name this key.
    const std::string cutTo260 = std::string(kFirst) + "\\shell\\" + std::string(237, 'v');
    ASSERT_EQ(260u, cutTo260.size());
    Create(cutTo260);
    EXPECT_NE(ERROR_SUCCESS,
              key.UnregisterShellVerb(kFirst, std::string(238, 'v').c_str(), kProgram, kSecond));
    EXPECT_TRUE(Exists(cutTo260));
    ExpectVerbKeys(true);
    // A first class too long for any path: its steps are skipped, the second class's run.
    const std::string longClass(300, 'c');
    EXPECT_EQ(ERROR_SUCCESS, key.UnregisterShellVerb(longClass.c_str(), kVerb, kProgram, kSecond));
    EXPECT_FALSE(Exists(kSecond));
    EXPECT_TRUE(Exists(kFirst + kCommand));
}

}  // namespace
