// cmake/include/path_separator.h
// How a path parts a folder from a name, for lib/ and app/: on Windows a backslash, as the
// open-file dialog writes it, or a slash, and a drive's colon ("C:name"). The Linux stand-in's
// header of the same name (win32-linux/include/) gives '/' alone; each build puts its own on
// the include path.
#ifndef ZAPFILE_PATH_SEPARATOR_H
#define ZAPFILE_PATH_SEPARATOR_H

// The separator that paths are written with.
constexpr char PATH_SEPARATOR = '\\';

// True for every character that ends a folder's part of a path.
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

#endif
