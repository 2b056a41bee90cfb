// win32-linux/ui/gtk/host.cpp
// The program's side of the GTK backend: finds libzapfile-gtk.so beside the program or where
// an installation keeps it, loads it on the first window or box that needs it, and lends it
// the stand-in calls it uses.
#include <dlfcn.h>
#include <unistd.h>

#include "kernel32/module.h"
#include "ui/gtk/gtk_module.h"
#include "user32/user_driver.h"

namespace standin::gtk {
namespace {

struct Loaded {
    bool tried = false;
    bool ok = false;
    std::string reason;
    Module module{};
};

Loaded& State() {
    static Loaded loaded;
    return loaded;
}

void SetTextFromUser(HWND hwnd, const char* text) {
    if (Window* w = FromHandle(hwnd))
        w->text = text != nullptr ? text : "";
}

HICON LoadProgramIcon(int resourceId) {
    return LoadIconA(ProgramInstance(), MAKEINTRESOURCE(resourceId));
}

const Host kHost = {sizeof(Host),    sizeof(Window), FromHandle,      NextTabStop,
                    DefaultButton,   ClickButton,    SendMessageA,    GetDlgItem,
                    SetTextFromUser, IconFromHandle, LoadProgramIcon, IconAtSize,
                    BringOnScreen};

// The folder part of a path, without its last slash; "" for the root and for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Where the module is looked for, in order. First beside the program file, as Windows looks
// for a DLL first in the program's folder: the build folder and a copied folder. Then in
// lib/zapfile/ beside the program's bin/ folder, where an installation keeps it
// (/usr/bin/zapfile, /usr/lib/zapfile/). The program's real path counts, links resolved; the
// library path never does, where another build's module could answer. Empty when the
// program's own path is unknown.
std::vector<std::string> ModulePlaces() {
    char exe[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(ProgramInstance(), exe, sizeof exe);
    const std::string path(exe, n < sizeof exe ? n : 0);
    if (path.find('/') == std::string::npos)
        return {};
    const std::string bin = FolderOf(path);
    return {bin + "/" + kModuleFile, FolderOf(bin) + "/lib/zapfile/" + kModuleFile};
}

void Load(Loaded* s) {
    s->tried = true;
    const std::vector<std::string> places = ModulePlaces();
    if (places.empty()) {
        s->reason = std::string("GTK: cannot find ") + kModuleFile +
                    ": the program's own folder is unknown";
        return;
    }
    std::string path;
    for (const std::string& place : places)
        if (path.empty() && access(place.c_str(), F_OK) == 0)
            path = place;
    if (path.empty()) {
        s->reason = std::string("GTK: the module ") + kModuleFile + " is missing: looked for";
        for (size_t i = 0; i < places.size(); ++i)
            s->reason += (i == 0 ? " " : " and ") + places[i];
        return;
    }
    const std::string prefix = std::string("GTK: cannot load ") + path + ": ";
    // RTLD_LOCAL: GTK's symbols stay out of the program's way.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        s->reason = prefix + dlerror();
        return;
    }
    auto open = reinterpret_cast<OpenFunction>(dlsym(handle, kOpenSymbol));
    if (open == nullptr) {
        s->reason = prefix + "it has no " + kOpenSymbol;
        return;
    }
    char why[256] = "";
    if (!open(&kHost, &s->module, why, sizeof why)) {
        s->reason = std::string("GTK: ") + why;
        return;
    }
    // GTK cannot be unloaded safely once started: the module stays for the process's life.
    s->ok = true;
}

int GtkMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return State().module.messageBox(owner, text, caption, type);
}

bool GtkRunDialog(HWND dlg, std::string* reason) {
    if (State().module.runDialog(dlg))
        return true;
    *reason = "GTK: the window could not be built";
    return false;
}

void GtkWindowChanged(HWND hwnd) { State().module.windowChanged(hwnd); }

void AddPath(void* list, const char* path) {
    static_cast<std::vector<std::string>*>(list)->push_back(path);
}

bool GtkOpenFile(HWND owner, DWORD flags, std::vector<std::string>* paths) {
    return State().module.openFile(owner, flags, AddPath, paths);
}

void SetPath(void* out, const char* path) { *static_cast<std::string*>(out) = path; }

bool GtkSaveFile(HWND owner, std::string* path) {
    const std::string offered = *path;
    return State().module.saveFile(owner, offered.c_str(), SetPath, path);
}

bool GtkChooseFolder(HWND owner, const char* title, std::string* path) {
    return State().module.chooseFolder(owner, title, SetPath, path);
}

bool GtkChooseColor(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed) {
    return State().module.chooseColor(owner, rgb, custom, mixed);
}

bool GtkGetPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    return State().module.getPlacement(hwnd, placement);
}

bool GtkSetPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    return State().module.setPlacement(hwnd, placement);
}

const UiBackend kGtkBackend = {"GTK",           GtkMessageBox,  GtkRunDialog,
                               GtkWindowChanged, GtkOpenFile,    GtkSaveFile,
                               GtkChooseFolder, GtkChooseColor, GtkGetPlacement,
                               GtkSetPlacement};

}  // namespace

const UiBackend* Backend(std::string* reason) {
    Loaded& s = State();
    if (!s.tried)
        Load(&s);
    if (!s.ok)
        *reason = s.reason;
    return s.ok ? &kGtkBackend : nullptr;
}

void* WidgetOf(HWND hwnd) { return State().ok ? State().module.widgetOf(hwnd) : nullptr; }

}  // namespace standin::gtk
