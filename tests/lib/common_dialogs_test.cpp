// tests/lib/common_dialogs_test.cpp
// The records of the open-file, save-file and folder dialogs, the walk over the list the
// open-file dialog returns, and LeafName. Only Win32 calls: the same source builds for
// Windows, where the separator is a backslash.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "common_dialogs.h"
#include "path_separator.h"
#include "text_helpers.h"

namespace {

const std::string S(1, PATH_SEPARATOR);
const std::string kFolder = S + "data" + S + "in";

// The blocks a chosen path is written to: the record offers the dialog no more than each
// holds, and the save dialog leaves the last byte for the NUL. A new open starts a new walk.
TEST(CommonDialogs, TheRecordsOfferNoMoreThanTheirBlocksHold) {
    CommonDialogs c;
    c.bEnd = 1;
    c.nPos = 7;
    c.InitOpen(nullptr);
    EXPECT_EQ(0, c.nPos + c.bEnd);
    EXPECT_EQ(std::pair(static_cast<DWORD>(FILE_LIST_SIZE), c.szFile),
              std::pair(c.ofn.nMaxFile, c.ofn.lpstrFile));
    c.InitSave(nullptr);
    EXPECT_EQ(std::pair(static_cast<DWORD>(MAX_TEXT), c.szFile),
              std::pair(c.ofn.nMaxFile, c.ofn.lpstrFile));
}

// Each list as the dialog returns it (NULs included), walked as ShowOpen and the caller do.
TEST(CommonDialogs, WalkGivesTheFirstEntryThenEachNameAndEndsSafely) {
    const std::string fits(MAX_PATH - 1, 'f'), tooLong(MAX_PATH, 'x');
    struct Case {
        std::string list;
        std::string first;
        int single;
        std::vector<std::string> names;  // what NextName gives after the first, until empty
        std::string fileName, joined;    // FileName, and JoinPath of the first name
    };
    const Case cases[] = {
        {kFolder + S + "a.txt" + '\0', kFolder + S + "a.txt", 1, {}, "a.txt", ""},
        {kFolder + '\0' + "a" + '\0' + "bb" + '\0', kFolder, 0, {"a", "bb"}, "a",
         kFolder + S + "a"},
        {S + '\0' + "a" + '\0', S, 0, {"a"}, "a", S + "a"},  // the root: no second separator
        {S + '\0', S, 1, {}, "", ""},  // a path ending in the separator has no name
        {"", "", 1, {}, "", ""},
        // An entry longer than MAX_PATH - 1 characters ends the walk, as does a missing NUL.
        {kFolder + '\0' + fits + '\0' + "b" + '\0', kFolder, 0, {fits, "b"}, fits,
         kFolder + S + fits},
        {kFolder + '\0' + "a" + '\0' + tooLong + '\0' + "b" + '\0', kFolder, 0, {"a"}, "a",
         kFolder + S + "a"},
        {S + tooLong + '\0', "", 1, {}, "", ""},
        {std::string(FILE_LIST_SIZE, 'y'), "", 1, {}, "", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.list.substr(0, 20));
        CommonDialogs c;
        c.szFile = AllocZeroed(FILE_LIST_SIZE);
        memcpy(c.szFile, k.list.data(), k.list.size());
        c.lpList = c.szFile;
        c.szFirst = c.NextName();
        c.szName = AllocZeroed(MAX_PATH);
        EXPECT_EQ(k.first, c.szFirst);
        EXPECT_EQ(k.single, c.IsSingleSelection());
        char* name = c.NextName();
        EXPECT_EQ(k.fileName, c.FileName());
        EXPECT_EQ(k.joined, *name != '\0' ? c.JoinPath() : "");
        std::vector<const char*> blocks;
        for (; *name != '\0' && blocks.size() < 4; name = c.NextName())
            blocks.push_back(name);
        EXPECT_EQ(1, c.bEnd);
        EXPECT_STREQ("", c.NextName());  // past the end
        // Earlier names keep their text: no block is reused.
        EXPECT_EQ(k.names, std::vector<std::string>(blocks.begin(), blocks.end()));
    }
}

// The last component without the eight characters no name may hold; the separator is the
// platform's. A path that starts with its only separator (/tmp) gives the name after it.
TEST(CommonDialogs, LeafNameIsTheLastComponentWithoutForbiddenCharacters) {
    const char other = PATH_SEPARATOR == '/' ? '\\' : '/';
    const struct {
        std::string path, leaf;
    } cases[] = {
        {"D:" + S + "Music" + S + "Live", "Live"},
        {"D:" + S + "Music" + S + "Live" + S, "Live"},
        {"D:" + S + "Music" + S + "Live" + S + S, "Live"},
        {"D:" + S, "D"},
        {"Music", "Music"},
        {"D:" + S + "a|b", "a|b"},
        {"D:" + S + "a*?\"<>:b" + other + "c", "abc"},
        {S + "tmp", "tmp"},
        {S, ""},
        {"", ""},
        {"x", "x"},
    };
    for (const auto& k : cases) {
        CommonDialogs c;
        c.szResult = AllocZeroed(k.path.size() + 1);
        memcpy(c.szResult, k.path.data(), k.path.size());
        const char* leaf = c.LeafName();
        EXPECT_EQ(k.leaf, leaf) << k.path;
        EXPECT_EQ(c.szLeaf, leaf);
        EXPECT_EQ(k.path, c.szResult) << "the path is kept";
    }
    // After JoinPath, as after a browse: the name of the joined file.
    CommonDialogs c;
    c.szFirst = AllocZeroed(MAX_PATH);
    c.szName = AllocZeroed(MAX_PATH);
    strcpy(c.szFirst, ("D:" + S + "Docs").c_str());
    strcpy(c.szName, "a.txt");
    c.JoinPath();
    EXPECT_STREQ("a.txt", c.LeafName());
}

}  // namespace
