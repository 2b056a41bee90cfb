// app/main_dialog.h
#ifndef ZAPFILE_MAIN_DIALOG_H
#define ZAPFILE_MAIN_DIALOG_H

#include <windows.h>

// The confirmation text that precedes the command-line tail.
constexpr char kConfirmText[] = "Are you sure you want to delete the file:\n";
constexpr char kConfirmCaption[] = "Cofirm";

INT_PTR CALLBACK MainDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

#endif
