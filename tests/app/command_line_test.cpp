// tests/app/command_line_test.cpp
// A deletion requested on the command line: the question, the setting, the quote removal.
#include "app_test_support.h"
#include "registry_probe.h"

namespace {

using apptest::AppTest;
using standin::scripted::PushAnswer;
using CommandLineTest = AppTest;

const std::string kPrefix = "Are you sure you want to delete the file:\n";

TEST_F(CommandLineTest, AsksWithTheQuotedTailAndOnlyAnExplicitYesDeletes) {
    const std::string path = File("a b.txt");
    const std::string tail = "\"" + path + "\"";
    // No, then 0 (a box that cannot be shown: not consent), then Yes.
    for (const int answer : {IDNO, 0, IDYES}) {
        PushAnswer(answer);
        Run(tail);
        EXPECT_EQ(answer == IDYES, !testenv::Exists(path)) << answer;
    }
    ASSERT_EQ(3u, Boxes().size());
    EXPECT_EQ("Cofirm", Boxes()[0].caption);
    EXPECT_EQ(kPrefix + tail, Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), Boxes()[0].type);  // no icon, only Yes and No
    // The first run made the settings key; the main window never appeared.
    EXPECT_TRUE(probe::Exists(HKEY_CURRENT_USER, "Software\\Zapfile"));
    EXPECT_TRUE(standin::scripted::Dialogs().empty());
}

// Only a stored text starting with "0" turns the question off; every quote in the tail goes,
// wherever it stands ("dir/a" is not touched).
TEST_F(CommandLineTest, StoredTextDecidesWhetherToAskAndEveryQuoteIsRemoved) {
    const std::string other = File("a");
    const std::pair<std::string, bool> cases[] = {
        {"0 and more", false}, {"1", true}, {"", true}, {" 0", true}};
    for (const auto& [stored, asks] : cases) {
        StoreSetting(stored);
        const std::string path = File("ab.txt");
        const size_t before = Boxes().size();
        Run("\"" + other + "\"b.txt\"");  // no answer queued: a question is answered No
        EXPECT_EQ(asks ? before + 1 : before, Boxes().size()) << "stored \"" << stored << "\"";
        EXPECT_EQ(asks, testenv::Exists(path)) << "stored \"" << stored << "\"";
    }
    EXPECT_EQ("secret", testenv::ReadFile(other));
}

// A tail of up to 260 bytes is taken; a longer one is refused whole, never shortened, in
// whatever characters: 130 three-byte ones make 390 bytes. What is refused is refused before
// any question, with the system's words for why below the error.
TEST_F(CommandLineTest, TailsUpTo260BytesAreTakenAndWhatIsRefusedIsNeverAskedAbout) {
    const std::string folder = dir.path().string() + "/";
    const std::string bare = File(std::string(260 - folder.size(), 'b'));
    const std::string quoted = File(std::string(259 - folder.size(), 'q'));
    // Unquoted, the cleaned path is 260 characters long and must end right there, although
    // the confirmation text filled the block far beyond it.
    PushAnswer(IDYES);
    Run(bare);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(kPrefix + bare, Boxes()[0].text);
    EXPECT_FALSE(testenv::Exists(bare));
    std::string wide;
    for (int i = 0; i < 130; ++i)
        wide += "語";
    const std::pair<std::string, std::string> refused[] = {
        {"\"" + quoted + "\"", "The filename or extension is too long."},
        {"\"" + folder + wide + "\"", "The filename or extension is too long."},
        {"\"\"", "The system cannot find the path specified."},
        {"\"" + folder + "\"", "Access is denied."},
    };
    for (const auto& [tail, reason] : refused) {
        PushAnswer(IDYES);  // not to be asked for
        Run(tail);
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ("Couldn't delete file.\n\n" + reason, Boxes().back().text) << tail;
        EXPECT_EQ("Error.", Boxes().back().caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), Boxes().back().type);
    }
    EXPECT_EQ(1u + std::size(refused), Boxes().size());
    EXPECT_EQ("secret", testenv::ReadFile(quoted));
}

}  // namespace
