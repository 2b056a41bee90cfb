// win32-linux/kernel32/module.h
// The running program as a module: its instance handle and its file.
#ifndef ZAPFILE_STANDIN_KERNEL32_MODULE_H
#define ZAPFILE_STANDIN_KERNEL32_MODULE_H

#include <windows.h>

namespace standin {

// The handle that WinMain receives; the only module there is.
HINSTANCE ProgramInstance();

}  // namespace standin

#endif
