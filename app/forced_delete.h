// app/forced_delete.h
// The forced deletion: empty the file, write one byte 0xFF, close it, remove it.
#ifndef ZAPFILE_FORCED_DELETE_H
#define ZAPFILE_FORCED_DELETE_H

#include <windows.h>

// A file checked for zapping: opened for its attributes alone (null for a name that does not
// exist yet), and what the system said of it then.
struct CheckedFile {
    HANDLE hFile;
    BY_HANDLE_FILE_INFORMATION info;
};

// Whether szPath, taken exactly as given (no trimming, no quote removal), may be zapped: a
// plain file on a disk, opened for its attributes alone, under the very name asked for, or a
// name that does not exist yet in an existing folder. True, with *pFile filled, to be handed
// to ZapCheckedFile; false, with the last error set and nothing opened or written, for
// anything else: a folder, a link, a FIFO, a device, a kernel file, a read-only, hidden or
// system file, a path longer than MAX_TEXT bytes.
BOOL CheckFileToZap(LPCSTR szPath, CheckedFile* pFile);

// Zaps the file that CheckFileToZap opened (or makes the new name szPath, only as new): the
// same file is opened again for writing by its handle, checked again (it must still be that
// file, and its attributes may have changed while a question was open), written, and its
// name removed through it, so that no name is looked up again. Shows the error box owned by
// hwndOwner when anything fails; a removal that fails after the write leaves the file one
// byte long, holding 0xFF. Closes the checked file's handle.
void ZapCheckedFile(HWND hwndOwner, const CheckedFile* pFile, LPCSTR szPath);

// Both at once, nothing asked between: the error box for a path that is refused.
void TruncateAndRemove(HWND hwndOwner, LPCSTR szPath);

// The one error the user sees: "Couldn't delete file.", and below it the system's own words
// for the last error.
void ShowDeleteError(HWND hwndOwner);

#endif
