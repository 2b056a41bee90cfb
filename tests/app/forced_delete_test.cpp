// tests/app/forced_delete_test.cpp
// The forced deletion on real files, and what it must refuse to write through.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Each layer of the defence against links on its own: a link named as its target in another
// folder, and a link to a link, are refused and their targets untouched; a link among the
// folders above is followed, and the file it leads to is zapped, as rm removes it.
TEST_F(ForcedDeleteTest, ALinkIsRefusedWhateverItsNameButFoldersAboveAreFollowed) {
    for (const char* folder : {"d1", "d2", "a", "b", "c"})
        std::filesystem::create_directory(dir / folder);
    const std::string sameName = File("d2/f", "precious"), linkToLink = File("c/g", "precious");
    ASSERT_EQ(0, symlink("../d2/f", (dir / "d1/f").c_str()));
    ASSERT_EQ(0, symlink("../c/g", (dir / "b/g").c_str()));
    ASSERT_EQ(0, symlink("../b/g", (dir / "a/g").c_str()));
    for (const std::string& link : {dir / "d1/f", dir / "a/g"}) {
        const size_t before = Boxes().size();
        TruncateAndRemove(nullptr, link.c_str());
        EXPECT_EQ(before + 1, Boxes().size()) << link;
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    }
    EXPECT_EQ("precious", testenv::ReadFile(sameName));
    EXPECT_EQ("precious", testenv::ReadFile(linkToLink));
    ASSERT_EQ(0, symlink("d2", (dir / "up").c_str()));
    TruncateAndRemove(nullptr, (dir / "up/f").c_str());
    EXPECT_EQ(2u, Boxes().size());
    EXPECT_FALSE(testenv::Exists(sameName));
}

// Zaps `path` in a child process as another user than the one who owns the folders (nobody,
// when the tests run as root; else the same user, whom a read-only folder binds as well).
// True when the child saw exactly the error box.
bool ZapAsAnotherUser(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (setresgid(kNobody, kNobody, kNobody) != 0 ||
                               setresuid(kNobody, kNobody, kNobody) != 0))
            _exit(2);
        TruncateAndRemove(nullptr, path.c_str());
        const auto& boxes = standin::scripted::Boxes();
        _exit(boxes.size() == 1 && boxes[0].text == "Couldn't delete file." &&
                      boxes[0].caption == "Error." && boxes[0].type == MB_ICONERROR
                  ? 0
                  : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The file is emptied and marked first, on purpose; when its name then cannot be removed the
// user is told, not left to believe it gone.
TEST_F(ForcedDeleteTest, AFailedRemovalShowsTheErrorAndLeavesOnlyTheMark) {
    const bool root = geteuid() == 0;
    ASSERT_EQ(0, chmod(dir.path().c_str(), 0755));
    // A folder where the user may not remove entries, holding a file the user may write.
    const std::string readOnly = dir / "read-only";
    ASSERT_EQ(0, mkdir(readOnly.c_str(), 0755));
    std::vector<std::string> paths = {File("read-only/mine")};
    if (root) {
        ASSERT_EQ(0, chown(paths[0].c_str(), 65534, 65534));
    }
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0555));
    // Another user's writable file in a sticky, world-writable folder, as in /tmp.
    if (root) {
        const std::string sticky = dir / "sticky";
        ASSERT_EQ(0, mkdir(sticky.c_str(), 0755));
        ASSERT_EQ(0, chmod(sticky.c_str(), 01777));
        paths.push_back(File("sticky/theirs"));
        ASSERT_EQ(0, chmod(paths[1].c_str(), 0666));
    }
    for (const std::string& path : paths) {
        EXPECT_TRUE(ZapAsAnotherUser(path)) << path;
        EXPECT_EQ(std::string(1, '\xFF'), testenv::ReadFile(path)) << path;
    }
    chmod(readOnly.c_str(), 0755);  // so that the folder can be cleaned up
}

}  // namespace
