// win32-linux/comdlg32/open_file.cpp
// GetOpenFileNameA: the user-interface backend lets the user choose, and the choice is
// written as Windows writes it: one file as its full path; several (only with
// OFN_ALLOWMULTISELECT) as their folder, then each name; every entry ends with a NUL and the
// list with one more.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "user32/user_driver.h"

static_assert(OPENFILENAME_SIZE_VERSION_400A == (sizeof(void*) == 8 ? 136 : 76));
static_assert(sizeof(OPENFILENAMEA) == (sizeof(void*) == 8 ? 152 : 88));

namespace {

// The list for the chosen paths; empty when they cannot be given as one (several files
// without OFN_ALLOWMULTISELECT, or not in one folder).
std::string FileList(const std::vector<std::string>& paths, DWORD flags) {
    if (paths.size() == 1)
        return paths[0] + '\0';
    if ((flags & OFN_ALLOWMULTISELECT) == 0)
        return {};
    const size_t nSlash = paths[0].rfind('/');
    if (nSlash == std::string::npos)
        return {};
    const std::string folder = nSlash == 0 ? "/" : paths[0].substr(0, nSlash);
    const std::string prefix = nSlash == 0 ? "/" : folder + '/';
    std::string list = folder + '\0';
    for (const std::string& path : paths) {
        if (path.compare(0, prefix.size(), prefix) != 0 ||
            path.find('/', prefix.size()) != std::string::npos || path.size() == prefix.size())
            return {};
        list += path.substr(prefix.size()) + '\0';
    }
    return list;
}

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    if (lpofn == nullptr || (lpofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
                             lpofn->lStructSize != sizeof(OPENFILENAMEA)))
        return FALSE;
    const standin::UiBackend* backend = standin::BackendForFileDialog(lpofn->hwndOwner);
    std::vector<std::string> paths;
    if (backend == nullptr || backend->openFile == nullptr ||
        !backend->openFile(lpofn->hwndOwner, lpofn->Flags, &paths) || paths.empty())
        return FALSE;
    const std::string list = FileList(paths, lpofn->Flags);
    // The list and its closing NUL must fit; nothing is written when they do not.
    if (list.empty() || lpofn->lpstrFile == nullptr || list.size() + 1 > lpofn->nMaxFile)
        return FALSE;
    memcpy(lpofn->lpstrFile, list.data(), list.size());
    lpofn->lpstrFile[list.size()] = '\0';
    return TRUE;
}
