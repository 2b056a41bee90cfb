// app/app_state.h
// The process-wide state of Zapfile. There is one user-interface thread, so nothing here is
// locked. Every block is zero-filled memory that lives until the process ends.
#ifndef ZAPFILE_APP_STATE_H
#define ZAPFILE_APP_STATE_H

#include <windows.h>

#include "common_dialogs.h"
#include "registry_key.h"

struct AppState {
    HINSTANCE hInstance;
    HICON hIcon;
    HWND hEdit;          // the main dialog's path field
    int bAskUser;        // 1: ask before a command-line deletion; 0: do not ask
    int bConfirmed;      // whether the command-line deletion goes ahead
    char* szCmdLine;     // copy of the command-line tail, at most MAX_TEXT characters
    char* szMessage;     // the confirmation text, then the cleaned path
    char* szModulePath;  // the program file's full path
    char* szSetting;     // the text read from the stored setting
    RegistryKey key;     // the one registry key object of the process
    CommonDialogs chooser;  // the open-file dialog of "..."
};

extern AppState app;

#endif
