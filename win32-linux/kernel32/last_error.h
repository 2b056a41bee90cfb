// win32-linux/kernel32/last_error.h
// The last error, and the Unix error behind it when a system call failed: Win32 codes are
// coarser (ERROR_ACCESS_DENIED stands for EACCES, EISDIR, EROFS ...), and the Linux program
// names the precise reason on standard error.
#ifndef ZAPFILE_STANDIN_KERNEL32_LAST_ERROR_H
#define ZAPFILE_STANDIN_KERNEL32_LAST_ERROR_H

#include <windows.h>

namespace standin {

// SetLastError(dwErrCode), remembering the errno value it was made from.
void SetLastErrorFromUnix(DWORD dwErrCode, int unixError);

// The errno value behind the last error; 0 when the last error was set by SetLastError.
int LastUnixError();

}  // namespace standin

#endif
