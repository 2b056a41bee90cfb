// win32-linux/ui/gtk/file_chooser.cpp
// The common dialogs' choosers, as GTK's own, modal to the dialog that owns them.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {

// The open-file dialog, modal to the dialog that owns it. Only local files can be chosen:
// their paths are what the program is given.
bool OpenFile(HWND owner, DWORD flags, void (*add)(void* list, const char* path), void* list) {
    NeverWriteRecentFiles();
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        "Open", ChooserParent(owner),
        GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL, "_Open",
        GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
    // It opens in the current folder, as the Windows dialog does without an initial folder.
    gchar* here = g_get_current_dir();
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), here);
    g_free(here);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser),
                                         (flags & OFN_ALLOWMULTISELECT) != 0);
    const bool chosen = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT;
    if (chosen) {
        GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        for (GSList* f = files; f != nullptr; f = f->next)
            add(list, static_cast<const char*>(f->data));
        g_slist_free_full(files, g_free);
    }
    gtk_widget_destroy(chooser);
    gdk_display_flush(gdk_display_get_default());
    return chosen;
}

}  // namespace standin::gtk
