// win32-linux/include/path_separator.h
// How a path parts a folder from a name, for lib/ and app/. Linux paths name a file only with
// '/': ':' and '\' are ordinary characters of a name. The Windows build takes the header of
// the same name from cmake/include/, with the backslash: the one source never asks which
// platform it is on.
#ifndef ZAPFILE_PATH_SEPARATOR_H
#define ZAPFILE_PATH_SEPARATOR_H

// The separator that paths are written with.
constexpr char PATH_SEPARATOR = '/';

// True for every character that ends a folder's part of a path.
constexpr bool IsPathSeparator(char c) { return c == '/'; }

#endif
