// win32-linux/advapi32/registry.h
// What the stand-in's own tests may ask of the registry beyond the Win32 calls: where the
// database lives, and a way to drop the open database so the next call looks again.
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

}  // namespace standin

#endif
