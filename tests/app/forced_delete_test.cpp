// tests/app/forced_delete_test.cpp
// The forced deletion on real files: what it must refuse to write through, and a removal that
// fails. (A plain file zapped, and each kind of file refused, are tried on the built program,
// in tests/e2e/command_line_test.cpp.)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app_test_support.h"
#include "forced_delete.h"

namespace {

using apptest::AppTest;
using ForcedDeleteTest = AppTest;

// Each layer of the defence against links on its own: the stand-in's open never goes through
// a link in place of the last name (a link named as its target in another folder, a link to a
// link), and the deletion refuses such a path and leaves its target alone. A link among the
// folders above is followed, and the file it leads to is zapped, as rm removes it. (Under
// Wine, which opens through links, the check of the open file's own name stands alone.)
TEST_F(ForcedDeleteTest, ALinkIsRefusedWhateverItsNameButFoldersAboveAreFollowed) {
    for (const char* folder : {"d1", "d2", "a", "b", "c"})
        std::filesystem::create_directory(dir / folder);
    const std::string sameName = File("d2/f", "precious"), linkToLink = File("c/g", "precious");
    ASSERT_EQ(0, symlink("../d2/f", (dir / "d1/f").c_str()));
    ASSERT_EQ(0, symlink("../c/g", (dir / "b/g").c_str()));
    ASSERT_EQ(0, symlink("../b/g", (dir / "a/g").c_str()));
    for (const std::string& link : {dir / "d1/f", dir / "a/g"}) {
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE,
                  CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr)) << link;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError()) << link;
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
        _exit(boxes.size() == 1 && boxes[0].text == "Couldn't delete file.\n\nAccess is denied." &&
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
        // Another user's writable file in a sticky, world-writable folder, as in /tmp.
        ASSERT_EQ(0, mkdir((dir / "sticky").c_str(), 0755));
        ASSERT_EQ(0, chmod((dir / "sticky").c_str(), 01777));
        paths.push_back(File("sticky/theirs"));
        ASSERT_EQ(0, chmod(paths[1].c_str(), 0666));
    }
    ASSERT_EQ(0, chmod(readOnly.c_str(), 0555));
    for (const std::string& path : paths) {
        EXPECT_TRUE(ZapAsAnotherUser(path)) << path;
        EXPECT_EQ(std::string(1, '\xFF'), testenv::ReadFile(path)) << path;
    }
    chmod(readOnly.c_str(), 0755);  // so that the folder can be cleaned up
}

// The folder on the path swapped with another again and again while files are zapped (two
// links, d -> a and e -> b, exchanged): the name removed is the file that was checked and
// emptied, or nothing is removed and the error shows; b/f, read-only every other round, is
// never emptied without being removed. Bounded: 10,000 rounds or 3 s.
TEST_F(ForcedDeleteTest, AFolderSwappedMidwayCostsNoOtherFile) {
    for (const char* folder : {"a", "b"})
        std::filesystem::create_directory(dir / folder);
    ASSERT_EQ(0, symlink("a", (dir / "d").c_str()));
    ASSERT_EQ(0, symlink("b", (dir / "e").c_str()));
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop)
            renameat2(AT_FDCWD, (dir / "d").c_str(), AT_FDCWD, (dir / "e").c_str(), RENAME_EXCHANGE);
    });
    const std::string path = dir / "d/f", a = dir / "a/f", b = dir / "b/f";
    // What became of a file: 'k' kept, 'g' gone, 'm' only the mark left, '?' anything else.
    const auto fate = [](const std::string& file, const std::string& was) {
        const std::string now = testenv::Exists(file) ? testenv::ReadFile(file) : "";
        return !testenv::Exists(file) ? 'g' : now == was ? 'k' : now == "\xFF" ? 'm' : '?';
    };
    std::string wrong;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int round = 0; round < 10000 && wrong.empty() && std::chrono::steady_clock::now() < end;
         ++round) {
        testenv::WriteFile(a, "AAAA");
        testenv::WriteFile(b, "BBBB");
        chmod(b.c_str(), round % 2 ? 0444 : 0644);
        const size_t before = Boxes().size();
        TruncateAndRemove(nullptr, path.c_str());
        // Without the box: one file gone, the other kept; with it: at most one holds the mark.
        const std::string seen = {fate(a, "AAAA"), fate(b, "BBBB"), Boxes().size() > before ? 'E' : '-'};
        if (seen != "gk-" && seen != "kg-" && seen != "kkE" && seen != "mkE" && seen != "kmE")
            wrong = "round " + std::to_string(round) + ": " + seen;
        chmod(b.c_str(), 0644);
        std::filesystem::remove(a);
        std::filesystem::remove(b);
    }
    stop = true;
    swapper.join();
    EXPECT_EQ("", wrong) << "a/f, b/f, error box";
}

// Another file renamed onto the name between the check and the zap: the checked file is
// written wherever it went, the newcomer is neither written nor removed, and the error shows.
TEST_F(ForcedDeleteTest, AFileRenamedOntoTheCheckedNameIsLeftAlone) {
    const std::string path = File("f", "checked"), other = File("g", "newcomer");
    CheckedFile file;
    ASSERT_TRUE(CheckFileToZap(path.c_str(), &file));
    ASSERT_EQ(0, rename(other.c_str(), path.c_str()));
    ZapCheckedFile(nullptr, &file, path.c_str());
    EXPECT_EQ("newcomer", testenv::ReadFile(path));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ("Couldn't delete file.\n\nThe system cannot find the file specified.", Boxes()[0].text);
}

}  // namespace
