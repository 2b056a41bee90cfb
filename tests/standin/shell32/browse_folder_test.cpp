// tests/standin/shell32/browse_folder_test.cpp
// SHBrowseForFolderA and SHGetPathFromIDListA over the scripted backend, and the library's
// BrowseFolder over them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common_dialogs.h"
#include "ui/scripted.h"

namespace {

namespace scripted = standin::scripted;

TEST(SHBrowseForFolderA, GivesTheFolderNameAndAListThatHoldsItsPath) {
    const std::string longest = "/" + std::string(MAX_PATH - 2, 'l');  // MAX_PATH - 1 long
    const struct {
        std::string chosen;  // "" is Cancel
        std::string displayName, path;
        bool listed, pathFits;
    } cases[] = {
        {"/home/me/Music", "Music", "/home/me/Music", true, true},
        {"/home/me/Music/", "Music", "/home/me/Music/", true, true},
        {"/", "/", "/", true, true},
        {longest, longest.substr(1), longest, true, true},
        {longest + "x", (longest + "x").substr(1), "", true, false},
        {"", "#", "#", false, false},
        {"relative", "#", "#", false, false},
    };
    for (const auto& k : cases) {
        scripted::Install();
        scripted::PushFolder(k.chosen);
        char name[MAX_PATH] = "#";
        BROWSEINFOA bi{};
        bi.pszDisplayName = name;
        bi.lpszTitle = "Pick one";
        PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&bi);
        EXPECT_EQ(k.listed, pidl != nullptr) << k.chosen;
        EXPECT_EQ(k.displayName, name) << k.chosen;
        EXPECT_EQ("Pick one", scripted::Choosers().at(0).text);
        char path[MAX_PATH] = "#";
        if (pidl != nullptr) {
            EXPECT_EQ(k.pathFits, SHGetPathFromIDListA(pidl, path) != FALSE) << k.chosen;
        }
        EXPECT_EQ(k.path, path) << k.chosen;
        CoTaskMemFree(pidl);
    }
    scripted::Uninstall();
    // A list that is not the stand-in's is no folder.
    const BYTE foreign[] = {4, 0, 'a', 'b', 0, 0};
    char path[MAX_PATH] = "#";
    EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(foreign), path));
    EXPECT_STREQ("", path);
    EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
}

// The library's BrowseFolder over it: the path in the block InitFolder made, or null for a
// cancel (the block then as it was) or a folder whose path does not fit MAX_PATH. (The path
// and its leaf name chosen in GTK and under Windows are tried with the example program.)
TEST(CommonDialogs, BrowseFolderGivesThePathOrNull) {
    scripted::Install();
    CommonDialogs c;
    c.InitFolder(nullptr);
    char* const block = c.szResult;
    for (const std::string& chosen : {std::string("/home/me/Music"), std::string("/srv")}) {
        scripted::PushFolder(chosen);
        EXPECT_EQ(block, c.BrowseFolder());
        EXPECT_EQ(chosen, c.szResult);
        EXPECT_NE(nullptr, c.pidl);
    }
    EXPECT_STREQ("Choose a folder, then press <Ok>.", scripted::Choosers().at(0).text.c_str());
    EXPECT_EQ(nullptr, c.BrowseFolder());  // cancelled
    EXPECT_EQ(nullptr, c.pidl);
    EXPECT_STREQ("/srv", c.szResult);
    scripted::PushFolder("/" + std::string(MAX_PATH, 'x'));
    EXPECT_EQ(nullptr, c.BrowseFolder());
    CoTaskMemFree(c.pidl);  // the object keeps the list it could not use
    scripted::Uninstall();
}

}  // namespace
