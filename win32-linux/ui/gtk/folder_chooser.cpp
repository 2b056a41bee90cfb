// win32-linux/ui/gtk/folder_chooser.cpp
// The folder browser as GTK's folder chooser, modal to the dialog that owns it, titled with
// the text the program gives, and opening in the current folder.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {

bool ChooseFolder(HWND owner, const char* title, void (*set)(void* out, const char* path),
                  void* out) {
    NeverWriteRecentFiles();
    const std::string caption = title != nullptr && *title != '\0' ? Utf8(title) : "Browse for Folder";
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        caption.c_str(), ChooserParent(owner), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
        GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(files, TRUE);
    gtk_file_chooser_set_create_folders(files, FALSE);
    gchar* here = g_get_current_dir();
    gtk_file_chooser_set_current_folder(files, here);
    g_free(here);
    return RunForOnePath(chooser, set, out);
}

}  // namespace standin::gtk
