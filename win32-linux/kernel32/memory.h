// win32-linux/kernel32/memory.h
// The blocks of one run of a program's entry. A program whose entry runs once for each of
// several paths, where Windows would start a process for each, releases at the end of a run
// the blocks that GlobalAlloc gave during it and that are still held, as the end of a process
// releases them: a program that never releases its blocks then does not grow with each path.
#ifndef ZAPFILE_STANDIN_KERNEL32_MEMORY_H
#define ZAPFILE_STANDIN_KERNEL32_MEMORY_H

namespace standin {

void BeginRunBlocks();
void ReleaseRunBlocks();

}  // namespace standin

#endif
