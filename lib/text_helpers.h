// lib/text_helpers.h
// Text held in zero-filled memory blocks from the platform's global allocator.
// Every block returned here belongs to the caller; only CutString releases a block (the one
// it replaces).
#ifndef ZAPFILE_TEXT_HELPERS_H
#define ZAPFILE_TEXT_HELPERS_H

#include <windows.h>

// The platform's path-length limit, used for every path and text buffer.
constexpr int MAX_TEXT = 260;
// A text buffer: MAX_TEXT characters and the terminating NUL.
constexpr int TEXT_BUFFER_SIZE = MAX_TEXT + 1;

// A new block of dwSize bytes, all 0; null when the platform cannot supply one.
char* AllocZeroed(SIZE_T dwSize);
// Sets bytes 0 to nCount - 1 of szBuffer to 0; a count of 0 or less changes nothing.
void ZeroFill(char* szBuffer, int nCount);
// A new block of exactly the window's text length plus 1 byte, holding its text.
char* GetWindowTextAlloc(HWND hwnd);
// The same for a dialog's control.
char* GetDlgItemTextAlloc(HWND hDlg, int nIDDlgItem);
// Keeps the first nKeep characters of *lpText and joins the characters from nResume on.
// *lpText is replaced by a new block and its old block released, unless nKeep reaches the
// text's end (then nothing happens).
void CutString(char** lpText, unsigned nKeep, unsigned nResume);
// A new block of 3 bytes: carriage return, line feed, NUL.
char* AllocCrLf();
// 1 when the two texts are equal byte for byte (case matters), else 0.
int StringsEqual(const char* szFirst, const char* szSecond);

#endif
