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

constexpr DWORD Code(long code) { return static_cast<DWORD>(code); }

class FileRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zapfile-rules-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(fs::create_directory(dir_));
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir_, ec))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    std::string Path(const fs::path& name) const { return (dir_ / name).string(); }
    // Opens for writing as the forced deletion does; *error is the error the call left.
    static HANDLE Open(const std::string& path, DWORD creation, DWORD* error,
                       DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        SetLastError(12345);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, creation, attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        *error = GetLastError();
        return h;
    }
    static DWORD Attributes(const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        EXPECT_TRUE(GetFileInformationByHandle(h, &info)) << path;
        CloseHandle(h);
        return info.dwFileAttributes;
    }
    fs::path dir_;
};

TEST_F(FileRulesTest, OpeningTellsMissingNewAndExistingFilesApart) {
    DWORD error = 0;
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("f"), OPEN_EXISTING, &error));
    EXPECT_EQ(Code(ERROR_FILE_NOT_FOUND), error);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path(fs::path("none") / "f"), OPEN_EXISTING, &error));
    EXPECT_EQ(Code(ERROR_PATH_NOT_FOUND), error);

    HANDLE h = Open(Path("f"), CREATE_NEW, &error);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(Code(FILE_TYPE_DISK), GetFileType(h));
    char final[1024];
    const DWORD n = GetFinalPathNameByHandleA(h, final, sizeof final, FILE_NAME_NORMALIZED);
    ASSERT_TRUE(n > 2 && n < sizeof final) << n;
    EXPECT_STREQ("f", final + n - 1);  // the open file's own name ends the path
    CloseHandle(h);
    EXPECT_EQ(Code(FILE_ATTRIBUTE_ARCHIVE), Attributes(Path("f")));

    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("f"), CREATE_NEW, &error));
    EXPECT_EQ(Code(ERROR_FILE_EXISTS), error);
    h = Open(Path("f"), OPEN_ALWAYS, &error);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(Code(ERROR_ALREADY_EXISTS), error);
    CloseHandle(h);
}

TEST_F(FileRulesTest, ReadOnlyFilesAndFoldersAreShownAndNeverDeleted) {
    DWORD error = 0;
    HANDLE h = Open(Path("ro"), CREATE_NEW, &error, FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    EXPECT_NE(0u, Attributes(Path("ro")) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFileA(Path("ro").c_str()));
    EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(fs::exists(Path("ro")));

    ASSERT_TRUE(fs::create_directory(Path("folder")));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(Path("folder"), OPEN_EXISTING, &error));
    EXPECT_EQ(Code(ERROR_ACCESS_DENIED), error);
    EXPECT_FALSE(DeleteFileA(Path("folder").c_str()));
    EXPECT_EQ(Code(ERROR_ACCESS_DENIED), GetLastError());
}

}  // namespace
