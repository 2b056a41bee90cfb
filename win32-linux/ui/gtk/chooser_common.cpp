// win32-linux/ui/gtk/chooser_common.cpp
// What the open, save, folder and colour choosers share.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {

GtkWindow* ChooserParent(HWND owner) {
    const Dialog* parent = DialogOf(owner);
    return parent != nullptr ? GTK_WINDOW(parent->window) : nullptr;
}

// GTK's file choosers record each chosen file in the desktop's recent files, where the names
// of files chosen to be destroyed would stay; a Windows program's common dialogs tell nobody
// else. This process never writes that list: the recent manager's "changed" handler, which
// writes it, does nothing here, and the list on disk stays as the user's other programs left
// it. (Turning recent files off in the settings instead makes GTK write the list empty.)
void NeverWriteRecentFiles() {
    auto* recent = static_cast<GtkRecentManagerClass*>(g_type_class_ref(GTK_TYPE_RECENT_MANAGER));
    recent->changed = [](GtkRecentManager*) {};
}

bool RunForOnePath(GtkWidget* chooser, void (*set)(void* out, const char* path), void* out) {
    const bool chosen = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT;
    gchar* path = chosen ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)) : nullptr;
    if (path != nullptr)
        set(out, path);
    g_free(path);
    gtk_widget_destroy(chooser);
    gdk_display_flush(gdk_display_get_default());
    return path != nullptr;
}

}  // namespace standin::gtk
