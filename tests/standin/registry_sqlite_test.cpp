// tests/standin/registry_sqlite_test.cpp
// What the stand-in registry promises beyond the Win32 rules: where its database lives,
// several processes writing at once, a damaged or unreachable database, and calls that fail
// writing nothing at all.

#include <windows.h>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "registry_sqlite.h"
#include "test_env.h"

namespace {

const BYTE* Bytes(const char* s) {
    return reinterpret_cast<const BYTE*>(s);
}

// Sets an environment variable for the scope and puts the old value back after it.
struct ScopedEnv {
    ScopedEnv(const char* n, const char* value)
        : name(n), had(getenv(n) != nullptr), old(had ? getenv(n) : "") {
        Set(value);
    }
    ~ScopedEnv() { Set(had ? old.c_str() : nullptr); }
    void Set(const char* value) { value != nullptr ? setenv(name, value, 1) : unsetenv(name); }

    const char* name;
    bool had;
    std::string old;
};

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        names.insert(e.path().filename().string());
    return names;
}

class StandinRegistry : public ::testing::Test {
protected:
    void SetUp() override { standin::RegistryReset(); }
    void TearDown() override { standin::RegistryReset(); }

    std::string Folder() const { return config_dir_ + "/zapfile"; }
    std::string Database() const { return Folder() + "/registry.db"; }

    testenv::TempDir dir_;
    const std::string config_dir_ = dir_ / "config";
    ScopedEnv xdg_{"XDG_CONFIG_HOME", config_dir_.c_str()};
    ScopedEnv home_{"HOME", (dir_ / "home").c_str()};
};

TEST_F(StandinRegistry, DatabaseLivesInAPrivateFolderOfTheUsersConfiguration) {
    EXPECT_EQ(Database(), standin::RegistryDatabasePath());
    EXPECT_FALSE(testenv::Exists(config_dir_));

    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &h));
    struct stat st;
    ASSERT_EQ(0, stat(config_dir_.c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    ASSERT_EQ(0, stat(Folder().c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    EXPECT_EQ(std::set<std::string>{"registry.db"}, FolderEntries(Folder()));

    // The value is in the file: a fresh start reads it back.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "bAskUser", 0, REG_SZ, Bytes("0"), 1));
    standin::RegistryReset();
    HKEY again = nullptr;
    char text[4] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &again));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(again, "bAskUser", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(text), &size));
    EXPECT_STREQ("0", text);

    // Without an absolute XDG_CONFIG_HOME the folder is ~/.config/zapfile.
    const std::string fallback = dir_ / "home/.config/zapfile/registry.db";
    xdg_.Set("relative/config");
    EXPECT_EQ(fallback, standin::RegistryDatabasePath());
    xdg_.Set(nullptr);
    EXPECT_EQ(fallback, standin::RegistryDatabasePath());
}

