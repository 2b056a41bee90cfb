// win32-linux/ui/gtk/chooser_common.cpp
// What the save, folder and colour choosers share.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {

GtkWindow* ChooserParent(HWND owner) {
    const Dialog* parent = DialogOf(owner);
    return parent != nullptr ? GTK_WINDOW(parent->window) : nullptr;
}

// GTK's file choosers add what is chosen to the desktop's recent files unless the setting is
// off; a Windows program's common dialogs tell nobody else.
void KeepOutOfRecentFiles() {
    g_object_set(gtk_settings_get_default(), "gtk-recent-files-enabled", FALSE, nullptr);
}

}  // namespace standin::gtk
