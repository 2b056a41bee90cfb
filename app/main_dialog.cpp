// app/main_dialog.cpp
// The program's entry and the main dialog: a deletion requested on the command line happens
// during the dialog's initialisation, which ends the dialog before it is ever shown.
#include "main_dialog.h"

#include <cstring>

#include "app_state.h"
#include "forced_delete.h"
#include "ie_ext_dialog.h"
#include "resource.h"
#include "settings.h"
#include "text_helpers.h"

namespace {

// Room for the confirmation text with the longest tail accepted (MAX_TEXT characters).
constexpr SIZE_T kMessageSize = sizeof(kConfirmText) - 1 + MAX_TEXT + 1;

void DeleteFromCommandLine(HWND hwnd) {
    app.bConfirmed = 1;
    app.szMessage = AllocZeroed(kMessageSize);
    char* szPath = AllocZeroed(TEXT_BUFFER_SIZE);
    if (app.szMessage == nullptr || szPath == nullptr)
        return;
    // The path is the tail without any of its quotes, wherever they stand; nothing else is
    // changed. It is checked before anything is asked: a path that would be refused is
    // refused at once, whatever the setting, and only a file that can be zapped is asked
    // about. The file checked is the one written and removed after Yes.
    int j = 0;
    for (int i = 0; app.szCmdLine[i] != '\0'; ++i)
        if (app.szCmdLine[i] != '"')
            szPath[j++] = app.szCmdLine[i];
    CheckedFile file;
    if (!CheckFileToZap(szPath, &file)) {
        ShowDeleteError(hwnd);
        return;
    }
    strcpy(app.szMessage, kConfirmText);
    strcat(app.szMessage, app.szCmdLine);
    // Only an explicit Yes deletes: a box that could not be shown (0) counts as No.
    if (app.bAskUser == 1 &&
        MessageBoxA(hwnd, app.szMessage, kConfirmCaption, MB_YESNO) != IDYES)
        app.bConfirmed = 0;
    if (app.bConfirmed == 1)
        ZapCheckedFile(hwnd, &file, szPath);
    else if (file.hFile != nullptr)
        CloseHandle(file.hFile);
}

}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_INITDIALOG:
        LoadSettings();
        app.hEdit = GetDlgItem(hwnd, IDC_PATH);
        if (strlen(app.szCmdLine) != 0) {
            DeleteFromCommandLine(hwnd);
            EndDialog(hwnd, 0);
        }
        // The big icon for the task switcher, and for the title bar the icon's own image at
        // the small size rather than the big one shrunk.
        SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.hIcon));
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadImageA(
                         app.hInstance, MAKEINTRESOURCE(IDI_APP), IMAGE_ICON,
                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                         LR_DEFAULTCOLOR)));
        return TRUE;  // the dialog manager focuses the first tab stop, "..."
    case WM_COMMAND:
        // The whole wParam is compared: only notifications with code 0 are acted on.
        switch (wParam) {
        case IDOK:
        case IDCANCEL:
        case IDC_CLOSE:
            EndDialog(hwnd, 0);
            return TRUE;
        case IDC_BROWSE:
            // One file: the list the dialog returns is then just its full path.
            app.chooser.InitOpen(hwnd);
            app.chooser.ofn.Flags = OFN_EXPLORER;
            if (app.chooser.ShowOpen())
                SetWindowTextA(app.hEdit, app.chooser.szFile);
            return TRUE;
        case IDC_DELETE:
            // The field's text is the path as it stands: quotes in it are part of the name.
            app.szMessage = GetWindowTextAlloc(app.hEdit);
            TruncateAndRemove(hwnd, app.szMessage);
            return TRUE;
        case IDC_IEEXT:
            DialogBoxParamA(app.hInstance, MAKEINTRESOURCE(IDD_IEEXT), hwnd, IeExtDlgProc, 0);
            return TRUE;
        case IDC_ABOUT:
            DialogBoxParamA(app.hInstance, MAKEINTRESOURCE(IDD_ABOUT), hwnd, AboutDlgProc, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    app.hIcon = LoadIconA(hInstance, MAKEINTRESOURCE(IDI_APP));
    app.hInstance = hInstance;
    const char* szTail = lpCmdLine != nullptr ? lpCmdLine : "";
    // A tail that does not fit is refused whole: a shortened path could name another file,
    // and a cut could fall inside a character. Its length counts bytes, whatever the number
    // of characters.
    if (strlen(szTail) > static_cast<size_t>(MAX_TEXT)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        ShowDeleteError(nullptr);
        return 0;
    }
    strcpy(app.szCmdLine, szTail);
    app.szModulePath = app.key.GetModulePath(hInstance);
    DialogBoxParamA(hInstance, MAKEINTRESOURCE(IDD_MAIN), nullptr, MainDlgProc, 0);
    return 0;
}
