// app/ie_ext_dialog.cpp
// "Ie Ext" and About. The check box changes the setting in memory only; it is stored by a
// successful Register, so ticking it and pressing OK changes nothing on disk.
#include "ie_ext_dialog.h"

#include <cstdio>
#include <cstring>

#include "app_state.h"
#include "resource.h"
#include "settings.h"

namespace {

constexpr char kNotWritten[] =
    "Ie Ext Register failed: the context-menu entry could not be written.";
constexpr char kNotStored[] =
    "Ie Ext Register failed: the entry was written, but the setting could not be stored.";
constexpr char kNotRemoved[] = "Ie Ext Unregister failed: the context-menu entry is still there.";

// Says what failed, then the system's words for the status.
void ShowFailure(HWND hwnd, LPCSTR szWhat, LONG lStatus, LPCSTR szCaption) {
    char szText[512] = {};
    snprintf(szText, sizeof szText, "%s\n\n", szWhat);
    const size_t cchUsed = strlen(szText);
    char* szReason = szText + cchUsed;
    const DWORD dwRoom = static_cast<DWORD>(sizeof szText - cchUsed);
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(lStatus), 0, szReason, dwRoom, nullptr) == 0)
        snprintf(szReason, dwRoom, "Error %ld.", static_cast<long>(lStatus));
    for (size_t n = strlen(szText); n > 0 && (szText[n - 1] == '\n' || szText[n - 1] == '\r');)
        szText[--n] = '\0';
    MessageBoxA(hwnd, szText, szCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

INT_PTR CALLBACK IeExtDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_INITDIALOG:
        // Ticked exactly when the program does not ask.
        SendMessageA(GetDlgItem(hwnd, IDC_NOASK), BM_SETCHECK,
                     app.bAskUser == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        return TRUE;
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
        case IDCANCEL:
            EndDialog(hwnd, 0);
            return TRUE;
        case IDC_REGISTER: {
            // Success only once both the entry and the setting are stored. A failed
            // registration stores no setting.
            LONG lStatus = ERROR_SUCCESS;
            if (!app.key.RegisterShellVerb(kAllFilesClass, kVerb, app.szModulePath, kOwnClass))
                ShowFailure(hwnd, kNotWritten, static_cast<LONG>(GetLastError()),
                            "Ie Ext Register.");
            else if ((lStatus = SaveSettings()) != ERROR_SUCCESS)
                ShowFailure(hwnd, kNotStored, lStatus, "Ie Ext Register.");
            else
                MessageBoxA(hwnd, "Ie Ext Register Successful.", "Ie Ext Register.", MB_OK);
            return TRUE;
        }
        case IDC_UNREGISTER:
            // Successful when the entry is gone afterwards, whatever was or was not there.
            app.key.UnregisterShellVerb(kAllFilesClass, kVerb, app.szModulePath, kOwnClass);
            if (GetLastError() == ERROR_SUCCESS)
                MessageBoxA(hwnd, "Ie Ext Unregister Successful.", "Ie Ext Unregister.", MB_OK);
            else
                ShowFailure(hwnd, kNotRemoved, static_cast<LONG>(GetLastError()),
                            "Ie Ext Unregister.");
            return TRUE;
        case IDC_NOASK:
            // The box has already ticked or cleared itself.
            app.bAskUser = app.bAskUser == 0 ? 1 : 0;
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM) {
    if (uMsg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
        EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}
