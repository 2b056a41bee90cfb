// win32-linux/shell32/browse_folder.cpp
// SHBrowseForFolderA and SHGetPathFromIDListA. The backend's chooser gives a folder's path;
// the identifier list handed out for it is a block of the stand-in's own, in the shape of a
// one-item list: the item holds a mark and the path with its NUL, and a zero count ends it.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "user32/user_driver.h"

static_assert(sizeof(BROWSEINFOA) == (sizeof(void*) == 8 ? 64 : 32));

namespace {

constexpr char kMark[4] = {'Z', 'P', 'T', 'H'};
constexpr size_t kCountSize = sizeof(WORD);
// The item: its count, the mark, the path and its NUL.
constexpr size_t kItemOverhead = kCountSize + sizeof kMark + 1;

PIDLIST_ABSOLUTE MakeList(const std::string& path) {
    const size_t item = kItemOverhead + path.size();
    if (item > 0xFFFF)
        return nullptr;
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(item + kCountSize));
    if (block == nullptr)
        return nullptr;
    const WORD cb = static_cast<WORD>(item);
    memcpy(block, &cb, kCountSize);
    memcpy(block + kCountSize, kMark, sizeof kMark);
    memcpy(block + kCountSize + sizeof kMark, path.c_str(), path.size() + 1);
    memset(block + item, 0, kCountSize);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(block);
}

// The path a list of the stand-in's own holds; false for any other list.
bool PathOf(PCIDLIST_ABSOLUTE pidl, std::string* path) {
    if (pidl == nullptr)
        return false;
    const BYTE* block = reinterpret_cast<const BYTE*>(pidl);
    WORD cb = 0;
    memcpy(&cb, block, kCountSize);
    if (cb < kItemOverhead || memcmp(block + kCountSize, kMark, sizeof kMark) != 0)
        return false;
    const char* text = reinterpret_cast<const char*>(block + kCountSize + sizeof kMark);
    const size_t length = cb - kItemOverhead;
    if (text[length] != '\0' || memchr(text, '\0', length) != nullptr)
        return false;
    path->assign(text, length);
    return true;
}

// The name the shell shows for a folder: its last component, "/" for the root.
std::string DisplayName(const std::string& path) {
    const size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return "/";
    const size_t start = path.rfind('/', end);
    return path.substr(start + 1, end - start);
}

}  // namespace

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderA(LPBROWSEINFOA lpbi) {
    if (lpbi == nullptr)
        return nullptr;
    const standin::UiBackend* backend =
        standin::BackendForChooser(lpbi->hwndOwner, "folder chooser");
    std::string path;
    if (backend == nullptr || backend->chooseFolder == nullptr ||
        !backend->chooseFolder(lpbi->hwndOwner, lpbi->lpszTitle != nullptr ? lpbi->lpszTitle : "",
                               &path) ||
        path.empty() || path[0] != '/')
        return nullptr;
    PIDLIST_ABSOLUTE pidl = MakeList(path);
    if (pidl != nullptr && lpbi->pszDisplayName != nullptr) {
        const std::string name = DisplayName(path).substr(0, MAX_PATH - 1);
        memcpy(lpbi->pszDisplayName, name.c_str(), name.size() + 1);
    }
    return pidl;
}

BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR pszPath) {
    if (pszPath == nullptr)
        return FALSE;
    std::string path;
    if (!PathOf(pidl, &path) || path.size() >= MAX_PATH) {
        pszPath[0] = '\0';
        return FALSE;
    }
    memcpy(pszPath, path.c_str(), path.size() + 1);
    return TRUE;
}
