// tests/gtk/window_test.cpp
// Dialogs and boxes shown by libzapfile-gtk.so in this process, on a virtual display, read
// back from the realised widgets.
#include <windows.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <glib/gstdio.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "display.h"
#include "resource.h"
#include "ui_gtk.h"
#include "window_model.h"

namespace {

using Body = std::function<void(HWND dlg)>;
struct Pending {
    HWND dlg;
    Body body;
    int tries = 0;
};
std::vector<WPARAM> g_commands;  // every WM_COMMAND the dialogs received

GtkWidget* Widget(HWND hwnd) { return static_cast<GtkWidget*>(standin::gtk::WidgetOf(hwnd)); }
int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

// Runs the test's body once the dialog is on screen (for at most 5 s), then ends the dialog.
gboolean WhenShown(gpointer data) {
    auto* p = static_cast<Pending*>(data);
    GdkWindow* gdk = Widget(p->dlg) != nullptr ? gtk_widget_get_window(Widget(p->dlg)) : nullptr;
    const bool shown = gdk != nullptr && gdk_window_is_viewable(gdk);
    if (!shown && ++p->tries < 250)
        return G_SOURCE_CONTINUE;
    EXPECT_TRUE(shown) << "the dialog did not appear within 5 s";
    if (shown)
        p->body(p->dlg);
    if (!standin::FromHandle(p->dlg)->ended)
        EndDialog(p->dlg, -2);
    delete p;
    return G_SOURCE_REMOVE;
}

INT_PTR CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP))));
        g_timeout_add(20, WhenShown, new Pending{hwnd, *reinterpret_cast<Body*>(lParam)});
    } else if (msg == WM_COMMAND) {
        g_commands.push_back(wParam);
        if (wParam == IDOK || wParam == IDCANCEL)
            EndDialog(hwnd, static_cast<INT_PTR>(wParam));
    }
    return msg == WM_INITDIALOG || msg == WM_COMMAND;
}

INT_PTR Show(int id, HWND owner, Body body) {
    return DialogBoxParamA(nullptr, MAKEINTRESOURCE(id), owner, TestProc,
                           reinterpret_cast<LPARAM>(&body));
}

// A key press or a close request (GDK_DELETE) as the X server and its window manager send them.
void Send(GtkWidget* window, GdkEventType type, guint keyval = 0) {
    GdkEvent* event = gdk_event_new(type);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    if (type == GDK_KEY_PRESS) {
        GdkDisplay* display = gdk_display_get_default();
        event->key.keyval = keyval;
        GdkKeymapKey* keys = nullptr;
        gint n = 0;  // key bindings match on the key code
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &n))
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        g_free(keys);
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    }
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// The client area and each control have their template rectangles, turned into pixels with
// the base units of the font the widgets draw with, measured here on their own.
void ExpectTemplateRects(HWND dlg) {
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(Widget(dlg)));
    PangoContext* context = gtk_widget_get_pango_context(Widget(standin::FromHandle(dlg)->controls[0]));
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int letters = 0;
    pango_layout_get_pixel_size(layout, &letters, nullptr);
    g_object_unref(layout);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    const int x = (letters + 26) / 52, y = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) +
                                                        pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    if (standin::FromHandle(dlg)->style & DS_CENTER) {  // the main window: its client area too
        EXPECT_EQ(MulDiv(standin::FromHandle(dlg)->cx, x, 4), gtk_widget_get_allocated_width(client));
        EXPECT_EQ(MulDiv(standin::FromHandle(dlg)->cy, y, 8), gtk_widget_get_allocated_height(client));
    }
    for (HWND hwnd : standin::FromHandle(dlg)->controls) {
        const standin::Window* c = standin::FromHandle(hwnd);
        GtkWidget* w = Widget(hwnd);
        int cx = -1, cy = -1;
        gtk_widget_translate_coordinates(w, client, 0, 0, &cx, &cy);
        EXPECT_EQ(MulDiv(c->x, x, 4), cx) << c->text;
        EXPECT_EQ(MulDiv(c->y, y, 8), cy) << c->text;
        EXPECT_EQ(MulDiv(c->cx, x, 4), gtk_widget_get_allocated_width(w)) << c->text;
        EXPECT_EQ(MulDiv(c->cy, y, 8), gtk_widget_get_allocated_height(w)) << c->text;
    }
}

class GtkWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = new testdisplay::VirtualDisplay;
        setenv("DISPLAY", display->name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus on a virtual display
        setenv("GSETTINGS_BACKEND", "memory", 1);  // the file chooser keeps its settings here
    }
    static void TearDownTestSuite() { delete display; }
    void SetUp() override { ASSERT_NE("", display->name()) << "Xvfb did not start within 10 s"; }
    static testdisplay::VirtualDisplay* display;
};
testdisplay::VirtualDisplay* GtkWindowTest::display = nullptr;

TEST_F(GtkWindowTest, DialogsStandWhereTheirTemplatesSayAndFollowTheModel) {
    Show(IDD_MAIN, nullptr, [](HWND dlg) {
        GtkWidget* window = Widget(dlg);
        gchar* font = pango_font_description_to_string(
            pango_context_get_font_description(gtk_widget_get_pango_context(window)));
        EXPECT_STREQ("DejaVu Sans 8", font);
        g_free(font);
        ExpectTemplateRects(dlg);
        int x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
        EXPECT_NEAR((1024 - gtk_widget_get_allocated_width(window)) / 2, x, 1);
        EXPECT_NEAR((768 - gtk_widget_get_allocated_height(window)) / 2, y, 1);
        EXPECT_STREQ("Ko Zapfile", gtk_window_get_title(GTK_WINDOW(window)));
        GdkPixbuf* icon = gtk_window_get_icon(GTK_WINDOW(window));
        EXPECT_EQ(32, icon != nullptr ? gdk_pixbuf_get_width(icon) : 0);
        EXPECT_EQ(Widget(GetDlgItem(dlg, IDC_BROWSE)), gtk_window_get_focus(GTK_WINDOW(window)));

        HWND path = GetDlgItem(dlg, IDC_PATH);
        GtkEntry* entry = GTK_ENTRY(Widget(path));
        g_commands.clear();
        SetWindowTextA(path, "/tmp/set");
        EXPECT_STREQ("/tmp/set", gtk_entry_get_text(entry));
        EXPECT_TRUE(g_commands.empty()) << "the program's own change is no user's edit";
        int at = 4;
        gtk_editable_insert_text(GTK_EDITABLE(entry), "/typed", -1, &at);
        char text[64];
        GetWindowTextA(path, text, sizeof text);
        EXPECT_STREQ("/tmp/typed/set", text);
        EXPECT_EQ(MAKEWPARAM(IDC_PATH, 0x0300), g_commands.back());  // EN_CHANGE

        // An owned dialog stands at its template position, 0, 0, in its owner's client area.
        gdk_window_get_origin(gtk_widget_get_window(gtk_bin_get_child(GTK_BIN(window))), &x, &y);
        Show(IDD_IEEXT, dlg, [&](HWND owned) {
            EXPECT_EQ(GTK_WINDOW(window), gtk_window_get_transient_for(GTK_WINDOW(Widget(owned))));
            EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(Widget(owned))));
            int ox = -1, oy = -1;
            gdk_window_get_origin(gtk_widget_get_window(Widget(owned)), &ox, &oy);
            EXPECT_EQ(x, ox);
            EXPECT_EQ(y, oy);
            ExpectTemplateRects(owned);
            HWND box = GetDlgItem(owned, IDC_NOASK);
            gtk_button_clicked(GTK_BUTTON(Widget(box)));
            EXPECT_EQ(BST_CHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
            EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Widget(box))));
            EXPECT_EQ(MAKEWPARAM(IDC_NOASK, BN_CLICKED), g_commands.back());
        });
    });
}

TEST_F(GtkWindowTest, EscapeAndTheCloseBoxCancelAndEnterInTheFieldIsOk) {
    EXPECT_EQ(IDCANCEL, Show(IDD_MAIN, nullptr, [](HWND dlg) {
                  Send(Widget(dlg), GDK_KEY_PRESS, GDK_KEY_Escape);
              }));
    EXPECT_EQ(IDCANCEL, Show(IDD_MAIN, nullptr, [](HWND dlg) { Send(Widget(dlg), GDK_DELETE); }));
    EXPECT_EQ(IDOK, Show(IDD_MAIN, nullptr, [](HWND dlg) {
                  gtk_widget_grab_focus(Widget(GetDlgItem(dlg, IDC_PATH)));
                  Send(Widget(dlg), GDK_KEY_PRESS, GDK_KEY_Return);
              }));
}

// Escape is sent to each box once it shows, and 200 ms later its button is clicked if it is
// still there: a question must wait for its answer, an OK box takes Escape as OK.
struct BoxCase {
    UINT type;
    const char* title;
    int answer;  // IDOK: the box takes Escape, and has a close box
    bool escaped = false;
    bool clicked = false;
};

