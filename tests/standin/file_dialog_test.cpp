// tests/standin/file_dialog_test.cpp
// GetOpenFileNameA over the scripted backend: the list it writes, and when it writes nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui_scripted.h"

namespace {

struct Case {
    const char* what;
    std::vector<std::string> paths;  // the user's choice; none is Cancel
    DWORD flags;
    DWORD structSize;
    DWORD maxFile;
    BOOL result;
    std::string list;  // the buffer's first 32 bytes afterwards ('#' where nothing was written)
};

TEST(GetOpenFileNameA, WritesTheListAsWindowsDoesOrNothing) {
    const DWORD v400 = OPENFILENAME_SIZE_VERSION_400A;
    const DWORD multi = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    using namespace std::string_literals;
    const Case cases[] = {
        {"one file", {"/d/a b"}, OFN_EXPLORER, v400, 32, TRUE, "/d/a b\0\0"s},
        {"several", {"/d/a", "/d/bc"}, multi, sizeof(OPENFILENAMEA), 32, TRUE, "/d\0a\0bc\0\0"s},
        {"several in the root", {"/a", "/b"}, multi, v400, 32, TRUE, "/\0a\0b\0\0"s},
        {"exactly fits", {"/d/abc"}, OFN_EXPLORER, v400, 8, TRUE, "/d/abc\0\0"s},
        {"one byte short", {"/d/abcd"}, OFN_EXPLORER, v400, 8, FALSE, ""},
        {"several without the flag", {"/d/a", "/d/b"}, OFN_EXPLORER, v400, 32, FALSE, ""},
        {"several folders", {"/d/a", "/e/b"}, multi, v400, 32, FALSE, ""},
        {"cancel", {}, multi, v400, 32, FALSE, ""},
        {"unknown record size", {"/d/a"}, OFN_EXPLORER, 76 + 136, 32, FALSE, ""},
    };
    for (const Case& k : cases) {
        standin::scripted::Install();
        standin::scripted::PushOpenFile(k.paths);
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = k.structSize;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = k.maxFile;
        ofn.Flags = k.flags;
        EXPECT_EQ(k.result, GetOpenFileNameA(&ofn)) << k.what;
        EXPECT_EQ(k.list + std::string(32 - k.list.size(), '#'), std::string(buffer, 32))
            << k.what;
        const std::vector<DWORD> asked = standin::scripted::OpenFileFlags();
        EXPECT_EQ(k.structSize == 76 + 136 ? std::vector<DWORD>{} : std::vector<DWORD>{k.flags},
                  asked)
            << k.what;
    }
    // Without a backend that can show it (no dialog on screen, no script), it fails.
    standin::scripted::Uninstall();
    char buffer[8] = "#######";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    EXPECT_EQ(FALSE, GetOpenFileNameA(&ofn));
    EXPECT_STREQ("#######", buffer);
}

}  // namespace
