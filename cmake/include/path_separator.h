// cmake/include/path_separator.h
// The character that parts a folder from a name in a path, for lib/ and app/: on Windows a
// backslash, as the open-file dialog writes it. The Linux stand-in's header of the same name
// (win32-linux/include/) gives '/'; each build puts its own on the include path.
#ifndef ZAPFILE_PATH_SEPARATOR_H
#define ZAPFILE_PATH_SEPARATOR_H

constexpr char PATH_SEPARATOR = '\\';

#endif
