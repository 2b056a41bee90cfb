// tests/lib/text_helpers_test.cpp
// The text helpers. Only Win32 calls: the same source builds for Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "text_helpers.h"

namespace {

TEST(CutString, KeepsAndJoinsAsAskedInANewBlockUnlessNothingIsCut) {
    struct Case {
        unsigned keep, resume;
        std::string result;
        bool replaced;
    };
    const Case cases[] = {
        {2, 4, "abef", true},   {2, 2, "abcdef", true},    {2, 9, "ab", true},  // past the end
        {4, 1, "abcdbcdef", true},  // resume before keep: repeated
        {0, 6, "", true},       {6, 0, "abcdef", false},   {1000, 0, "abcdef", false},
    };
    for (const Case& k : cases) {
        char* block = AllocZeroed(7);
        strcpy(block, "abcdef");
        char* before = block;
        CutString(&block, k.keep, k.resume);
        EXPECT_EQ(k.result, block) << k.keep << " " << k.resume;
        EXPECT_EQ(k.replaced, block != before) << k.keep << " " << k.resume;
    }
}

TEST(TextHelpers, StringsEqualComparesLengthThenEveryByte) {
    EXPECT_EQ(1, StringsEqual("C:\\a.txt", "C:\\a.txt"));
    EXPECT_EQ(0, StringsEqual("abc", "abcd"));
    EXPECT_EQ(0, StringsEqual("abcd", "abc"));
    EXPECT_EQ(0, StringsEqual("abc", "aBc"));  // case matters
}

TEST(TextHelpers, ZeroFillClearsExactlyTheCountAndCrLfIsThreeBytes) {
    char* block = AllocZeroed(TEXT_BUFFER_SIZE);
    memset(block, 'x', TEXT_BUFFER_SIZE);
    ZeroFill(block, -5);
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE, 'x'), std::string(block, TEXT_BUFFER_SIZE));
    ZeroFill(block, MAX_TEXT);
    EXPECT_EQ(std::string(MAX_TEXT, '\0') + 'x', std::string(block, TEXT_BUFFER_SIZE));
    EXPECT_EQ(std::string("\r\n\0", 3), std::string(AllocCrLf(), 3));
}

}  // namespace
