// examples/choosers/choosers.cpp
// The library's choosers at work, in one window: "Save..." opens the save-file dialog,
// "Folder..." the folder browser, "Colour..." the colour dialog, and the field below shows
// what each gave: the path to save to, the folder and its leaf name, the colour in hex (and
// the first custom colour, where a colour made in the dialog lands). The
// window's placement, the last colour and the last folder are kept with RegistryStore under
// HKEY_CURRENT_USER\Software\Zapfile\Choosers; the placement and the colour are put back at
// the next start. Each result is also written on standard output, one line each, for scripts.
#include <windows.h>

#include <cstdio>
#include <string>

#include "choosers_resource.h"
#include "common_dialogs.h"
#include "registry_store.h"

namespace {

constexpr char kKey[] = "Software\\Zapfile\\Choosers";
constexpr char kPlacement[] = "Placement";
constexpr char kColour[] = "Colour";
constexpr char kFolder[] = "Folder";

CommonDialogs g_dialogs;  // one for the whole run: the custom colours last as long as it
RegistryStore g_store;
COLORREF g_rgbLast = RGB(0, 0, 255);  // until a colour is stored

void ShowResult(HWND hDlg, const std::string& text) {
    SetDlgItemTextA(hDlg, IDC_RESULT, text.c_str());
    printf("%s\n", text.c_str());
    fflush(stdout);
}

std::string Hex(COLORREF rgb) {
    char text[8];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    return text;
}

void OnSave(HWND hDlg) {
    g_dialogs.InitSave(hDlg);
    if (g_dialogs.ShowSave())
        ShowResult(hDlg, std::string("Save to: ") + g_dialogs.szFile);
    else
        ShowResult(hDlg, "Save: cancelled");
}

void OnFolder(HWND hDlg) {
    g_dialogs.InitFolder(hDlg);
    const char* szFolder = g_dialogs.BrowseFolder();
    if (szFolder == nullptr) {
        ShowResult(hDlg, "Folder: cancelled");
        return;
    }
    g_store.SetString(szFolder, kFolder);
    ShowResult(hDlg, std::string("Folder: ") + szFolder + "  Leaf: " + g_dialogs.LeafName());
}

void OnColour(HWND hDlg) {
    g_rgbLast = g_dialogs.PickColor(hDlg, g_rgbLast);
    g_store.SetColor(g_rgbLast, kColour);
    // The first custom colour too: one made in the dialog lands there.
    ShowResult(hDlg, "Colour: " + Hex(g_rgbLast) + "  Custom: " + Hex(g_dialogs.CustColors[0]));
}

INT_PTR CALLBACK ChoosersProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_INITDIALOG:
        g_store.OpenOrCreate(HKEY_CURRENT_USER, kKey);
        g_store.ReadColor(g_rgbLast, kColour);
        // Where the window was left; a first start keeps the centre of the screen.
        g_store.RestorePlacement(hDlg, kPlacement);
        SetDlgItemTextA(hDlg, IDC_RESULT, ("Colour: " + Hex(g_rgbLast)).c_str());
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SAVE:
            OnSave(hDlg);
            return TRUE;
        case IDC_FOLDER:
            OnFolder(hDlg);
            return TRUE;
        case IDC_COLOUR:
            OnColour(hDlg);
            return TRUE;
        case IDCANCEL:
            g_store.SavePlacement(hDlg, kPlacement);
            EndDialog(hDlg, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(hInstance, MAKEINTRESOURCE(IDD_CHOOSERS), nullptr, ChoosersProc, 0);
    return 0;
}
