// app/ie_ext_dialog.cpp
// "Ie Ext" and About. The check box changes the setting in memory only; it is stored by a
// successful Register, so ticking it and pressing OK changes nothing on disk.
#include "ie_ext_dialog.h"

#include "app_state.h"
#include "resource.h"
#include "settings.h"

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
        case IDC_REGISTER:
            // A registration that failed shows nothing and stores nothing.
            if (app.key.RegisterShellVerb(kAllFilesClass, kVerb, app.szModulePath, kOwnClass)) {
                SaveSettings();
                MessageBoxA(hwnd, "Ie Ext Register Successful.", "Ie Ext Register.", MB_OK);
            }
            return TRUE;
        case IDC_UNREGISTER:
            // Whatever was or was not there, the entry is gone afterwards.
            app.key.UnregisterShellVerb(kAllFilesClass, kVerb, app.szModulePath, kOwnClass);
            MessageBoxA(hwnd, "Ie Ext Unregister Successful.", "Ie Ext Unregister.", MB_OK);
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
