// win32-linux/ui/gtk/module.cpp
// The GTK window backend, built as libzapfile-gtk.so: its one export, which starts GTK and
// hands the program the module's table, and the list of the dialogs it shows.
#include "ui/gtk/gtk_private.h"

#include <cstdio>
#include <cstdlib>

namespace standin::gtk {

const Host* g_host = nullptr;

std::vector<Dialog*>& OpenDialogs() {
    static std::vector<Dialog*> open;
    return open;
}

Dialog* DialogOf(HWND hwnd) {
    const Window* w = g_host->fromHandle(hwnd);
    if (w == nullptr)
        return nullptr;
    const HWND dlg = w->isDialog ? hwnd : w->parent;
    for (Dialog* d : OpenDialogs())
        if (d->hwnd == dlg)
            return d;
    return nullptr;
}

GtkWidget* WidgetFor(const Dialog* d, HWND hwnd) {
    for (const Control& c : d->controls)
        if (c.hwnd == hwnd)
            return c.widget;
    return nullptr;
}

std::string Utf8(const char* text) {
    gchar* valid = g_utf8_make_valid(text != nullptr ? text : "", -1);
    std::string out = valid;
    g_free(valid);
    return out;
}

// The icon's pixels stay loaded for the life of the process; a PNG image is decoded here.
GdkPixbuf* PixbufOf(HICON icon) {
    const IconImage* image = icon != nullptr ? g_host->iconFromHandle(icon) : nullptr;
    if (image == nullptr)
        return nullptr;
    if (image->png.data != nullptr) {
        GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
        const bool written =
            gdk_pixbuf_loader_write(loader, image->png.data, image->png.size, nullptr);
        GdkPixbuf* pixbuf = gdk_pixbuf_loader_close(loader, nullptr) && written
                                ? gdk_pixbuf_loader_get_pixbuf(loader)
                                : nullptr;
        if (pixbuf != nullptr)
            g_object_ref(pixbuf);
        g_object_unref(loader);
        return pixbuf;
    }
    if (image->rgba.empty())
        return nullptr;
    GBytes* bytes = g_bytes_new_static(image->rgba.data(), image->rgba.size());
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_bytes(bytes, GDK_COLORSPACE_RGB, TRUE, 8,
                                                  image->width, image->height, image->width * 4);
    g_bytes_unref(bytes);
    return pixbuf;
}

namespace {

void* WidgetOfWindow(HWND hwnd) {
    Dialog* d = DialogOf(hwnd);
    if (d == nullptr)
        return nullptr;
    return d->hwnd == hwnd ? d->window : WidgetFor(d, hwnd);
}

}  // namespace
}  // namespace standin::gtk

extern "C" __attribute__((visibility("default"))) bool zapfile_gtk_open(
    const standin::gtk::Host* host, standin::gtk::Module* out, char* reason, size_t reasonSize) {
    using namespace standin::gtk;
    if (host == nullptr || host->hostSize != sizeof(Host) ||
        host->windowSize != sizeof(standin::Window)) {
        snprintf(reason, reasonSize, "%s does not match this zapfile (built apart)", kModuleFile);
        return false;
    }
    g_set_prgname("zapfile");
    g_set_application_name("Zapfile");
    if (!gtk_init_check(nullptr, nullptr)) {
        const char* display = getenv("DISPLAY");
        const char* wayland = getenv("WAYLAND_DISPLAY");
        snprintf(reason, reasonSize, "cannot open display %s",
                 display != nullptr && *display != '\0' ? display
                 : wayland != nullptr                  ? wayland
                                                       : "");
        return false;
    }
    g_host = host;
    *out = {MessageBox,   RunDialog,   WindowChanged, WidgetOfWindow, OpenFile,
            SaveFile,     ChooseFolder, ChooseColor,  GetPlacement,  SetPlacement};
    return true;
}
