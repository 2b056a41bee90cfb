// tests/standin/kernel32/file_io_test.cpp
// The stand-in's file open and links: FILE_FLAG_OPEN_REPARSE_POINT never opens through a link
// in place of the last name, whatever the link's name or what it points to, while links among
// the folders above are followed as the system follows them.
#include <windows.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "test_env.h"

namespace {

HANDLE OpenForWriting(const std::string& path, DWORD flags) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

TEST(FileOpen, ALinkInPlaceOfTheLastNameIsNeverOpenedThroughButFoldersAboveAreFollowed) {
    const testenv::TempDir dir;
    for (const char* folder : {"d1", "d2", "a", "b", "c"})
        std::filesystem::create_directory(dir / folder);
    // A link with its target's own name in another folder, and a link to a link.
    testenv::WriteFile(dir / "d2/f", "precious");
    ASSERT_EQ(0, symlink("../d2/f", (dir / "d1/f").c_str()));
    testenv::WriteFile(dir / "c/g", "precious");
    ASSERT_EQ(0, symlink("../c/g", (dir / "b/g").c_str()));
    ASSERT_EQ(0, symlink("../b/g", (dir / "a/g").c_str()));
    for (const std::string& link : {dir / "d1/f", dir / "a/g"}) {
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE, OpenForWriting(link, FILE_FLAG_OPEN_REPARSE_POINT)) << link;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError()) << link;
        // Without the flag a link is followed, as Windows follows one.
        HANDLE h = OpenForWriting(link, 0);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << link;
        CloseHandle(h);
    }
    // A link among the folders: the file it leads to is opened.
    ASSERT_EQ(0, symlink("d2", (dir / "up").c_str()));
    HANDLE h = OpenForWriting(dir / "up/f", FILE_FLAG_OPEN_REPARSE_POINT);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char final[1024];
    const DWORD n = GetFinalPathNameByHandleA(h, final, sizeof final, FILE_NAME_NORMALIZED);
    EXPECT_EQ(std::filesystem::canonical(dir / "d2/f").string(), std::string(final, n));
    CloseHandle(h);
    EXPECT_EQ("precious", testenv::ReadFile(dir / "d2/f"));
    EXPECT_EQ("precious", testenv::ReadFile(dir / "c/g"));
}

}  // namespace
