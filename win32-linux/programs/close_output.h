// win32-linux/programs/close_output.h
// Output that could not be written is a failure, as with coreutils: `zapfile --version
// >/dev/full` must not end as if all went well.
#ifndef ZAPFILE_STANDIN_PROGRAMS_CLOSE_OUTPUT_H
#define ZAPFILE_STANDIN_PROGRAMS_CLOSE_OUTPUT_H

// The exit status once standard output is flushed and closed: `status`, or 1 with
// "PROGRAM: write error: REASON" on standard error when not all of it was written.
int CloseOutput(const char* program, int status);

#endif
