// tests/gtk/window_test.cpp
// Dialogs and boxes shown by libzapfile-gtk.so in this process, on a virtual display: where
// the realised widgets stand, measured against the templates, and how widgets and window
// model follow each other.
#include <windows.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "display.h"
#include "resource.h"
#include "ui_gtk.h"
#include "window_model.h"

namespace {

using Body = std::function<void(HWND dlg)>;

std::vector<WPARAM> g_commands;  // every WM_COMMAND the dialogs received

GtkWidget* Widget(HWND hwnd) { return static_cast<GtkWidget*>(standin::gtk::WidgetOf(hwnd)); }

struct Pending {
    HWND dlg;
    Body body;
    int tries = 0;
};

// Runs the test's body once the dialog is on screen, then ends the dialog if the body did not.
gboolean WhenShown(gpointer data) {
    auto* p = static_cast<Pending*>(data);
    GtkWidget* window = Widget(p->dlg);
    GdkWindow* gdk = window != nullptr ? gtk_widget_get_window(window) : nullptr;
    if ((gdk == nullptr || !gdk_window_is_viewable(gdk)) && ++p->tries < 250)
        return G_SOURCE_CONTINUE;
    if (gdk == nullptr || !gdk_window_is_viewable(gdk))
        ADD_FAILURE() << "the dialog did not appear within 5 s";
    else
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
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        g_commands.push_back(wParam);
        if (wParam == IDOK || wParam == IDCANCEL)
            EndDialog(hwnd, static_cast<INT_PTR>(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR Show(int id, HWND owner, Body body) {
    return DialogBoxParamA(nullptr, MAKEINTRESOURCE(id), owner, TestProc,
                           reinterpret_cast<LPARAM>(&body));
}

// Lets the main loop deliver what is queued (a close request comes from it) until the
// dialog has ended, for at most 2 s.
void RunUntilEnded(HWND dlg) {
    for (int i = 0; i < 200 && !standin::FromHandle(dlg)->ended; ++i) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(10000);
    }
}

int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

// A key pressed on a window, delivered as GTK delivers the X server's.
void Press(GtkWidget* window, guint keyval) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = keyval;
    gdk_event_set_device(event, gdk_seat_get_keyboard(
                                    gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// Where a widget stands in its dialog's client area, and its size.
GdkRectangle RectInClient(GtkWidget* widget) {
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(gtk_widget_get_toplevel(widget)));
    GdkRectangle r = {0, 0, gtk_widget_get_allocated_width(widget),
                      gtk_widget_get_allocated_height(widget)};
    gtk_widget_translate_coordinates(widget, client, 0, 0, &r.x, &r.y);
    return r;
}

GtkWidget* Find(GtkWidget* widget, const std::function<bool(GtkWidget*)>& match) {
    if (match(widget))
        return widget;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c != nullptr && found == nullptr; c = c->next)
            found = Find(GTK_WIDGET(c->data), match);
        g_list_free(children);
    }
    return found;
}

GtkWidget* FindLabel(GtkWidget* widget, const char* text) {
    return Find(widget, [&](GtkWidget* w) {
        return GTK_IS_LABEL(w) && strcmp(gtk_label_get_label(GTK_LABEL(w)), text) == 0;
    });
}

// The base units of the font a widget really draws with, measured here on their own: the
// average width of the 52 letters, rounded, and the font's height.
struct BaseUnits {
    int x;
    int y;
};
BaseUnits MeasureBaseUnits(GtkWidget* widget) {
    PangoContext* context = gtk_widget_get_pango_context(widget);
    const PangoFontDescription* font = pango_context_get_font_description(context);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int letters = 0;
    pango_layout_get_pixel_size(layout, &letters, nullptr);
    g_object_unref(layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    const BaseUnits units = {(letters + 26) / 52,
                             PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) +
                                          pango_font_metrics_get_descent(metrics))};
    pango_font_metrics_unref(metrics);
    return units;
}

// Each control stands at its template rectangle, turned into pixels.
void ExpectTemplateRects(HWND dlg, BaseUnits units) {
    for (HWND hwnd : standin::FromHandle(dlg)->controls) {
        const standin::Window* c = standin::FromHandle(hwnd);
        if (c->iconId != 0)
            continue;  // an icon static takes its icon's size
        const GdkRectangle r = RectInClient(Widget(hwnd));
        SCOPED_TRACE("control \"" + c->text + "\"");
        EXPECT_EQ(MulDiv(c->x, units.x, 4), r.x);
        EXPECT_EQ(MulDiv(c->y, units.y, 8), r.y);
        EXPECT_EQ(MulDiv(c->cx, units.x, 4), r.width);
        EXPECT_EQ(MulDiv(c->cy, units.y, 8), r.height);
    }
}

GtkWindow* FindBox(const char* title) {
    GtkWindow* box = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w != nullptr; w = w->next)
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data)) &&
            g_strcmp0(gtk_window_get_title(GTK_WINDOW(w->data)), title) == 0)
            box = GTK_WINDOW(w->data);
    g_list_free(all);
    return box;
}

class GtkWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = new testdisplay::VirtualDisplay;
        setenv("DISPLAY", display->name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus on a virtual display
    }
    static void TearDownTestSuite() { delete display; }
    void SetUp() override {
        ASSERT_NE("", display->name()) << "Xvfb did not start within 10 s";
        g_commands.clear();
    }
    static testdisplay::VirtualDisplay* display;
};
testdisplay::VirtualDisplay* GtkWindowTest::display = nullptr;

TEST_F(GtkWindowTest, MainWindowIsLaidOutFromItsTemplateAndFollowsTheModel) {
    Show(IDD_MAIN, nullptr, [](HWND dlg) {
        GtkWidget* window = Widget(dlg);
        GtkWidget* label = Widget(standin::FromHandle(dlg)->controls[1]);
        ASSERT_TRUE(GTK_IS_LABEL(label));
        const PangoFontDescription* font =
            pango_context_get_font_description(gtk_widget_get_pango_context(label));
        EXPECT_STREQ("DejaVu Sans", pango_font_description_get_family(font));
        EXPECT_EQ(8 * PANGO_SCALE, pango_font_description_get_size(font));
        const BaseUnits units = MeasureBaseUnits(label);
        ExpectTemplateRects(dlg, units);
        const standin::Window* model = standin::FromHandle(dlg);
        // The client area has the template's size, and DS_CENTER puts the window mid-screen.
        const int width = gtk_widget_get_allocated_width(window);
        const int height = gtk_widget_get_allocated_height(window);
        EXPECT_EQ(MulDiv(model->cx, units.x, 4), width);
        EXPECT_EQ(MulDiv(model->cy, units.y, 8), height);
        int x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
        EXPECT_NEAR((1024 - width) / 2, x, 1);
        EXPECT_NEAR((768 - height) / 2, y, 1);
        EXPECT_STREQ("Ko Zapfile", gtk_window_get_title(GTK_WINDOW(window)));
        GdkPixbuf* icon = gtk_window_get_icon(GTK_WINDOW(window));
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(32, gdk_pixbuf_get_width(icon));
        EXPECT_EQ(Widget(GetDlgItem(dlg, IDC_BROWSE)), gtk_window_get_focus(GTK_WINDOW(window)));

        // The program's changes reach the widgets; the user's reach the model.
        HWND path = GetDlgItem(dlg, IDC_PATH);
        GtkEntry* entry = GTK_ENTRY(Widget(path));
        SetWindowTextA(path, "/tmp/set");
        EXPECT_STREQ("/tmp/set", gtk_entry_get_text(entry));
        EXPECT_TRUE(g_commands.empty()) << "the program's own change is no user's edit";
        int at = 4;
        gtk_editable_insert_text(GTK_EDITABLE(entry), "/typed", -1, &at);
        char text[64];
        GetWindowTextA(path, text, sizeof text);
        EXPECT_STREQ("/tmp/typed/set", text);
        EXPECT_EQ(MAKEWPARAM(IDC_PATH, 0x0300), g_commands.back());  // EN_CHANGE
        SetWindowTextA(dlg, "Renamed");
        EXPECT_STREQ("Renamed", gtk_window_get_title(GTK_WINDOW(window)));
    });
}

