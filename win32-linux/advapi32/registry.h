// win32-linux/advapi32/registry.h
// What the stand-in's own tests and programs may ask of the registry beyond the Win32 calls:
// where the database lives, a way to drop the open database so the next call looks again, and
// the keys of one run of a program's entry.
#ifndef ZAPFILE_STANDIN_ADVAPI32_REGISTRY_H
#define ZAPFILE_STANDIN_ADVAPI32_REGISTRY_H

#include <string>

namespace standin {

// The database file for the current environment: $XDG_CONFIG_HOME/zapfile/registry.db, or
// ~/.config/zapfile/registry.db when XDG_CONFIG_HOME is unset or not an absolute path.
// Empty when no home folder can be found.
std::string RegistryDatabasePath();

// Closes the database and forgets every opened handle. The next registry call opens the
// database again, at the path the environment names then.
void RegistryReset();

// A program whose entry runs once for each of several paths, where Windows would start a
// process for each, closes at the end of a run the keys it opened since the run began, as
// the end of a process closes them.
void BeginRunKeys();
void CloseRunKeys();

}  // namespace standin

#endif
