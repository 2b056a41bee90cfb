// win32-linux/ui/gtk/folder_chooser.cpp
// The folder browser as GTK's folder chooser, modal to the dialog that owns it and opening in
// the current folder. As on Windows, the window is titled "Browse For Folder" and the text the
// program gives (its instruction) stands inside, above the folders.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {

bool ChooseFolder(HWND owner, const char* title, void (*set)(void* out, const char* path),
                  void* out) {
    NeverWriteRecentFiles();
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        "Browse For Folder", ChooserParent(owner), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
        "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_ACCEPT, nullptr);
    if (title != nullptr && *title != '\0') {
        GtkWidget* text = gtk_label_new(Utf8(title).c_str());
        gtk_label_set_xalign(GTK_LABEL(text), 0.0f);
        gtk_label_set_line_wrap(GTK_LABEL(text), TRUE);
        gtk_widget_set_margin_start(text, 6);
        gtk_widget_set_margin_end(text, 6);
        gtk_widget_set_margin_top(text, 6);
        GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(chooser));
        gtk_box_pack_start(GTK_BOX(content), text, FALSE, FALSE, 0);
        gtk_box_reorder_child(GTK_BOX(content), text, 0);
        gtk_widget_show(text);
    }
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
