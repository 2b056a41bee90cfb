// tests/lib/text_helpers_test.cpp
// The text helpers. Only Win32 calls: the same source builds for Windows. (CutString is tried
// on any text by the open_file_list fuzz target.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "text_helpers.h"

namespace {

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
    char* crLf = AllocCrLf();
    EXPECT_EQ(std::string("\r\n\0", 3), std::string(crLf, 3));
    GlobalFree(crLf);
    GlobalFree(block);
}

}  // namespace
