/* bench/bare_gtk.c
 * A bare GTK 3 program that maps one dialog, a question with Yes and No, and waits for the
 * answer: what showing a window costs at the least. */
#include <gtk/gtk.h>

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* box = gtk_message_dialog_new(NULL, 0, GTK_MESSAGE_OTHER, GTK_BUTTONS_YES_NO,
                                            "Are you sure you want to delete the file:");
    gtk_window_set_title(GTK_WINDOW(box), "Bare GTK");
    return gtk_dialog_run(GTK_DIALOG(box)) == GTK_RESPONSE_YES ? 0 : 1;
}
