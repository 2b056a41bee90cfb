// win32-linux/ui/gtk/message_box.cpp
// MessageBoxA's box, modal to its owner.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {
namespace {

// What closing a box without a button answers; 0 where it cannot be closed that way.
struct BoxClose {
    int answer;
};

gboolean OnBoxDelete(GtkWidget*, GdkEvent*, gpointer data) {
    // A question has to be answered: its box has no close box and ignores Escape.
    return static_cast<BoxClose*>(data)->answer == 0;
}

}  // namespace

// A message box, modal to its owner: the text (line breaks kept) beside the error icon when
// asked for, and the buttons of MB_OK, MB_OKCANCEL or MB_YESNO.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    const Dialog* parent = DialogOf(owner);
    GtkWidget* box = GTK_WIDGET(g_object_new(GTK_TYPE_DIALOG, "use-header-bar", FALSE, nullptr));
    GtkWindow* window = GTK_WINDOW(box);
    gtk_window_set_title(window, Utf8(caption).c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    if (parent != nullptr) {
        gtk_window_set_transient_for(window, GTK_WINDOW(parent->window));
        gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    }

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(row), 12);
    if ((type & MB_ICONMASK) == MB_ICONERROR) {
        GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
        gtk_widget_set_valign(icon, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
    }
    GtkWidget* label = gtk_label_new(Utf8(text).c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    // A path broken inside a name is shown as it is: Pango would draw a hyphen at the break,
    // which cannot be told from one in the name.
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
    gtk_label_set_attributes(GTK_LABEL(label), attributes);
    pango_attr_list_unref(attributes);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(box))), row, TRUE, TRUE, 0);

    const UINT buttons = type & MB_TYPEMASK;
    BoxClose close{IDOK};
    GtkWidget* first = nullptr;
    if (buttons == MB_YESNO) {
        first = gtk_dialog_add_button(GTK_DIALOG(box), "_Yes", IDYES);
        gtk_dialog_add_button(GTK_DIALOG(box), "_No", IDNO);
        close.answer = 0;
        gtk_window_set_deletable(window, FALSE);
    } else if (buttons == MB_OKCANCEL) {
        first = gtk_dialog_add_button(GTK_DIALOG(box), "_OK", IDOK);
        gtk_dialog_add_button(GTK_DIALOG(box), "_Cancel", IDCANCEL);
        close.answer = IDCANCEL;
    } else {
        first = gtk_dialog_add_button(GTK_DIALOG(box), "_OK", IDOK);
    }
    // The first button is the default one and has the focus, as MB_DEFBUTTON1 gives.
    gtk_widget_set_can_default(first, TRUE);
    gtk_widget_grab_default(first);
    gtk_widget_grab_focus(first);
    g_signal_connect(box, "delete-event", G_CALLBACK(OnBoxDelete), &close);
    gtk_widget_show_all(row);

    // Escape makes GtkDialog answer "closed" even where the close was refused: a question
    // just goes on waiting for its answer.
    int response;
    do
        response = gtk_dialog_run(GTK_DIALOG(box));
    while (response == GTK_RESPONSE_DELETE_EVENT && close.answer == 0);
    gtk_widget_destroy(box);
    gdk_display_flush(gdk_display_get_default());
    if (response == IDOK || response == IDCANCEL || response == IDYES || response == IDNO)
        return response;
    // Closed without a button (or destroyed): what closing means, and No for a question.
    return close.answer != 0 ? close.answer : IDNO;
}

}  // namespace standin::gtk
