// win32-linux/programs/zapfile/failure_reason.h
// Why a path was refused or could not be deleted, for the line on standard error.
#ifndef ZAPFILE_STANDIN_PROGRAMS_ZAPFILE_FAILURE_REASON_H
#define ZAPFILE_STANDIN_PROGRAMS_ZAPFILE_FAILURE_REASON_H

#include <string>

// The reason, in the words of rm's messages where one fits ("Is a directory"), for `path`,
// whose deletion showed the error box while `unixError` (an errno value, or 0) was the Unix
// error behind the last error. A refusal leaves the path as it was, so what it names now
// tells why: its kind and its write bits come first, the failed call's error after them.
std::string FailureReason(const char* path, int unixError);

#endif
