// tests/fuzz/open_file_list_fuzz.cpp
// The open-file dialog's list walked as the library walks it, over any bytes in a buffer of
// the dialog's size, and the text helpers on any text. Every name comes out whole (never cut
// to another name), within MAX_PATH, and the walk ends.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "common_dialogs.h"
#include "path_separator.h"
#include "text_helpers.h"

// The walk never opens a dialog nor reads a window: the library's functions that do are
// linked, but never run here.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA) { abort(); }
int WINAPI GetWindowTextLengthA(HWND) { abort(); }
int WINAPI GetWindowTextA(HWND, LPSTR, int) { abort(); }
UINT WINAPI GetDlgItemTextA(HWND, int, LPSTR, int) { abort(); }
HWND WINAPI GetDlgItem(HWND, int) { abort(); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA) { abort(); }
PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderA(LPBROWSEINFOA) { abort(); }
BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE, LPSTR) { abort(); }
void WINAPI CoTaskMemFree(LPVOID) { abort(); }
BOOL WINAPI ChooseColorA(LPCHOOSECOLORA) { abort(); }

namespace {

// The list: the input, then what fills the rest of the buffer (NULs, or the last input byte
// repeated, so that a list may also run to the very end without ending).
void WalkList(const uint8_t* data, size_t size) {
    std::vector<char> list(FILE_LIST_SIZE, size > 0 && (data[0] & 1) ? static_cast<char>(data[size - 1]) : '\0');
    memcpy(list.data(), data, size < list.size() ? size : list.size());
    CommonDialogs d;
    d.lpList = list.data();
    d.szFirst = d.NextName();
    d.bSingle = d.IsSingleSelection();
    // One file when the first entry runs to the end or two NULs follow it; the first entry
    // is the list's first text whenever that fits, else nothing (never a part of it).
    const size_t first = strnlen(list.data(), list.size());
    Check(d.bSingle == (first == list.size() || (first + 1 < list.size() && list[first + 1] == '\0')));
    if (first > 0 && first < MAX_PATH && first < list.size())
        Check(strcmp(d.szFirst, list.data()) == 0);
    else
        Check(d.szFirst[0] == '\0');
    char* szFileName = d.FileName();
    Check(strlen(szFileName) <= strlen(d.szFirst));
    GlobalFree(szFileName);
    // Each further name: whole, within MAX_PATH, a part of the list; at most one per entry.
    for (size_t steps = 0; steps <= list.size(); ++steps) {
        char* szName = d.NextName();
        const size_t n = strlen(szName);
        Check(n < MAX_PATH);
        if (d.bEnd) {
            Check(n == 0);
            GlobalFree(szName);
            break;
        }
        Check(n > 0 && d.nPos >= static_cast<int>(n) &&
              memcmp(list.data() + d.nPos - n, szName, n) == 0 && list[d.nPos] == '\0');
        char* szJoined = d.JoinPath();
        Check(strncmp(szJoined, d.szFirst, strlen(d.szFirst)) == 0);
        Check(strcmp(szJoined + strlen(szJoined) - n, szName) == 0);
        char* szOnly = d.FileName();
        GlobalFree(szOnly);
        GlobalFree(szJoined);
        GlobalFree(szName);
        Check(steps < list.size());
    }
    // LeafName of the first entry: its last component, trailing separators passed over, with
    // the eight characters a file name cannot hold taken out.
    const std::string path = d.szFirst;
    size_t end = path.size(), start = 0;
    while (end > 1 && path[end - 1] == PATH_SEPARATOR)
        --end;
    for (start = end; start > 0 && path[start - 1] != PATH_SEPARATOR; --start) {
    }
    std::string leaf;
    for (size_t i = start; i < end; ++i)
        if (strchr("\\/:*?\"<>", path[i]) == nullptr)
            leaf += path[i];
    d.szResult = d.szFirst;
    Check(leaf == d.LeafName());
    GlobalFree(d.szLeaf);
    GlobalFree(d.szFirst);
}

// CutString keeps the first nKeep characters and joins those from nResume on, in a new block.
void CutText(const uint8_t* data, size_t size) {
    if (size < 2)
        return;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string asText = text.substr(0, text.find('\0'));
    char* block = AllocZeroed(asText.size() + 1);
    memcpy(block, asText.data(), asText.size());
    const unsigned nKeep = data[0] % 64, nResume = data[1] % 64;
    const char* before = block;
    CutString(&block, nKeep, nResume);
    Check((block != before) == (nKeep < asText.size()));  // a new block unless nothing is cut
    std::string expected = asText;
    if (nKeep < asText.size())
        expected = asText.substr(0, nKeep) + asText.substr(nResume < asText.size() ? nResume : asText.size());
    Check(expected == block);
    Check(StringsEqual(block, expected.c_str()) == 1);
    GlobalFree(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WalkList(data, size);
    CutText(data, size);
    return 0;
}
