// win32-linux/kernel32/last_error.cpp
#include <windows.h>

#include "kernel32/last_error.h"

namespace {
thread_local DWORD t_lastError = 0;
thread_local int t_unixError = 0;
}  // namespace

DWORD WINAPI GetLastError(void) { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) {
    t_lastError = dwErrCode;
    t_unixError = 0;
}

void standin::SetLastErrorFromUnix(DWORD dwErrCode, int unixError) {
    t_lastError = dwErrCode;
    t_unixError = unixError;
}

int standin::LastUnixError() { return t_unixError; }
