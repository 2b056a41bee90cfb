// tests/standin/comdlg32/open_file_test.cpp
// GetOpenFileNameA over the scripted backend: the list it writes, and when it writes nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/scripted.h"

namespace {

TEST(GetOpenFileNameA, WritesTheListAsWindowsDoesOrNothing) {
    const DWORD v400 = OPENFILENAME_SIZE_VERSION_400A, unknown = 76 + 136;
    const DWORD multi = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::vector<std::string> paths;  // the user's choice; none is Cancel
        DWORD flags, structSize, maxFile;
        std::string list;  // the buffer's first 32 bytes afterwards; "" when nothing is written
        bool backend = true;  // false: no dialog on screen, no script
    } const cases[] = {
        {"one file", {"/d/a b"}, OFN_EXPLORER, v400, 32, "/d/a b\0\0"s},
        {"several", {"/d/a", "/d/bc"}, multi, sizeof(OPENFILENAMEA), 32, "/d\0a\0bc\0\0"s},
        {"exactly fits", {"/d/abc"}, OFN_EXPLORER, v400, 8, "/d/abc\0\0"s},
        {"one byte short", {"/d/abcd"}, OFN_EXPLORER, v400, 8, ""},
        {"several without the flag", {"/d/a", "/d/b"}, OFN_EXPLORER, v400, 32, ""},
        {"several folders", {"/d/a", "/e/b"}, multi, v400, 32, ""},
        {"cancel", {}, multi, v400, 32, ""},
        {"unknown record size", {"/d/a"}, OFN_EXPLORER, unknown, 32, ""},
        {"no backend to show it", {"/d/a"}, OFN_EXPLORER, v400, 32, "", false},
    };
    for (const Case& k : cases) {
        standin::scripted::Install();
        standin::scripted::PushOpenFile(k.paths);
        if (!k.backend)
            standin::scripted::Uninstall();
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = k.structSize;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = k.maxFile;
        ofn.Flags = k.flags;
        EXPECT_EQ(k.list.empty() ? FALSE : TRUE, GetOpenFileNameA(&ofn)) << k.what;
        EXPECT_EQ(k.list + std::string(32 - k.list.size(), '#'), std::string(buffer, 32))
            << k.what;
    }
}

}  // namespace
