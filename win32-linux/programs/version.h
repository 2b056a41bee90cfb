// win32-linux/programs/version.h
// The version line of --version, shared by zapfile and zapfile-reg.
#ifndef ZAPFILE_STANDIN_PROGRAMS_VERSION_H
#define ZAPFILE_STANDIN_PROGRAMS_VERSION_H

#include <string>

// "PROGRAM (Ko Zapfile) Version 0.3 (Build 20060208)": the name and the version as the About
// box shows them, read from its dialog template so that the two never differ.
std::string VersionLine(const char* program);

#endif
