// tests/standin/advapi32/registry_sqlite_test.cpp
// What the stand-in registry promises beyond the Win32 rules: where its database lives,
// several processes writing at once, reads that see every commit of another process although
// they are answered from what was read before, a damaged or unopenable database left alone,
// and failed calls that write nothing.

#include <windows.h>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>

#include "advapi32/registry.h"
#include "test_env.h"

namespace fs = std::filesystem;

namespace {

const BYTE* Bytes(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }

// Runs SQL on a database through a connection of its own, as another program would; the
// first column of the first row it gives.
std::string Sql(const std::string& file, const char* statements) {
    sqlite3* other = nullptr;
    std::string first;
    const auto keepFirst = [](void* out, int, char** row, char**) {
        if (static_cast<std::string*>(out)->empty() && row[0] != nullptr)
            *static_cast<std::string*>(out) = row[0];
        return 0;
    };
    EXPECT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &other));
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(other, statements, keepFirst, &first, nullptr)) << statements;
    sqlite3_close(other);
    return first;
}

// Each test gets a configuration folder of its own. XDG_CONFIG_HOME is not put back after it:
// a later registry call should find a removed folder rather than the user's own settings.
class StandinRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        standin::RegistryReset();
    }
    testenv::TempDir dir_;
    const std::string config_ = dir_ / "config", folder_ = config_ + "/zapfile";
    const std::string db_ = folder_ + "/registry.db";
};

TEST_F(StandinRegistry, DatabaseLivesInAPrivateFolderOfTheUsersConfiguration) {
    EXPECT_EQ(db_, standin::RegistryDatabasePath());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, Bytes("x"), 1));
    for (const std::string& folder : {config_, folder_})
        EXPECT_EQ(fs::perms::owner_all, fs::status(folder).permissions()) << folder;
    EXPECT_EQ(1, std::distance(fs::directory_iterator(folder_), {}));  // the database alone
    const char* home = getenv("HOME");  // a relative XDG_CONFIG_HOME is ignored
    ASSERT_TRUE(home != nullptr && home[0] == '/');
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(std::string(home) + "/.config/zapfile/registry.db", standin::RegistryDatabasePath());
}

// Children write their own values under one key: the first ones race with this process to
// create the database, the others start while it holds the database open. No write is lost.
TEST_F(StandinRegistry, ConcurrentProcessesLoseNoWrite) {
    constexpr int kProcesses = 4, kValues = 60;
    HKEY h = nullptr;
    for (int p = 0; p < kProcesses; ++p) {
        if (p == kProcesses / 2) {
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Shared", &h));
        }
        if (fork() != 0)
            continue;
        LONG failed = RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Shared", &h);
        for (int v = 0; v < kValues && failed == 0; ++v) {
            const std::string name = std::to_string(p * kValues + v);
            failed = RegSetValueExA(h, name.c_str(), 0, REG_SZ, Bytes(name), name.size());
        }
        _exit(failed != 0);
    }
    while (wait(nullptr) > 0) {}
    int found = 0;
    for (int n = 0; n < kProcesses * kValues; ++n)
        found += RegQueryValueExA(h, std::to_string(n).c_str(), nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS;
    EXPECT_EQ(kProcesses * kValues, found);
}

// A subkey another process adds between two steps of an enumeration moves the ones after it,
// as a change of this process's own does: the next index is counted again.
TEST_F(StandinRegistry, AnotherProcessesChangeBetweenTwoEnumerationStepsIsSeen) {
    HKEY h = nullptr, sub = nullptr;
    for (const char* path : {"Software\\E\\c", "Software\\E\\d"})
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path, &sub));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\E", &h));
    char name[8];
    DWORD cch = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr));
    Sql(db_, "INSERT INTO keys(parent, name) SELECT id, 'a' FROM keys WHERE name = 'E'");
    cch = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ("c", std::string(name, cch));  // a c d
}

// A value read again while nothing changed is answered without a transaction; whatever another
// program has committed, or a database put in the registry's place, the very next read sees.
// A key opened before the database was replaced is not in the new one.
TEST_F(StandinRegistry, TheNextReadSeesAnotherProgramsCommitOrAReplacedDatabase) {
    const auto read = [](HKEY* opened) -> std::string {
        LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Seen", 0, KEY_READ, opened);
        char data[8] = "";
        DWORD size = sizeof data - 1;
        if (status == ERROR_SUCCESS)
            status = RegQueryValueExA(*opened, "v", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(data), &size);
        return status == ERROR_SUCCESS ? std::string(data) : "error " + std::to_string(status);
    };
    const std::string copy = db_ + ".copy";
    const std::tuple<const char*, std::function<void()>, std::string, LONG> kChanges[] = {
        {"value written", [&] { Sql(db_, "UPDATE vals SET data = 'b' WHERE name = 'v'"); }, "b",
         ERROR_SUCCESS},
        {"key deleted",
         [&] {
             Sql(db_, "DELETE FROM vals WHERE name = 'v'; DELETE FROM keys WHERE name = 'Seen'");
         },
         "error 2", ERROR_KEY_DELETED},
        {"replaced by a rename",
         [&] {
             fs::copy_file(db_, copy);
             Sql(copy, "UPDATE vals SET data = 'c' WHERE name = 'v'");
             fs::rename(copy, db_);
         },
         "c", ERROR_KEY_DELETED},
        {"removed", [&] { fs::remove(db_); }, "error 2", ERROR_KEY_DELETED},
    };
    for (const auto& [what, change, seen, before] : kChanges) {
        SCOPED_TRACE(what);
        HKEY h = nullptr, kept = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Seen", &h));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "v", 0, REG_SZ, Bytes("a"), 1));
        EXPECT_EQ("a", read(&kept));
        EXPECT_EQ("a", read(&kept));
        change();
        EXPECT_EQ(seen, read(&h));
        EXPECT_EQ(before, RegQueryValueExA(kept, "v", nullptr, nullptr, nullptr, nullptr));
    }
}

