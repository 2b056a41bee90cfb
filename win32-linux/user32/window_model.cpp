// win32-linux/user32/window_model.cpp
#include "user32/window_model.h"

#include <algorithm>
#include <memory>

#include "user32/user_driver.h"

namespace standin {
namespace {

std::vector<std::unique_ptr<Window>>& AllWindows() {
    static std::vector<std::unique_ptr<Window>> windows;
    return windows;
}

HWND ToHandle(Window* w) { return reinterpret_cast<HWND>(w); }

// The class of a control as user32 names it: predefined classes are written as ordinals.
std::string ItemClassName(const DialogItem& item) {
    if (item.windowClass.isOrdinal) {
        switch (item.windowClass.ordinal) {
        case 0x80: return "button";
        case 0x81: return "edit";
        case 0x82: return "static";
        case 0x83: return "listbox";
        case 0x84: return "scrollbar";
        case 0x85: return "combobox";
        default: return "#" + std::to_string(item.windowClass.ordinal);
        }
    }
    std::string name = item.windowClass.text;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

bool IsTabStop(const Window* w) {
    return (w->style & WS_TABSTOP) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

}  // namespace

Window* FromHandle(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    for (auto& w : AllWindows())
        if (ToHandle(w.get()) == hwnd)
            return w.get();
    return nullptr;
}

HWND CreateDialogWindow(const DialogTemplate& layout, HWND owner, DLGPROC proc) {
    auto dlg = std::make_unique<Window>();
    dlg->isDialog = true;
    dlg->parent = owner;
    dlg->className = "#32770";
    dlg->text = layout.title;
    dlg->style = layout.style;
    dlg->exStyle = layout.exStyle;
    dlg->x = layout.x;
    dlg->y = layout.y;
    dlg->cx = layout.cx;
    dlg->cy = layout.cy;
    dlg->layout = &layout;
    dlg->proc = proc;
    HWND hDlg = ToHandle(dlg.get());
    for (const DialogItem& item : layout.items) {
        auto ctl = std::make_unique<Window>();
        ctl->parent = hDlg;
        ctl->id = item.id;
        ctl->className = ItemClassName(item);
        if (item.text.isOrdinal)
            ctl->iconId = item.text.ordinal;
        else
            ctl->text = item.text.text;
        ctl->style = item.style;
        ctl->exStyle = item.exStyle;
        ctl->description = item.description;
        ctl->x = item.x;
        ctl->y = item.y;
        ctl->cx = item.cx;
        ctl->cy = item.cy;
        dlg->controls.push_back(ToHandle(ctl.get()));
        AllWindows().push_back(std::move(ctl));
    }
    AllWindows().push_back(std::move(dlg));
    return hDlg;
}

void DestroyDialogWindow(HWND hDlg) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr)
        return;
    std::vector<HWND> gone = dlg->controls;
    gone.push_back(hDlg);
    auto& all = AllWindows();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const std::unique_ptr<Window>& w) {
                                 return std::find(gone.begin(), gone.end(), ToHandle(w.get())) !=
                                        gone.end();
                             }),
              all.end());
}

HWND FirstTabStop(HWND hDlg) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr)
        return nullptr;
    for (HWND c : dlg->controls)
        if (IsTabStop(FromHandle(c)))
            return c;
    return nullptr;
}

HWND NextTabStop(HWND hDlg, HWND from, bool previous) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr || dlg->controls.empty())
        return nullptr;
    const auto& c = dlg->controls;
    const int n = static_cast<int>(c.size());
    int start = static_cast<int>(std::find(c.begin(), c.end(), from) - c.begin());
    if (start == n)
        start = previous ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        const int i = ((start + (previous ? -step : step)) % n + n) % n;
        if (IsTabStop(FromHandle(c[i])))
            return c[i];
    }
    return nullptr;
}

HWND DefaultButton(HWND hDlg) {
    Window* dlg = FromHandle(hDlg);
    if (dlg == nullptr)
        return nullptr;
    for (HWND c : dlg->controls) {
        const Window* w = FromHandle(c);
        if (w->className == "button" && (w->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return c;
    }
    return nullptr;
}

std::vector<HWND>& RunningDialogs() {
    static std::vector<HWND> running;
    return running;
}

void ClickButton(HWND button) {
    Window* w = FromHandle(button);
    if (w == nullptr || w->className != "button" || (w->style & WS_DISABLED))
        return;
    if ((w->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        Window* dlg = FromHandle(w->parent);
        if (dlg != nullptr && dlg->backend != nullptr && dlg->backend->windowChanged != nullptr)
            dlg->backend->windowChanged(button);
    }
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(w->id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

}  // namespace standin
