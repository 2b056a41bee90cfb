// win32-linux/user32/error_box.h
// A note of the error boxes (MB_ICONERROR) shown. WinMain tells its caller nothing of a
// deletion's outcome; the Linux entry reads this note after each call to give the exit status
// and name the failed path on standard error, as command-line tools do.
#ifndef ZAPFILE_STANDIN_USER32_ERROR_BOX_H
#define ZAPFILE_STANDIN_USER32_ERROR_BOX_H

namespace standin {

struct ErrorBoxNote {
    bool shown = false;  // an error box was shown since the note was last taken
    int unixError = 0;   // the errno value behind the last error when the last one was shown
    bool windowFailed = false;  // a dialog could not be shown
};

// The note since the last call; taking it clears it.
ErrorBoxNote TakeErrorBoxNote();

// The caller names each failure on standard error itself, with its reason: from now on an
// error box that would only be printed there (the terminal and headless backends) is noted
// but not printed.
void CallerNamesFailures();
bool FailuresNamedByCaller();

}  // namespace standin

#endif
