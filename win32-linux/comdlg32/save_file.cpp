// win32-linux/comdlg32/save_file.cpp
// GetSaveFileNameA: the backend's chooser names the file, and the questions that Windows'
// dialog asks before it accepts a name are asked here, in message boxes owned by the
// program's window, the chooser shown again after each refusal.
#include <windows.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "user32/user_driver.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The folder part of a full path ("/" for a name in the root).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Whether the chosen path may be taken, asking as the flags say; false sends the user back to
// the chooser.
bool Accepted(const standin::UiBackend* backend, HWND owner, DWORD flags,
              const std::string& path) {
    if ((flags & OFN_PATHMUSTEXIST) && !IsFolder(FolderOf(path))) {
        const std::string text = path + "\nPath does not exist.\nCheck the path and try again.";
        backend->messageBox(owner, text.c_str(), "Save As", MB_OK | MB_ICONWARNING);
        return false;
    }
    if ((flags & OFN_OVERWRITEPROMPT) && Exists(path)) {
        const std::string text = NameOf(path) + " already exists.\nDo you want to replace it?";
        return backend->messageBox(owner, text.c_str(), "Confirm Save As",
                                   MB_YESNO | MB_ICONWARNING) == IDYES;
    }
    return true;
}

}  // namespace

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn) {
    if (lpofn == nullptr || (lpofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
                             lpofn->lStructSize != sizeof(OPENFILENAMEA)))
        return FALSE;
    const standin::UiBackend* backend =
        standin::BackendForChooser(lpofn->hwndOwner, "save-file chooser");
    if (backend == nullptr || backend->saveFile == nullptr)
        return FALSE;
    // The buffer's text is the name offered first, read no further than nMaxFile.
    std::string path;
    if (lpofn->lpstrFile != nullptr)
        path.assign(lpofn->lpstrFile, strnlen(lpofn->lpstrFile, lpofn->nMaxFile));
    do {
        if (!backend->saveFile(lpofn->hwndOwner, &path) || path.empty() || path[0] != '/')
            return FALSE;
    } while (!Accepted(backend, lpofn->hwndOwner, lpofn->Flags, path));
    // The path and its NUL must fit; nothing is written when they do not.
    if (lpofn->lpstrFile == nullptr || path.size() + 1 > lpofn->nMaxFile)
        return FALSE;
    memcpy(lpofn->lpstrFile, path.c_str(), path.size() + 1);
    const size_t name = path.rfind('/') + 1;
    const size_t dot = path.rfind('.');
    lpofn->nFileOffset = static_cast<WORD>(name);
    lpofn->nFileExtension =
        static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : path.size());
    return TRUE;
}
