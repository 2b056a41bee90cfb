// win32-linux/user32/dialog.cpp
// The user32 dialog and control calls over the window model.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "kernel32/last_error.h"
#include "user32/dialog_template.h"
#include "user32/error_box.h"
#include "user32/user_driver.h"
#include "user32/visible_text.h"
#include "user32/window_model.h"

using standin::FromHandle;
using standin::Window;

namespace {

void NotifyChanged(HWND hwnd) {
    Window* w = FromHandle(hwnd);
    if (w == nullptr)
        return;
    Window* dlg = w->isDialog ? w : FromHandle(w->parent);
    if (dlg != nullptr && dlg->backend != nullptr && dlg->backend->windowChanged != nullptr)
        dlg->backend->windowChanged(hwnd);
}

// Copies a window's text as GetWindowTextA does: at most cchMax - 1 characters and a NUL.
int CopyText(const Window* w, LPSTR lpString, int cchMax) {
    if (lpString == nullptr || cchMax <= 0)
        return 0;
    const int n = std::min(static_cast<int>(w->text.size()), cchMax - 1);
    memcpy(lpString, w->text.data(), n);
    lpString[n] = '\0';
    return n;
}

standin::ErrorBoxNote g_errorBoxNote;

}  // namespace

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    const standin::DialogTemplate* layout = standin::FindDialogTemplate(lpTemplateName);
    if (lpDialogFunc == nullptr || layout == nullptr) {
        g_errorBoxNote.windowFailed = true;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    HWND hDlg = standin::CreateDialogWindow(*layout, hWndParent, lpDialogFunc);
    Window* dlg = FromHandle(hDlg);
    standin::RunningDialogs().push_back(hDlg);
    HWND first = standin::FirstTabStop(hDlg);
    // A TRUE answer asks the dialog manager to focus the first tab stop. FALSE leaves the
    // focus to the procedure, which here cannot set one (the stand-in has no SetFocus): such a
    // dialog starts on its first tab stop too, rather than on no control, which a screen
    // reader announces as the bare window, its texts unread.
    lpDialogFunc(hDlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), dwInitParam);
    if (!dlg->ended)
        dlg->focus = first;
    INT_PTR result = -1;
    if (dlg->ended) {
        // Ended during its initialisation: the dialog is never shown, and no window backend
        // is even loaded.
        result = dlg->result;
    } else {
        std::string reason;
        const standin::UiBackend* backend = standin::BackendForDialog(&reason);
        if (backend != nullptr) {
            dlg->backend = backend;
            if (backend->runDialog(hDlg, &reason))
                result = dlg->result;
            else
                backend = nullptr;
        }
        if (backend == nullptr)
            g_errorBoxNote.windowFailed = true;
        if (backend == nullptr)
            fprintf(stderr, "zapfile: cannot show the \"%s\" window: %s\n", dlg->text.c_str(),
                    reason.c_str());
    }
    standin::RunningDialogs().pop_back();
    standin::DestroyDialogWindow(hDlg);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr || !dlg->isDialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    dlg->ended = true;
    dlg->result = nResult;
    // The backend running the dialog's modal loop ends it, wherever the call came from.
    NotifyChanged(hDlg);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : dlg->controls)
        if (FromHandle(c)->id == nIDDlgItem)
            return c;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    return w == nullptr || w->isDialog ? 0 : w->id;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FromHandle(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (Msg) {
    case WM_SETTEXT:
        return SetWindowTextA(hWnd, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
        return CopyText(w, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_SETICON: {
        HICON* slot = wParam == ICON_BIG ? &w->iconBig : &w->iconSmall;
        HICON previous = *slot;
        *slot = reinterpret_cast<HICON>(lParam);
        NotifyChanged(hWnd);
        return reinterpret_cast<LRESULT>(previous);
    }
    case BM_GETCHECK:
        return w->check;
    case BM_SETCHECK:
        w->check = static_cast<int>(wParam);
        NotifyChanged(hWnd);
        return 0;
    case BM_CLICK:
        standin::ClickButton(hWnd);
        return 0;
    default:
        break;
    }
    if (!w->isDialog || w->proc == nullptr)
        return 0;
    const INT_PTR handled = w->proc(hWnd, Msg, wParam, lParam);
    // What the default dialog procedure does with a close request that the procedure left.
    if (!handled && Msg == WM_CLOSE)
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hWnd, IDCANCEL)));
    return handled;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    Window* w = FromHandle(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->text = lpString != nullptr ? lpString : "";
    NotifyChanged(hWnd);
    return TRUE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    Window* w = FromHandle(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        if (lpString != nullptr && nMaxCount > 0)
            lpString[0] = '\0';
        return 0;
    }
    return CopyText(w, lpString, nMaxCount);
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(w->text.size());
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        if (lpString != nullptr && cchMax > 0)
            lpString[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr && SetWindowTextA(item, lpString);
}

HWND WINAPI GetFocus(void) {
    auto& running = standin::RunningDialogs();
    for (auto it = running.rbegin(); it != running.rend(); ++it) {
        Window* dlg = FromHandle(*it);
        if (dlg != nullptr && dlg->visible)
            return dlg->focus;
    }
    return nullptr;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    Window* w = FromHandle(hWnd);
    if (w == nullptr)
        return FALSE;
    if (w->isDialog)
        return w->visible;
    Window* dlg = FromHandle(w->parent);
    return dlg != nullptr && dlg->visible && (w->style & WS_VISIBLE);
}

namespace {
bool g_callerNamesFailures = false;
}  // namespace

void standin::CallerNamesFailures() { g_callerNamesFailures = true; }
bool standin::FailuresNamedByCaller() { return g_callerNamesFailures; }

standin::ErrorBoxNote standin::TakeErrorBoxNote() {
    const ErrorBoxNote note = g_errorBoxNote;
    g_errorBoxNote = ErrorBoxNote{};
    return note;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    // Noted before anything else runs: choosing a backend may set the last error.
    if ((uType & MB_ICONMASK) == MB_ICONERROR)
        g_errorBoxNote = {true, standin::LastUnixError(), g_errorBoxNote.windowFailed};
    const standin::UiBackend* backend = standin::BackendForMessageBox(hWnd);
    // NOTE: a name in the text that holds a control character or bytes that are no UTF-8 is
    // shown escaped, as the shell would write it (user32/visible_text.h).
    const std::string text = standin::VisibleText(lpText != nullptr ? lpText : "");
    // Windows shows "Error" for a null caption.
    return backend->messageBox(hWnd, text.c_str(), lpCaption != nullptr ? lpCaption : "Error", uType);
}
