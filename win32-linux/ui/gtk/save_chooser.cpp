// win32-linux/ui/gtk/save_chooser.cpp
// The save-file dialog as GTK's save chooser, modal to the dialog that owns it. It asks no
// question of its own: the common dialog asks before a file is replaced.
#include "ui/gtk/gtk_private.h"

#include <string>

namespace standin::gtk {

bool SaveFile(HWND owner, const char* offered, void (*set)(void* out, const char* path),
              void* out) {
    NeverWriteRecentFiles();
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        "Save As", ChooserParent(owner), GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
        GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(files, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(files, FALSE);
    // The name offered: a full path opens in its folder, a bare name (or none) in the current
    // folder, as the Windows dialog does without an initial folder.
    const std::string name = offered != nullptr ? offered : "";
    const size_t slash = name.rfind('/');
    gchar* here = g_get_current_dir();
    const std::string folder = slash == std::string::npos ? here
                               : slash == 0               ? "/"
                                                          : name.substr(0, slash);
    g_free(here);
    gtk_file_chooser_set_current_folder(files, folder.c_str());
    gtk_file_chooser_set_current_name(
        files, Utf8(name.substr(slash == std::string::npos ? 0 : slash + 1).c_str()).c_str());
    return RunForOnePath(chooser, set, out);
}

}  // namespace standin::gtk
