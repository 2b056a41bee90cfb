// tests/app/forced_delete_test.cpp
// The forced deletion on real files, and what it must refuse to write through.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app_test_support.h"
#include "forced_delete.h"

namespace {

using apptest::AppTest;
using ForcedDeleteTest = AppTest;

TEST_F(ForcedDeleteTest, EmptiesMarksAndRemovesARegularFile) {
    // A dot file is an ordinary file here.
    const std::string path = File(".doc.txt", std::string(100000, 'x'));
    // A second name for the same file shows what was left in it before the removal.
    const std::string twin = dir / "twin";
    ASSERT_EQ(0, link(path.c_str(), twin.c_str()));
    TruncateAndRemove(nullptr, path.c_str());
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(std::string(1, '\xFF'), testenv::ReadFile(twin));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ForcedDeleteTest, PathLimitCountsBytesNotCharacters) {
    // Names of three-byte characters: 260 bytes is far fewer than 260 characters. Both
    // files exist; only the path within the limit is zapped.
    const std::string folder = dir.path().string() + "/";
    std::string name;
    while (folder.size() + name.size() + 3 <= 260 - 4)
        name += "語";
    name += std::string(260 - 4 - folder.size() - name.size(), 'a');
    const std::string fits = File(name + ".txt"), over = File(name + "b.txt");
    ASSERT_EQ(260u, fits.size());
    TruncateAndRemove(nullptr, over.c_str());
    TruncateAndRemove(nullptr, fits.c_str());
    EXPECT_EQ("secret", testenv::ReadFile(over));
    EXPECT_FALSE(testenv::Exists(fits));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Couldn't delete file.", Boxes()[0].text);
}

TEST_F(ForcedDeleteTest, RefusedPathsShowTheErrorAndStayUntouched) {
    const std::string target = File("target.txt", "precious");
    const std::string readOnly = File("read-only.txt", "keep me");
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0444));  // no write bit: refused even for root
    const std::string folder = dir / "folder", link = dir / "link", dangling = dir / "dangling";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));
    ASSERT_EQ(0, symlink((dir / "nowhere").c_str(), dangling.c_str()));
    // A FIFO without a reader would make a writer wait forever; one with a reader gets nothing.
    const std::string fifo = dir / "fifo", readFifo = dir / "read-fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0666));
    ASSERT_EQ(0, mkfifo(readFifo.c_str(), 0666));
    const int reader = open(readFifo.c_str(), O_RDONLY | O_NONBLOCK);

    for (const std::string& path : {readOnly, folder, link, dangling, fifo, readFifo,
                                    std::string("/dev/null"), dir / "missing-folder/file"}) {
        const size_t before = Boxes().size();
        TruncateAndRemove(nullptr, path.c_str());
        ASSERT_EQ(before + 1, Boxes().size()) << path;
        EXPECT_EQ("Couldn't delete file.", Boxes().back().text) << path;
    }
    char byte;
    EXPECT_EQ(0, read(reader, &byte, 1));  // nothing arrived (0: no writer left)
    close(reader);
    EXPECT_EQ("precious", testenv::ReadFile(target));
    EXPECT_EQ("keep me", testenv::ReadFile(readOnly));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_FALSE(testenv::Exists(dir / "nowhere"));  // the dangling link's target not created
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
