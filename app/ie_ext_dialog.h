// app/ie_ext_dialog.h
// The two small dialogs that the main window opens: "Ie Ext", which adds the program to or
// removes it from every file's context menu and holds the "Delete without asking" setting,
// and the About box.
#ifndef ZAPFILE_IE_EXT_DIALOG_H
#define ZAPFILE_IE_EXT_DIALOG_H

#include <windows.h>

// The context-menu entry: the verb, under the class of every file and under a class of the
// program's own of the same name.
constexpr char kAllFilesClass[] = "*";
constexpr char kVerb[] = "Zapfile";
constexpr char kOwnClass[] = "Zapfile";

INT_PTR CALLBACK IeExtDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

#endif
