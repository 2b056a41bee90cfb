// app/forced_delete.h
// The forced deletion: empty the file, write one byte 0xFF, close it, remove it.
#ifndef ZAPFILE_FORCED_DELETE_H
#define ZAPFILE_FORCED_DELETE_H

#include <windows.h>

// Zaps the file named by szPath exactly as given (no trimming, no quote removal). Only a
// regular file, or a name that does not exist yet in an existing folder, is written; anything
// else, and a path longer than MAX_TEXT bytes, is refused with the error box owned by
// hwndOwner and left untouched. A removal that fails after the write shows the same box: the
// file stays, one byte long, holding 0xFF. The caller learns nothing of the outcome beyond
// what the box told the user.
void TruncateAndRemove(HWND hwndOwner, LPCSTR szPath);

// The one error the user sees: "Couldn't delete file.".
void ShowDeleteError(HWND hwndOwner);

#endif
