// tests/app/command_line_test.cpp
// A deletion requested on the command line: the question, the setting, the quote removal.
#include <cstring>

#include "app_test_support.h"
#include "main_dialog.h"

namespace {

using apptest::AppTest;
using standin::scripted::PushAnswer;
using CommandLineTest = AppTest;

const std::string kPrefix = "Are you sure you want to delete the file:\n";

TEST_F(CommandLineTest, AsksWithTheQuotedTailAndHonoursTheAnswer) {
    const std::string path = File("a b.txt");
    const std::string tail = "\"" + path + "\"";

    PushAnswer(IDNO);
    Run(tail);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Cofirm", Boxes()[0].caption);
    EXPECT_EQ(kPrefix + tail, Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), Boxes()[0].type);  // no icon, only Yes and No
    EXPECT_EQ("secret", testenv::ReadFile(path));

    PushAnswer(IDYES);
    Run(tail);
    EXPECT_EQ(2u, Boxes().size());
    EXPECT_FALSE(testenv::Exists(path));
    // The main window never appeared in either run.
    EXPECT_TRUE(standin::scripted::Dialogs().empty());
}

TEST_F(CommandLineTest, OnlyAnExplicitYesDeletes) {
    // A box that cannot be shown answers 0; that is not consent.
    const std::string path = File("kept.txt");
    PushAnswer(0);
    Run("\"" + path + "\"");
    EXPECT_EQ("secret", testenv::ReadFile(path));
}

TEST_F(CommandLineTest, FirstRunCreatesTheKeyAndAsks) {
    const std::string path = File("f.txt");
    Run("\"" + path + "\"");  // no answer queued: the question is answered No
    EXPECT_EQ(1u, Boxes().size());
    HKEY hKey = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &hKey));
    EXPECT_NE(nullptr, hKey);
}

TEST_F(CommandLineTest, StoredTextDecidesWhetherToAsk) {
    struct Case {
        std::string stored;
        bool asks;
    };
    const Case cases[] = {{"0", false}, {"0 and more", false}, {"1", true},
                          {"", true},   {" 0", true},          {"no", true}};
    for (const Case& c : cases) {
        StoreSetting(c.stored);
        const std::string path = File("x.txt");
        const size_t before = Boxes().size();
        Run("\"" + path + "\"");
        EXPECT_EQ(c.asks ? before + 1 : before, Boxes().size()) << "stored \"" << c.stored << "\"";
        EXPECT_EQ(!c.asks, !testenv::Exists(path)) << "stored \"" << c.stored << "\"";
    }
}

TEST_F(CommandLineTest, EveryQuoteIsRemovedWherever_ItStands) {
    StoreSetting("0");
    const std::string path = File("ab.txt");
    const std::string other = File("a");
    // The quote in the middle goes too, naming dir/ab.txt; "dir/a" is not touched.
    Run("\"" + other + "\"b.txt\"");
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ("secret", testenv::ReadFile(other));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CommandLineTest, UnusableTailsShowTheErrorAndTouchNothing) {
    StoreSetting("0");
    Run("\"\"");  // only quotes: the cleaned path is empty
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Couldn't delete file.", Boxes()[0].text);
    EXPECT_EQ("Error.", Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), Boxes()[0].type);

    // A tail over 260 characters is refused whole, never shortened to another name.
    const std::string deep = dir / std::string(200, 'd');
    std::filesystem::create_directory(deep);
    const std::string longPath = deep + "/" + std::string(60, 'f');
    testenv::WriteFile(longPath, "secret");
    const std::string tail = "\"" + longPath + "\"";
    ASSERT_GT(tail.size(), 260u);
    Run(tail);
    EXPECT_EQ(2u, Boxes().size());
    EXPECT_EQ("Couldn't delete file.", Boxes()[1].text);
    EXPECT_EQ("secret", testenv::ReadFile(longPath));
}

TEST_F(CommandLineTest, TailOfExactly260CharactersIsShownWholeAndDeleted) {
    std::string folder = dir.path().string();
    const size_t nameLength = 258 - folder.size() - 1;  // quotes add 2, the slash 1
    const std::string path = folder + "/" + std::string(nameLength, 'n');
    testenv::WriteFile(path, "secret");
    const std::string tail = "\"" + path + "\"";
    ASSERT_EQ(260u, tail.size());
    PushAnswer(IDYES);
    Run(tail);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(kPrefix + tail, Boxes()[0].text);
    EXPECT_FALSE(testenv::Exists(path));

    // Unquoted, the cleaned path is 260 characters long and must end right there, although
    // the confirmation text filled the block far beyond it.
    const std::string bare = folder + "/" + std::string(260 - folder.size() - 1, 'b');
    testenv::WriteFile(bare, "secret");
    PushAnswer(IDYES);
    Run(bare);
    EXPECT_EQ(kPrefix + bare, Boxes()[1].text);
    EXPECT_FALSE(testenv::Exists(bare));
}

TEST_F(CommandLineTest, UnusableRegistryMeansAsking) {
    // The settings folder is a plain file: no database can be opened or created.
    std::filesystem::create_directories(dir / "config");
    testenv::WriteFile(dir / "config/zapfile", "not a folder");
    const std::string path = File("f.txt");
    Run("\"" + path + "\"");
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_EQ("secret", testenv::ReadFile(path));
}

}  // namespace
