// tests/app/app_test_support.h
// Runs the application in-process against a private registry and the scripted backend.
#ifndef ZAPFILE_APP_TEST_SUPPORT_H
#define ZAPFILE_APP_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "advapi32/registry.h"
#include "kernel32/module.h"
#include "test_env.h"
#include "ui/scripted.h"

namespace apptest {

// Sends a command as a button of the dialog does.
inline LRESULT Press(HWND dlg, int id) { return SendMessageA(dlg, WM_COMMAND, id, 0); }

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test has a registry of its own: the database is opened again from the new place.
        setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
        standin::RegistryReset();
        standin::scripted::Install();
    }
    void TearDown() override {
        standin::scripted::Uninstall();
        standin::RegistryReset();
    }

    // Starts the program as a file manager would, with the given command-line tail.
    static void Run(const std::string& tail) {
        std::string copy = tail;
        EXPECT_EQ(0, WinMain(standin::ProgramInstance(), nullptr, copy.data(), SW_SHOWDEFAULT));
    }

    // Stores "bAskUser" the way another tool would.
    static void StoreSetting(const std::string& text) {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Zapfile", &hKey));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(hKey, "bAskUser", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(text.data()),
                                                static_cast<DWORD>(text.size())));
        RegCloseKey(hKey);
    }

    std::string File(const std::string& name, const std::string& contents = "secret") {
        const std::string path = dir / name;
        testenv::WriteFile(path, contents);
        return path;
    }

    static const std::vector<standin::scripted::BoxRecord>& Boxes() {
        return standin::scripted::Boxes();
    }

    testenv::TempDir dir;
};

}  // namespace apptest

#endif