TEST_F(GtkWindowTest, OwnedDialogsStandInTheOwnersClientAreaAndAreModal) {
    Show(IDD_MAIN, nullptr, [](HWND main) {
        int ox = 0, oy = 0;
        GtkWidget* client = gtk_bin_get_child(GTK_BIN(Widget(main)));
        gdk_window_get_origin(gtk_widget_get_window(client), &ox, &oy);

        const INT_PTR ieExt = Show(IDD_IEEXT, main, [&](HWND dlg) {
            GtkWindow* window = GTK_WINDOW(Widget(dlg));
            EXPECT_EQ(GTK_WINDOW(Widget(main)), gtk_window_get_transient_for(window));
            EXPECT_TRUE(gtk_window_get_modal(window));
            int x = -1, y = -1;
            gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
            EXPECT_EQ(ox, x);  // template position 0, 0
            EXPECT_EQ(oy, y);

            HWND box = GetDlgItem(dlg, IDC_NOASK);
            GtkWidget* check = Widget(box);
            ExpectTemplateRects(dlg, MeasureBaseUnits(check));
            GtkLabel* label = GTK_LABEL(gtk_bin_get_child(GTK_BIN(check)));
            EXPECT_GE(pango_layout_get_line_count(gtk_label_get_layout(label)), 2)
                << "BS_MULTILINE wraps the text";

            SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
            EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)));
            gtk_button_clicked(GTK_BUTTON(check));  // the user's click: unticks it, once
            EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
            EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)));
            EXPECT_EQ(MAKEWPARAM(IDC_NOASK, BN_CLICKED), g_commands.back());
            gtk_widget_grab_focus(check);
            Press(GTK_WIDGET(window), GDK_KEY_Return);  // presses the default button, OK
        });
        EXPECT_EQ(IDOK, ieExt);

        const INT_PTR about = Show(IDD_ABOUT, main, [](HWND dlg) {
            GtkWidget* image = nullptr;
            for (HWND c : standin::FromHandle(dlg)->controls)
                if (standin::FromHandle(c)->iconId == IDI_APP)
                    image = Widget(c);
            ASSERT_TRUE(GTK_IS_IMAGE(image));
            GdkPixbuf* pixbuf = gtk_image_get_pixbuf(GTK_IMAGE(image));
            ASSERT_NE(nullptr, pixbuf);
            EXPECT_EQ(32, gdk_pixbuf_get_width(pixbuf));
            gtk_window_close(GTK_WINDOW(Widget(dlg)));  // the close box: WM_CLOSE, IDCANCEL
            RunUntilEnded(dlg);
        });
        EXPECT_EQ(IDCANCEL, about);
    });
}

TEST_F(GtkWindowTest, MessageBoxesAreOwnedAndAnswerOnlyWithTheirButtons) {
    Show(IDD_MAIN, nullptr, [](HWND dlg) {
        static GtkWindow* owner;
        owner = GTK_WINDOW(Widget(dlg));
        // A question ignores Escape and a close request, then answers Yes to its button.
        g_timeout_add(100, [](gpointer) -> gboolean {
            GtkWindow* box = FindBox("Question");
            if (box == nullptr)
                return G_SOURCE_CONTINUE;
            EXPECT_EQ(owner, gtk_window_get_transient_for(box));
            EXPECT_FALSE(gtk_window_get_deletable(box));
            EXPECT_NE(nullptr, FindLabel(GTK_WIDGET(box), "first line\nsecond line"));
            Press(GTK_WIDGET(box), GDK_KEY_Escape);
            gtk_window_close(box);
            g_timeout_add(200, [](gpointer box) -> gboolean {
                gtk_button_clicked(GTK_BUTTON(
                    gtk_widget_get_parent(FindLabel(GTK_WIDGET(box), "_Yes"))));
                return G_SOURCE_REMOVE;
            }, box);
            return G_SOURCE_REMOVE;
        }, nullptr);
        EXPECT_EQ(IDYES, MessageBoxA(dlg, "first line\nsecond line", "Question", MB_YESNO));

        // An error box shows the error icon, and closing it is its OK.
        g_timeout_add(100, [](gpointer) -> gboolean {
            GtkWindow* box = FindBox("Error.");
            if (box == nullptr)
                return G_SOURCE_CONTINUE;
            EXPECT_NE(nullptr, Find(GTK_WIDGET(box), [](GtkWidget* w) {
                          const gchar* name = nullptr;
                          if (GTK_IS_IMAGE(w))
                              gtk_image_get_icon_name(GTK_IMAGE(w), &name, nullptr);
                          return g_strcmp0(name, "dialog-error") == 0;
                      }));
            gtk_window_close(box);
            return G_SOURCE_REMOVE;
        }, nullptr);
        EXPECT_EQ(IDOK, MessageBoxA(GetDlgItem(dlg, IDC_PATH), "Couldn't delete file.", "Error.",
                                    MB_ICONERROR));
    });
}

}  // namespace