// Each child opens or creates the same key and writes its own values; not one may be lost.
void RunWriters(int round, int processes, int values) {
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t pid = fork();
        ASSERT_NE(-1, pid);
        if (pid == 0) {
            int failures = 0;
            for (int v = 0; v < values; ++v) {
                HKEY h = nullptr;
                char name[32];
                snprintf(name, sizeof name, "r%d-p%d-v%d", round, p, v);
                const DWORD data = static_cast<DWORD>(v);
                failures += RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Shared", &h) != 0 ||
                            RegSetValueExA(h, name, 0, REG_DWORD,
                                           reinterpret_cast<const BYTE*>(&data), 4) != 0;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
}

int CountValues(HKEY h, const char* prefix) {
    int count = 0;
    char name[32];
    DWORD cch = sizeof name, type = 0, data = 0, size = 4;
    for (DWORD i = 0; RegEnumValueA(h, i, name, &cch, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS;
         ++i, cch = sizeof name, size = 4) {
        const char* v = strrchr(name, 'v');
        if (strncmp(name, prefix, strlen(prefix)) == 0 && type == REG_DWORD && size == 4 &&
            v != nullptr && static_cast<DWORD>(atoi(v + 1)) == data)
            ++count;
    }
    return count;
}

TEST_F(StandinRegistry, ConcurrentProcessesLoseNoWrite) {
    constexpr int kProcesses = 4;
    constexpr int kValues = 60;
    // Round 0: the children race to create the database itself.
    RunWriters(0, kProcesses, kValues);
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Shared", &h));
    EXPECT_EQ(kProcesses * kValues, CountValues(h, "r0-"));
    // Round 1: this process holds the database open while its children write.
    RunWriters(1, kProcesses, kValues);
    EXPECT_EQ(kProcesses * kValues, CountValues(h, "r1-"));
    EXPECT_EQ(kProcesses * kValues, CountValues(h, "r0-"));
}

TEST_F(StandinRegistry, DamagedOrUnreachableDatabaseFailsAndIsLeftAlone) {
    const auto expectFailure = [](LONG expected) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        HKEY h = HKEY_CURRENT_USER;
        EXPECT_EQ(expected, RegOpenKeyA(HKEY_CURRENT_USER, "Software", &h));
        EXPECT_EQ(nullptr, h);
        h = HKEY_CURRENT_USER;
        EXPECT_EQ(expected, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &h));
        EXPECT_EQ(nullptr, h);
        EXPECT_EQ(expected, RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, Bytes("x"), 1));
        DWORD size = 0;
        EXPECT_EQ(expected,
                  RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, nullptr, &size));
        EXPECT_EQ(0u, size);
        EXPECT_EQ("", testing::internal::GetCapturedStdout());
        EXPECT_EQ("", testing::internal::GetCapturedStderr());
        standin::RegistryReset();
    };
    std::filesystem::create_directories(Folder());

    // A file that is no database at all.
    std::string garbage;
    for (int i = 0; i < 300; ++i)
        garbage += "this is not a database. ";
    testenv::WriteFile(Database(), garbage);
    expectFailure(ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(garbage, testenv::ReadFile(Database()));
    EXPECT_EQ(std::set<std::string>{"registry.db"}, FolderEntries(Folder()));

    // A real database whose pages after the first were overwritten.
    std::filesystem::remove(Database());
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &h));
    standin::RegistryReset();
    std::string damaged = testenv::ReadFile(Database());
    ASSERT_GT(damaged.size(), 1024u);
    std::fill(damaged.begin() + 1024, damaged.end(), '\xA5');
    testenv::WriteFile(Database(), damaged);
    expectFailure(ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(damaged, testenv::ReadFile(Database()));

    // The folder is a file.
    std::filesystem::remove_all(Folder());
    testenv::WriteFile(Folder(), "mine");
    expectFailure(ERROR_CANTOPEN);
    EXPECT_EQ("mine", testenv::ReadFile(Folder()));

    // The folder is not writable (root writes anyway).
    if (geteuid() != 0) {
        std::filesystem::remove(Folder());
        std::filesystem::create_directory(Folder());
        chmod(Folder().c_str(), 0500);
        expectFailure(ERROR_CANTOPEN);
        EXPECT_TRUE(FolderEntries(Folder()).empty());
    }
}

TEST_F(StandinRegistry, FailingCallsWriteNothing) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\ZapfileTest", &h));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Text", 0, REG_SZ, Bytes("hello"), 5));

    const std::string untouched = "########";
    std::string buffer = untouched;
    DWORD type = 0xEEEE, size = 8;
    const auto query = [&](HKEY key, const char* name) {
        return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                &size);
    };
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query(h, "Missing"));
    EXPECT_EQ(0xEEEEu, type);
    EXPECT_EQ(8u, size);
    EXPECT_EQ(untouched, buffer);

    size = 3;  // too small: the size needed, and not one byte in the buffer
    EXPECT_EQ(ERROR_MORE_DATA, query(h, "Text"));
    EXPECT_EQ(5u, size);
    EXPECT_EQ(untouched, buffer);

    // A closed handle is unknown from then on, even once its slot serves a new key.
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(h));
    HKEY reopened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\ZapfileTest", &reopened));
    EXPECT_NE(h, reopened);
    type = 0xEEEE;
    size = 8;
    EXPECT_EQ(ERROR_INVALID_HANDLE, query(h, "Text"));
    EXPECT_EQ(0xEEEEu, type);
    EXPECT_EQ(8u, size);
    EXPECT_EQ(untouched, buffer);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(h));

    // HKEY_LOCAL_MACHINE is not kept here.
    HKEY out = reopened;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software", &out));
    EXPECT_EQ(reopened, out);
}

TEST_F(StandinRegistry, OnlyAsciiLettersFoldInNames) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\ZapfileTest", &h));
    // 0xC9 and 0xE9 are É and é in Latin-1, but bytes above 0x7f compare exactly.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "\xC9t\xE9", 0, REG_SZ, Bytes("upper"), 5));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "\xE9T\xE9", 0, REG_SZ, Bytes("lower"), 5));
    char data[8] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "\xC9T\xE9", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(data), &size));
    EXPECT_STREQ("upper", data);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(h, "\xC9t\xC9", nullptr, nullptr, nullptr, nullptr));
}

}  // namespace
