// win32-linux/ui/scripted.cpp
#include "ui/scripted.h"

#include <deque>

#include "ui/backends.h"
#include "user32/user_driver.h"
#include "user32/window_model.h"

namespace standin::scripted {
namespace {

struct Script {
    std::deque<int> answers;
    std::deque<std::function<void(HWND)>> actions;
    std::vector<BoxRecord> boxes;
    std::vector<DialogRecord> dialogs;
    std::deque<std::vector<std::string>> openFiles;
    std::vector<DWORD> openFileFlags;
    std::deque<std::string> saveFiles;
    std::deque<std::string> folders;
    std::deque<std::pair<std::optional<COLORREF>, bool>> colors;
    std::vector<ChooserRecord> choosers;
    RECT workArea = {0, 0, 1024, 768};
};

Script& State() {
    static Script script;
    return script;
}

int ScriptedMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    Script& s = State();
    int answer;
    if (!s.answers.empty()) {
        answer = s.answers.front();
        s.answers.pop_front();
    } else {
        answer = (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    s.boxes.push_back({owner, text, caption, type, answer});
    return answer;
}

bool ScriptedRunDialog(HWND hDlg, std::string* reason) {
    Script& s = State();
    Window* dlg = FromHandle(hDlg);
    dlg->visible = true;
    const Window* focus = FromHandle(dlg->focus);
    s.dialogs.push_back({dlg->text, focus != nullptr ? focus->id : 0, true});
    const size_t record = s.dialogs.size() - 1;
    if (s.actions.empty()) {
        *reason = "scripted: no action for this dialog";
        dlg->visible = false;
        s.dialogs[record].endedByScript = false;
        return false;
    }
    auto action = std::move(s.actions.front());
    s.actions.pop_front();
    action(hDlg);
    if (!dlg->ended) {
        s.dialogs[record].endedByScript = false;
        dlg->ended = true;
        dlg->result = -1;
    }
    dlg->visible = false;
    return true;
}

bool ScriptedOpenFile(HWND, DWORD flags, std::vector<std::string>* paths) {
    Script& s = State();
    s.openFileFlags.push_back(flags);
    if (s.openFiles.empty())
        return false;
    *paths = std::move(s.openFiles.front());
    s.openFiles.pop_front();
    return !paths->empty();
}

// The next scripted path, "" (Cancel) when none is left.
bool NextPath(std::deque<std::string>* queue, std::string* path) {
    if (queue->empty())
        return false;
    *path = std::move(queue->front());
    queue->pop_front();
    return !path->empty();
}

bool ScriptedSaveFile(HWND owner, std::string* path) {
    State().choosers.push_back({"save", owner, *path, 0, {}});
    return NextPath(&State().saveFiles, path);
}

bool ScriptedChooseFolder(HWND owner, const char* title, std::string* path) {
    State().choosers.push_back({"folder", owner, title, 0, {}});
    return NextPath(&State().folders, path);
}

bool ScriptedChooseColor(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed) {
    Script& s = State();
    s.choosers.push_back({"colour", owner, "", *rgb, std::vector<COLORREF>(custom, custom + 16)});
    if (s.colors.empty())
        return false;
    const auto [chosen, made] = s.colors.front();
    s.colors.pop_front();
    if (!chosen)
        return false;
    *rgb = *chosen;
    *mixed = made;
    return true;
}

// The model keeps the placement; the screen only moves what lies off it.
bool ScriptedGetPlacement(HWND, WINDOWPLACEMENT*) { return false; }

bool ScriptedSetPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    Window* w = FromHandle(hwnd);
    w->placement.rcNormalPosition =
        BringOnScreen(placement->rcNormalPosition, {State().workArea});
    return true;
}

}  // namespace

void Install() {
    State() = Script{};
    OverrideBackend(&kScriptedBackend);
}

void Uninstall() {
    State() = Script{};
    OverrideBackend(nullptr);
}

void PushAnswer(int answer) { State().answers.push_back(answer); }

void PushDialogAction(std::function<void(HWND)> action) {
    State().actions.push_back(std::move(action));
}

void PushOpenFile(std::vector<std::string> paths) {
    State().openFiles.push_back(std::move(paths));
}

const std::vector<DWORD>& OpenFileFlags() { return State().openFileFlags; }

void PushSaveFile(std::string path) { State().saveFiles.push_back(std::move(path)); }
void PushFolder(std::string path) { State().folders.push_back(std::move(path)); }
void PushColor(std::optional<COLORREF> rgb, bool mixed) { State().colors.push_back({rgb, mixed}); }
const std::vector<ChooserRecord>& Choosers() { return State().choosers; }
void SetWorkArea(RECT area) { State().workArea = area; }

const std::vector<BoxRecord>& Boxes() { return State().boxes; }
const std::vector<DialogRecord>& Dialogs() { return State().dialogs; }

}  // namespace standin::scripted

namespace standin {
const UiBackend kScriptedBackend = {
    "scripted",          scripted::ScriptedMessageBox,   scripted::ScriptedRunDialog,
    nullptr,             scripted::ScriptedOpenFile,     scripted::ScriptedSaveFile,
    scripted::ScriptedChooseFolder, scripted::ScriptedChooseColor,
    scripted::ScriptedGetPlacement, scripted::ScriptedSetPlacement};
}