gboolean AnswerBox(gpointer data) {
    auto* c = static_cast<BoxCase*>(data);
    GtkWidget* box = gtk_grab_get_current();  // the modal box
    if (!GTK_IS_DIALOG(box))
        return c->escaped ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    if (c->escaped) {
        c->clicked = true;
        gtk_button_clicked(
            GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), c->answer)));
        return G_SOURCE_REMOVE;
    }
    EXPECT_STREQ(c->title, gtk_window_get_title(GTK_WINDOW(box)));
    EXPECT_NE(nullptr, gtk_window_get_transient_for(GTK_WINDOW(box)));
    EXPECT_EQ(c->answer == IDOK, gtk_window_get_deletable(GTK_WINDOW(box)));
    Send(box, GDK_KEY_PRESS, GDK_KEY_Escape);
    c->escaped = true;
    return G_SOURCE_CONTINUE;
}

TEST_F(GtkWindowTest, MessageBoxesAreOwnedAndOnlyAnOkBoxTakesEscape) {
    Show(IDD_MAIN, nullptr, [](HWND dlg) {
        static BoxCase cases[] = {{MB_YESNO, "Cofirm", IDYES},
                                  {MB_ICONERROR, "Error.", IDOK}};  // outlive the timers
        for (BoxCase& c : cases) {
            g_timeout_add(200, AnswerBox, &c);
            EXPECT_EQ(c.answer, MessageBoxA(dlg, "Text", c.title, c.type)) << c.title;
            EXPECT_EQ(c.answer == IDOK, !c.clicked) << c.title << ": Escape";
        }
    });
}

// The open-file dialog: once it shows, its owner and mode are checked, then `path` is chosen
// (when it is not empty) and Open pressed, or Cancel.
struct ChooserCase {
    GtkWidget* owner;
    bool multiple;
    std::string path;
    int tries = 0;
};

gboolean AnswerChooser(gpointer data) {
    auto* c = static_cast<ChooserCase*>(data);
    GtkWidget* chooser = gtk_grab_get_current();
    if (!GTK_IS_FILE_CHOOSER_DIALOG(chooser))
        return ++c->tries < 250 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    if (c->tries >= 0) {  // the first look at it
        EXPECT_EQ(GTK_WINDOW(c->owner), gtk_window_get_transient_for(GTK_WINDOW(chooser)));
        EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(chooser)));
        EXPECT_EQ(c->multiple, gtk_file_chooser_get_select_multiple(GTK_FILE_CHOOSER(chooser)));
        if (!c->path.empty())
            gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), c->path.c_str());
        c->tries = -1;
    }
    gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    const bool ready = chosen != nullptr && c->path == chosen;
    g_free(chosen);
    if (!c->path.empty() && !ready && --c->tries > -250)
        return G_SOURCE_CONTINUE;  // the folder is still being read
    gtk_dialog_response(GTK_DIALOG(chooser),
                        c->path.empty() ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_ACCEPT);
    return G_SOURCE_REMOVE;
}

TEST_F(GtkWindowTest, OpenFileDialogIsModalToItsOwnerAndGivesThePath) {
    gchar* folder = g_dir_make_tmp("zapfile-chooser-XXXXXX", nullptr);
    ASSERT_NE(nullptr, folder);
    const std::string path = std::string(folder) + "/chosen file.txt";
    ASSERT_TRUE(g_file_set_contents(path.c_str(), "x", -1, nullptr));
    Show(IDD_MAIN, nullptr, [&](HWND dlg) {
        const std::string list = path + '\0';
        for (bool multiple : {false, true}) {
            for (const std::string& answer : {path, std::string()}) {
                static ChooserCase c;  // outlives the timer
                c = {Widget(dlg), multiple, answer};
                g_timeout_add(20, AnswerChooser, &c);
                char buffer[512];
                memset(buffer, '#', sizeof buffer);
                OPENFILENAMEA ofn{};
                ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
                ofn.hwndOwner = dlg;
                ofn.lpstrFile = buffer;
                ofn.nMaxFile = sizeof buffer;
                ofn.Flags = OFN_EXPLORER | (multiple ? OFN_ALLOWMULTISELECT : 0);
                EXPECT_EQ(answer.empty() ? FALSE : TRUE, GetOpenFileNameA(&ofn)) << multiple;
                EXPECT_EQ(answer.empty() ? std::string(2, '#') : list + '\0',
                          std::string(buffer, answer.empty() ? 2 : list.size() + 1));
            }
        }
    });
    g_unlink(path.c_str());
    g_rmdir(folder);
    g_free(folder);
}

}  // namespace
