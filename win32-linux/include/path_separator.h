// win32-linux/include/path_separator.h
// The character that parts a folder from a name in a path, for lib/ and app/. Linux paths
// name a file only with '/', so the stand-in gives that. The Windows build takes the header
// of the same name from cmake/include/, with a backslash: the one source never asks which
// platform it is on.
#ifndef ZAPFILE_PATH_SEPARATOR_H
#define ZAPFILE_PATH_SEPARATOR_H

constexpr char PATH_SEPARATOR = '/';

#endif
