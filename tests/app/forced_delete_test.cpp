// tests/app/forced_delete_test.cpp
// The forced deletion on real files, and what it must refuse to write through.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app_test_support.h"
#include "forced_delete.h"

namespace {

using apptest::AppTest;
using ForcedDeleteTest = AppTest;

TEST_F(ForcedDeleteTest, EmptiesMarksAndRemovesARegularFile) {
    const std::string path = File("doc.txt", std::string(100000, 'x'));
    // A second name for the same file shows what was left in it before the removal.
    const std::string twin = dir / "twin";
    ASSERT_EQ(0, link(path.c_str(), twin.c_str()));
    TruncateAndRemove(nullptr, path.c_str());
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_EQ(std::string(1, '\xFF'), testenv::ReadFile(twin));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ForcedDeleteTest, NewNameIsCreatedAndRemovedSilently) {
    const std::string path = dir / "never-was";
    TruncateAndRemove(nullptr, path.c_str());
    EXPECT_FALSE(testenv::Exists(path));
    EXPECT_TRUE(Boxes().empty());
    // A dot file is an ordinary file here.
    const std::string dotted = File(".hidden-looking");
    TruncateAndRemove(nullptr, dotted.c_str());
    EXPECT_FALSE(testenv::Exists(dotted));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ForcedDeleteTest, RefusedPathsShowTheErrorAndStayUntouched) {
    const std::string target = File("target.txt", "precious");
    const std::string readOnly = File("read-only.txt", "keep me");
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0444));  // no write bit: refused even for root
    const std::string folder = dir / "folder";
    std::filesystem::create_directory(folder);
    const std::string link = dir / "link";
    ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));
    const std::string dangling = dir / "dangling";
    ASSERT_EQ(0, symlink((dir / "nowhere").c_str(), dangling.c_str()));
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0666));

    const std::string refused[] = {readOnly,  folder, link, dangling, fifo, "/dev/null", "",
                                   dir / "missing-folder/file", "\"" + target + "\""};
    for (const std::string& path : refused) {
        const size_t before = Boxes().size();
        TruncateAndRemove(nullptr, path.c_str());
        ASSERT_EQ(before + 1, Boxes().size()) << path;
        EXPECT_EQ("Couldn't delete file.", Boxes().back().text) << path;
        EXPECT_EQ("Error.", Boxes().back().caption) << path;
    }
    EXPECT_EQ("precious", testenv::ReadFile(target));
    EXPECT_EQ("keep me", testenv::ReadFile(readOnly));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_FALSE(testenv::Exists(dir / "nowhere"));  // the dangling link's target not created
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(ForcedDeleteTest, FifoWithAReaderIsNotWrittenTo) {
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0666));
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    TruncateAndRemove(nullptr, fifo.c_str());
    char byte;
    EXPECT_EQ(0, read(reader, &byte, 1));  // nothing arrived (0: no writer left)
    close(reader);
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(ForcedDeleteTest, SocketIsRefused) {
    const std::string path = dir / "sock";
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(0, bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
    TruncateAndRemove(nullptr, path.c_str());
    close(s);
    EXPECT_EQ(1u, Boxes().size());
    EXPECT_TRUE(std::filesystem::is_socket(path));
}

}  // namespace