// A writer in another process, killed at random moments: each read of this process sees at
// least the last write that the writer was told had succeeded, a write cut short is either
// whole or not at all, and the database stays sound. (A read that the writer's lock outlasts,
// on a disk slow to sync, gives no answer rather than a wrong one.)
TEST_F(StandinRegistry, ReadsSeeEveryAcknowledgedWriteOfAWriterKilledAtAnyMoment) {
    HKEY h = nullptr;
    DWORD last = 0;  // the last write acknowledged
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Race", &h));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(h, "n", 0, REG_DWORD, reinterpret_cast<BYTE*>(&last), sizeof last));
    const auto current = [](DWORD* n) {
        HKEY opened = nullptr;
        DWORD size = sizeof *n;
        const bool read =
            RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, KEY_READ, &opened) == 0 &&
            RegQueryValueExA(opened, "n", nullptr, nullptr, reinterpret_cast<BYTE*>(n), &size) == 0;
        RegCloseKey(opened);
        return read;
    };
    std::mt19937 random(11);
    for (int round = 0; round < 4 && !HasFailure(); ++round) {
        int acks[2];
        ASSERT_EQ(0, pipe(acks));
        const pid_t writer = fork();
        if (writer == 0) {
            // A pause between writes, or the readers, who wait in growing steps, find the
            // database locked again at each try.
            for (DWORD n = last + 1;; ++n)
                if (RegSetValueExA(h, "n", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4) != 0 ||
                    write(acks[1], &n, sizeof n) != sizeof n || usleep(2000) != 0)
                    _exit(1);
        }
        close(acks[1]);
        fcntl(acks[0], F_SETFL, O_NONBLOCK);
        const auto drain = [&] {
            for (DWORD n = 0; read(acks[0], &n, sizeof n) == sizeof n;)
                last = n;
        };
        const auto lasting = std::uniform_int_distribution<int>(10, 80)(random);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lasting);
        for (DWORD n = 0; std::chrono::steady_clock::now() < end && !HasFailure();) {
            drain();
            const DWORD acknowledged = last;
            if (current(&n)) {
                EXPECT_GE(n, acknowledged);
            }
        }
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        drain();
        close(acks[0]);
        DWORD n = 0;
        EXPECT_TRUE(current(&n));
        EXPECT_TRUE(n == last || n == last + 1) << n << " after " << last;
        last = n;
    }
    EXPECT_EQ("ok", Sql(db_, "PRAGMA integrity_check"));
}

TEST_F(StandinRegistry, DamagedOrUnopenableDatabaseFailsAndIsLeftAlone) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, Bytes("x"), 1));
    standin::RegistryReset();
    std::string damaged = testenv::ReadFile(db_);
    // The pages after the first are overwritten.
    std::fill(damaged.begin() + std::min<size_t>(1024, damaged.size()), damaged.end(), '\xA5');
    for (const auto& [path, bytes, status] :
         {std::tuple(db_, damaged, ERROR_REGISTRY_CORRUPT),
          std::tuple(folder_, std::string("a file where the folder goes"), ERROR_CANTOPEN)}) {
        SCOPED_TRACE(bytes.substr(0, 15));
        fs::remove_all(folder_);
        fs::create_directories(fs::path(path).parent_path());
        testenv::WriteFile(path, bytes);
        standin::RegistryReset();
        HKEY h = HKEY_CURRENT_USER;
        EXPECT_EQ(status, RegOpenKeyA(HKEY_CURRENT_USER, "Software", &h));
        EXPECT_EQ(nullptr, h);
        EXPECT_EQ(status, RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, Bytes("x"), 1));
        EXPECT_EQ(bytes, testenv::ReadFile(path));
        EXPECT_EQ(1, std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}));
    }
}

// A maker of the database killed at any moment leaves nothing that the next one does not
// clear; what a maker that is still alive has made so far stays.
TEST_F(StandinRegistry, MakersKilledWhileMakingTheDatabaseLeaveNothingBehind) {
    std::mt19937 random(5);
    const std::string living = folder_ + "/registry.db.new-1";  // pid 1 is always there
    for (int round = 0; round < 20 && !HasFailure(); ++round) {
        fs::remove_all(folder_);
        const pid_t maker = fork();
        if (maker == 0)
            _exit(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, Bytes("x"), 1) != 0);
        usleep(std::uniform_int_distribution<int>(0, 4000)(random));
        kill(maker, SIGKILL);
        waitpid(maker, nullptr, 0);
        fs::create_directories(folder_);
        testenv::WriteFile(living, "half made");
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(HKEY_CURRENT_USER, "w", 0, REG_SZ, Bytes("x"), 1));
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_))
            names.insert(e.path().filename());
        EXPECT_EQ((std::set<std::string>{"registry.db", "registry.db.new-1"}), names) << round;
    }
}

// A closed handle stays unknown once a new key takes its slot, and a call through it writes
// nothing.
TEST_F(StandinRegistry, ClosedHandlesStayUnknown) {
    HKEY closed = nullptr, h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\ZapfileTest", &closed));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(closed));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\ZapfileTest", &h));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Text", 0, REG_SZ, Bytes("hello"), 5));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(closed, "Text", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(closed, "Text", 0, REG_SZ, Bytes("x"), 1));
    DWORD size = 8;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "Text", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(6u, size);  // "hello" and the NUL after it, not "x"
}

}  // namespace
