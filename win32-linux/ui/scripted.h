// win32-linux/ui/scripted.h
// The scripted backend, for tests: message boxes take their answers from a queue, each shown
// dialog runs the next scripted action, and every box and dialog is recorded.
#ifndef ZAPFILE_STANDIN_UI_SCRIPTED_H
#define ZAPFILE_STANDIN_UI_SCRIPTED_H

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace standin::scripted {

struct BoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    int answer;
};

struct DialogRecord {
    std::string caption;
    int focusId;        // the control focused when the dialog appeared (0: none)
    bool endedByScript; // false when the script left the dialog open and the backend closed it
};

// Makes the scripted backend answer every box and dialog, and forgets earlier records.
void Install();
// Restores the automatic choice of backend.
void Uninstall();

// The answer to the next message box. Without one, a question is answered No.
void PushAnswer(int answer);
// What the user does in the next dialog shown. The action should end the dialog (with a
// command, a click or EndDialog); if it does not, the backend ends it with -1.
void PushDialogAction(std::function<void(HWND dlg)> action);

// The answer to the next open-file dialog: the chosen files' full paths; none is Cancel.
// Without one, the dialog is cancelled.
void PushOpenFile(std::vector<std::string> paths);
// The flags of every open-file dialog shown.
const std::vector<DWORD>& OpenFileFlags();

// The answers to the next save-file and folder choosers: the chosen full path; "" is Cancel.
// Without one, the chooser is cancelled.
void PushSaveFile(std::string path);
void PushFolder(std::string path);
// The answer to the next colour chooser: the colour confirmed, and whether it was made in the
// editor rather than taken from the palettes; no colour is Cancel. Without one, cancelled.
void PushColor(std::optional<COLORREF> rgb, bool mixed = false);

// What each chooser was shown with: the name offered (save), the title (folder), or the
// colour selected first and the custom colours offered (colour).
struct ChooserRecord {
    std::string kind;  // "save", "folder" or "colour"
    HWND owner;
    std::string text;
    COLORREF rgb;
    std::vector<COLORREF> custom;
};
const std::vector<ChooserRecord>& Choosers();

// The screen's work area for the windows it shows; a placement put onto a shown window is
// brought onto it. 1024 x 768 at 0, 0 unless set.
void SetWorkArea(RECT area);

const std::vector<BoxRecord>& Boxes();
const std::vector<DialogRecord>& Dialogs();

}  // namespace standin::scripted

#endif
