// tests/lib/common_dialogs_test.cpp
// The open-file dialog's record and the walk over the list it returns. Only Win32 calls: the
// same source builds for Windows, where the separator is a backslash.
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

// A chooser as ShowOpen leaves it after the dialog returned `list` (NULs included).
CommonDialogs Chosen(const std::string& list) {
    CommonDialogs c;
    c.szFile = AllocZeroed(FILE_LIST_SIZE);
    memcpy(c.szFile, list.data(), list.size());
    c.lpList = c.szFile;
    c.szFirst = c.NextName();
    c.szName = AllocZeroed(MAX_PATH);
    c.bSingle = c.IsSingleSelection();
    return c;
}

TEST(CommonDialogs, NewObjectIsZeroAndInitOpenFillsTheRecord) {
    CommonDialogs c;
    EXPECT_EQ(nullptr, c.szFile);
    EXPECT_EQ(0, c.nPos + c.nLen + c.nNuls + c.nScan + c.bEnd + c.bSingle);
    EXPECT_EQ(0u, c.ofn.lStructSize + c.ofn.Flags + c.ofn.nMaxFile);
    c.bEnd = 1;
    c.nPos = 7;
    c.InitOpen(reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(0, c.nPos);
    EXPECT_EQ(0, c.bEnd);
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), c.ofn.hwndOwner);
    EXPECT_EQ(sizeof(void*) == 8 ? 136u : 76u, c.ofn.lStructSize);
    EXPECT_EQ(0x80200u, c.ofn.Flags);
    EXPECT_EQ(65536u, c.ofn.nMaxFile);
    EXPECT_EQ(c.szFile, c.ofn.lpstrFile);
    EXPECT_EQ(std::string(FILE_LIST_SIZE, '\0'), std::string(c.szFile, FILE_LIST_SIZE));
    // The two entries, then the NUL that ends the list: 21 bytes.
    EXPECT_EQ(std::string("All Files (*.*)\0*.*\0", 21), std::string(c.ofn.lpstrFilter, 21));
    EXPECT_EQ(nullptr, c.ofn.lpstrInitialDir);
    EXPECT_STREQ("", c.szFirst);
    EXPECT_STREQ("", c.szName);
}

TEST(CommonDialogs, OneFileIsItsFullPath) {
    CommonDialogs c = Chosen(kFolder + S + "a.txt" + '\0');
    EXPECT_EQ(kFolder + S + "a.txt", c.szFirst);
    EXPECT_EQ(1, c.bSingle);
    EXPECT_STREQ("a.txt", c.FileName());
    EXPECT_STREQ("", c.NextName());
    EXPECT_EQ(1, c.bEnd);
}

TEST(CommonDialogs, SeveralFilesComeAfterTheirFolder) {
    CommonDialogs c = Chosen(kFolder + '\0' + "a" + '\0' + "bb" + '\0' + "c.txt" + '\0');
    EXPECT_EQ(kFolder, c.szFirst);
    EXPECT_EQ(0, c.bSingle);
    char* first = c.NextName();
    EXPECT_STREQ("a", first);
    EXPECT_EQ(kFolder + S + "a", c.JoinPath());
    EXPECT_STREQ("bb", c.NextName());
    EXPECT_EQ(2, c.nLen);
    EXPECT_STREQ("bb", c.FileName());
    EXPECT_STREQ("c.txt", c.NextName());
    EXPECT_EQ(0, c.bEnd);
    char* end = c.NextName();
    EXPECT_STREQ("", end);
    EXPECT_EQ(1, c.bEnd);
    char* again = c.NextName();
    EXPECT_STREQ("", again);
    EXPECT_NE(end, again);     // a new block each time
    EXPECT_STREQ("a", first);  // earlier blocks keep their text
    EXPECT_EQ(kFolder, c.szFirst);
}

TEST(CommonDialogs, RootFolderGetsNoSecondSeparatorAndEmptyListEndsAtOnce) {
    CommonDialogs c = Chosen(S + '\0' + "a" + '\0');
    c.NextName();
    EXPECT_EQ(S + "a", c.JoinPath());
    CommonDialogs single = Chosen(S + '\0');
    EXPECT_STREQ("", single.FileName());  // a path ending in the separator has no name
    CommonDialogs empty = Chosen("");
    EXPECT_STREQ("", empty.szFirst);
    EXPECT_EQ(1, empty.bEnd);
    EXPECT_STREQ("", empty.NextName());
}

TEST(CommonDialogs, EntryLongerThan259CharactersEndsTheWalk) {
    const std::string fits(259, 'f');
    const std::string tooLong(300, 'x');
    struct Case {
        std::string list;
        std::vector<std::string> names;  // what NextName gives after szFirst, until empty
        std::string first;
    };
    const Case cases[] = {
        {kFolder + '\0' + fits + '\0' + "b" + '\0', {fits, "b"}, kFolder},
        {kFolder + '\0' + "a" + '\0' + tooLong + '\0' + "b" + '\0', {"a"}, kFolder},
        {S + tooLong + '\0', {}, ""},
        {std::string(FILE_LIST_SIZE, 'y'), {}, ""},  // no NUL up to the list's end
    };
    for (const Case& k : cases) {
        CommonDialogs c = Chosen(k.list);
        EXPECT_EQ(k.first, c.szFirst);
        std::vector<std::string> names;
        for (int i = 0; i < 4; ++i) {
            char* name = c.NextName();
            if (*name == '\0')
                break;
            names.push_back(name);
        }
        EXPECT_EQ(k.names, names);
        EXPECT_EQ(1, c.bEnd);
    }
}

}  // namespace
