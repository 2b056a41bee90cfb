// tests/lib/text_helpers_test.cpp
// The text helpers and the module path. Only Win32 calls: the same source builds for Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "registry_key.h"
#include "text_helpers.h"

namespace {

std::string Cut(const char* text, unsigned keep, unsigned resume, bool* replaced = nullptr) {
    char* block = AllocZeroed(strlen(text) + 1);
    strcpy(block, text);
    char* before = block;
    CutString(&block, keep, resume);
    if (replaced != nullptr)
        *replaced = block != before;
    return block;
}

TEST(CutString, KeepsAndJoinsAsAsked) {
    bool replaced = false;
    EXPECT_EQ("abef", Cut("abcdef", 2, 4, &replaced));
    EXPECT_TRUE(replaced);
    EXPECT_EQ("abcdef", Cut("abcdef", 2, 2, &replaced));  // same text, in a new block
    EXPECT_TRUE(replaced);
    EXPECT_EQ("ab", Cut("abcdef", 2, 9));                 // resume past the end: the end
    EXPECT_EQ("abcdbcdef", Cut("abcdef", 4, 1));          // resume before keep: repeated
    EXPECT_EQ("", Cut("abcdef", 0, 6));
}

TEST(CutString, KeepingTheWholeTextChangesNothing) {
    for (unsigned keep : {6u, 7u, 1000u}) {
        bool replaced = true;
        EXPECT_EQ("abcdef", Cut("abcdef", keep, 0, &replaced));
        EXPECT_FALSE(replaced) << keep;
    }
}

TEST(StringsEqual, ComparesLengthThenEveryByte) {
    EXPECT_EQ(1, StringsEqual("", ""));
    EXPECT_EQ(1, StringsEqual("C:\\a.txt", "C:\\a.txt"));
    EXPECT_EQ(0, StringsEqual("abc", "abcd"));
    EXPECT_EQ(0, StringsEqual("abcd", "abc"));
    EXPECT_EQ(0, StringsEqual("abc", "aBc"));  // case matters
    EXPECT_EQ(0, StringsEqual("abc", "abd"));
}

TEST(ZeroFill, ClearsExactlyTheCount) {
    char* block = AllocZeroed(TEXT_BUFFER_SIZE);
    memset(block, 'x', TEXT_BUFFER_SIZE);
    ZeroFill(block, 0);
    ZeroFill(block, -5);
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE, 'x'), std::string(block, TEXT_BUFFER_SIZE));
    ZeroFill(block, MAX_TEXT);
    EXPECT_EQ(std::string(MAX_TEXT, '\0'), std::string(block, MAX_TEXT));
    EXPECT_EQ('x', block[MAX_TEXT]);  // byte 260 of a text buffer is left as it was
}

TEST(AllocCrLf, GivesExactlyThreeBytes) {
    EXPECT_EQ(std::string("\r\n\0", 3), std::string(AllocCrLf(), 3));
}

TEST(GetModulePath, NamesThisProgramAndIsTerminated) {
    RegistryKey key;
    char* path = key.GetModulePath(nullptr);
    ASSERT_NE(nullptr, path);
    EXPECT_EQ('\0', path[MAX_TEXT]);
    const std::string text = path;
    EXPECT_LE(text.size(), static_cast<size_t>(MAX_TEXT));
    EXPECT_NE(std::string::npos, text.find("test_lib")) << text;
    // The path names an existing file.
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    EXPECT_EQ(nullptr, key.hKey);  // uses nothing of the object
}

TEST(GetModuleFileName, CutsToTheBufferAndTerminates) {
    char full[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(n, 4u);
    char small[5];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(4u, GetModuleFileNameA(nullptr, small, 4));
    EXPECT_EQ(std::string(full, 3), std::string(small, 3));
#if defined(_WIN32)
    // KNOWN DIFFERENCE: Wine cuts the path without terminating it, as Windows XP did; the
    // Windows of today, as documented, terminates it. (The program reads the path into a
    // larger zero-filled block and is safe either way.)
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr)
        EXPECT_EQ(full[3], small[3]);
    else
#endif
        EXPECT_EQ('\0', small[3]);
    EXPECT_EQ('x', small[4]);  // nothing past the size given
}

}  // namespace
