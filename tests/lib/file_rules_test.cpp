// tests/lib/file_rules_test.cpp
// The file rules the forced deletion relies on, through the Win32 calls alone: the same file
// runs against Windows (or Wine) and against the Linux stand-in, in a scratch folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

class FileRules : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::create_directory(dir)); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Opens for writing as the forced deletion does; *error is the error the call left.
    HANDLE Open(const fs::path& path, DWORD creation, DWORD* error = nullptr) {
        SetLastError(12345);
        HANDLE h = CreateFileA(path.string().c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (error != nullptr)
            *error = GetLastError();
        return h;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("zapfile-rules-" + std::to_string(std::random_device{}()));
};

// A missing name is told from a missing folder (only the first is then created), and the new
// file is a plain disk file that the system reports under its own name.
TEST_F(FileRules, MissingFileAndMissingFolderAreToldApartAndANewFileIsPlain) {
    DWORD error = 0;
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(dir / "f", OPEN_EXISTING, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(dir / "none" / "f", OPEN_EXISTING, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error);

    HANDLE h = Open(dir / "f", CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(static_cast<DWORD>(FILE_TYPE_DISK), GetFileType(h));
    char final[1024];
    const DWORD n = GetFinalPathNameByHandleA(h, final, sizeof final, FILE_NAME_NORMALIZED);
    ASSERT_TRUE(n > 2 && n < sizeof final) << n;
    EXPECT_STREQ("f", final + n - 1);  // the open file's own name ends the path
    BY_HANDLE_FILE_INFORMATION info = {};
    EXPECT_TRUE(GetFileInformationByHandle(h, &info));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), info.dwFileAttributes);
    CloseHandle(h);
}

// A file that another program holds open for writing, but not for deletion, is emptied yet
// cannot be removed: the forced deletion must then say so. Linux has no sharing modes: there
// the stand-in removes it (the same failure is met in a folder where one may not remove).
TEST_F(FileRules, AFileHeldWithoutDeleteSharingIsWrittenButNotRemoved) {
    HANDLE holder = Open(dir / "held", CREATE_NEW);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    HANDLE h = Open(dir / "held", OPEN_EXISTING);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    const BOOL removed = DeleteFileA((dir / "held").string().c_str());
#ifdef _WIN32
    EXPECT_FALSE(removed);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
#else
    EXPECT_TRUE(removed);  // knowingly different: no sharing modes
#endif
    CloseHandle(holder);
}

}  // namespace
