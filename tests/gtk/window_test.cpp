// tests/gtk/window_test.cpp
// Dialogs and boxes shown by libzapfile-gtk.so in this process, on a virtual display, read
// back from the realised widgets.
#include <windows.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "desktop.h"
#include "resource.h"
#include "ui/gtk/gtk_private.h"
#include "user32/window_model.h"

namespace {

std::vector<WPARAM> g_commands;  // every WM_COMMAND the dialogs received
const RECT* g_placeFirst = nullptr;  // a placement set in WM_INITDIALOG, before the dialog shows

GtkWidget* Widget(HWND hwnd) { return static_cast<GtkWidget*>(standin::gtk::WidgetOf(hwnd)); }
int MulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

// Calls `step` every 20 ms from the running loop until it returns true; after 5 s a last
// time with `last` set, whatever it returns.
using Step = std::function<bool(bool last)>;
gboolean Tick(gpointer data) {
    auto* p = static_cast<std::pair<Step, int>*>(data);
    const bool last = ++p->second >= 250;
    if (!p->first(last) && !last)
        return G_SOURCE_CONTINUE;
    delete p;
    return G_SOURCE_REMOVE;
}
void Poll(Step step) { g_timeout_add(20, Tick, new std::pair<Step, int>(std::move(step), 0)); }

// Shows dialog `id`, runs `body` once it is on screen, then ends it if `body` did not.
using Body = std::function<void(HWND dlg)>;
INT_PTR CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP))));
        // Ticked before it shows, as "Ie Ext" does when the program does not ask.
        SendMessageA(GetDlgItem(hwnd, IDC_NOASK), BM_SETCHECK, BST_CHECKED, 0);
        if (g_placeFirst != nullptr) {
            WINDOWPLACEMENT wp{sizeof wp, 0, SW_SHOWNORMAL, {}, {}, *g_placeFirst};
            SetWindowPlacement(hwnd, &wp);
        }
        Poll([hwnd, body = *reinterpret_cast<Body*>(lParam)](bool last) {
            GtkWidget* window = Widget(hwnd);
            GdkWindow* gdk = window != nullptr ? gtk_widget_get_window(window) : nullptr;
            const bool shown = gdk != nullptr && gdk_window_is_viewable(gdk);
            if (!shown && !last)
                return false;
            EXPECT_TRUE(shown) << "the dialog did not appear within 5 s";
            if (shown)
                body(hwnd);
            if (!standin::FromHandle(hwnd)->ended)
                EndDialog(hwnd, -2);
            return true;
        });
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

// The client area and each control have their template rectangles, turned into pixels with
// the base units of the font the widgets draw with, measured here on their own; each text
// shows whole within its control.
void ExpectTemplateRects(HWND dlg) {
    const standin::Window* d = standin::FromHandle(dlg);
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(Widget(dlg)));
    PangoContext* context = gtk_widget_get_pango_context(Widget(d->controls[0]));
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
    if (d->style & DS_CENTER) {  // the main window: its client area too
        EXPECT_EQ(MulDiv(d->cx, x, 4), gtk_widget_get_allocated_width(client));
        EXPECT_EQ(MulDiv(d->cy, y, 8), gtk_widget_get_allocated_height(client));
    }
    for (HWND hwnd : d->controls) {
        const standin::Window* c = standin::FromHandle(hwnd);
        GtkWidget* w = Widget(hwnd);
        int cx = -1, cy = -1;
        gtk_widget_translate_coordinates(w, client, 0, 0, &cx, &cy);
        EXPECT_EQ(std::pair(MulDiv(c->x, x, 4), MulDiv(c->y, y, 8)), std::pair(cx, cy)) << c->text;
        if (GTK_IS_IMAGE(w))
            continue;  // an icon takes its own size, as on Windows
        EXPECT_EQ(std::pair(MulDiv(c->cx, x, 4), MulDiv(c->cy, y, 8)),
                  std::pair(gtk_widget_get_allocated_width(w), gtk_widget_get_allocated_height(w)))
            << c->text;
        GtkWidget* text = GTK_IS_BIN(w) ? gtk_bin_get_child(GTK_BIN(w)) : w;
        if (GTK_IS_LABEL(text)) {
            PangoLayout* shown = gtk_label_get_layout(GTK_LABEL(text));
            int width = 0, height = 0;
            pango_layout_get_pixel_size(shown, &width, &height);
            EXPECT_FALSE(pango_layout_is_ellipsized(shown)) << c->text;
            EXPECT_LE(width, gtk_widget_get_allocated_width(w)) << c->text;
            EXPECT_LE(height, gtk_widget_get_allocated_height(w)) << c->text;
        }
    }
}

// The sides of the images the window manager is offered as the window's icon.
std::vector<int> IconSides(HWND dlg) {
    std::vector<int> sides;
    GList* icons = gtk_window_get_icon_list(GTK_WINDOW(Widget(dlg)));
    for (GList* i = icons; i != nullptr; i = i->next)
        sides.push_back(gdk_pixbuf_get_width(GDK_PIXBUF(i->data)));
    g_list_free(icons);
    return sides;
}

class GtkWindowTest : public desktop::DesktopTest {
protected:
    static void SetUpTestSuite() {
        StartDisplay();
        setenv("DISPLAY", display->name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus here: accessibility_test.py has one
        setenv("GSETTINGS_BACKEND", "memory", 1);  // the file chooser keeps its settings here
    }
};

// The main window is centred, an owned dialog stands at 0, 0 in its owner's client area and
// is modal to it, as is the open-file dialog, which lets several files be chosen only when
// asked to; widgets and the model follow each other, and only the user's changes reach the
// dialog as commands. The close box asks, as WM_CLOSE, which the dialog manager answers with
// IDCANCEL. (Keys are pressed on the built program, in zapfile_gtk_test.cpp.)
TEST_F(GtkWindowTest, DialogsStandWhereTheirTemplatesSayAndFollowTheModel) {
    EXPECT_EQ(IDCANCEL, Show(IDD_MAIN, nullptr, [](HWND dlg) {
        GtkWidget* window = Widget(dlg);
        int x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(window), &x, &y);
        EXPECT_NEAR((1024 - gtk_widget_get_allocated_width(window)) / 2, x, 1);
        EXPECT_NEAR((768 - gtk_widget_get_allocated_height(window)) / 2, y, 1);
        EXPECT_EQ((std::vector<int>{16, 24, 32, 48, 64}), IconSides(dlg));

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

        gdk_window_get_origin(gtk_widget_get_window(gtk_bin_get_child(GTK_BIN(window))), &x, &y);
        Show(IDD_IEEXT, dlg, [&](HWND owned) {
            EXPECT_EQ(GTK_WINDOW(window), gtk_window_get_transient_for(GTK_WINDOW(Widget(owned))));
            EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(Widget(owned))));
            int ox = -1, oy = -1;
            gdk_window_get_origin(gtk_widget_get_window(Widget(owned)), &ox, &oy);
            EXPECT_EQ(std::pair(x, y), std::pair(ox, oy));
            HWND box = GetDlgItem(owned, IDC_NOASK);
            EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Widget(box))));
            gtk_button_clicked(GTK_BUTTON(Widget(box)));
            EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
            EXPECT_EQ(MAKEWPARAM(IDC_NOASK, BN_CLICKED), g_commands.back());
        });
        for (const bool multiple : {false, true}) {
            Poll([dlg, multiple](bool last) {
                GtkWidget* modal = gtk_grab_get_current();
                if (!GTK_IS_FILE_CHOOSER_DIALOG(modal))
                    return last;
                EXPECT_EQ(GTK_WINDOW(Widget(dlg)), gtk_window_get_transient_for(GTK_WINDOW(modal)));
                EXPECT_EQ(multiple, gtk_file_chooser_get_select_multiple(GTK_FILE_CHOOSER(modal)));
                gtk_dialog_response(GTK_DIALOG(modal), GTK_RESPONSE_CANCEL);
                return true;
            });
            char buffer[8] = "";
            OPENFILENAMEA ofn{};
            ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
            ofn.hwndOwner = dlg;
            ofn.lpstrFile = buffer;
            ofn.nMaxFile = sizeof buffer;
            ofn.Flags = OFN_EXPLORER | (multiple ? OFN_ALLOWMULTISELECT : 0);
            EXPECT_FALSE(GetOpenFileNameA(&ofn));
        }
        GdkEvent* event = gdk_event_new(GDK_DELETE);  // as a window manager sends it
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }));
}

// The template's "MS Shell Dlg" is the desktop's font at its size: the dialogs are laid out in
// it and grow with it, every text whole.
TEST_F(GtkWindowTest, TemplatesTakeTheDesktopsFont) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    int widths[2] = {0, 0};
    for (const int points : {10, 14}) {
        const std::string desktop = "DejaVu Sans " + std::to_string(points);
        g_object_set(gtk_settings_get_default(), "gtk-font-name", desktop.c_str(), nullptr);
        Show(IDD_MAIN, nullptr, [&](HWND dlg) {
            GtkWidget* field = Widget(GetDlgItem(dlg, IDC_PATH));
            gchar* font = pango_font_description_to_string(
                pango_context_get_font_description(gtk_widget_get_pango_context(field)));
            EXPECT_EQ(desktop, font);
            g_free(font);
            ExpectTemplateRects(dlg);
            widths[points / 14] = gtk_widget_get_allocated_width(Widget(dlg));
            for (const int id : {IDD_IEEXT, IDD_ABOUT})
                Show(id, dlg, ExpectTemplateRects);
        });
    }
    EXPECT_GT(widths[1], widths[0] * 13 / 10);
}

// At four times the scale the window's icon goes up to the 256-pixel image (a PNG), and the
// About box draws its 32-pixel icon from the 128-pixel image.
TEST_F(GtkWindowTest, IconsAreDrawnForTheScreensScale) {
    setenv("GDK_SCALE", "4", 1);
    Show(IDD_ABOUT, nullptr, [](HWND dlg) {
        EXPECT_EQ((std::vector<int>{16, 24, 32, 48, 64, 128, 256}), IconSides(dlg));
        cairo_surface_t* surface = nullptr;
        g_object_get(Widget(standin::FromHandle(dlg)->controls[1]), "surface", &surface, nullptr);
        ASSERT_NE(nullptr, surface);
        double scale = 0, unused = 0;
        cairo_surface_get_device_scale(surface, &scale, &unused);
        EXPECT_EQ(std::pair(128, 4.0), std::pair(cairo_image_surface_get_width(surface), scale));
        cairo_surface_destroy(surface);
    });
}

// The faces Windows maps to its interface font become the desktop's, at its size for the
// template's 8 points; any other face is kept at the template's size.
TEST(DialogFontTest, InterfaceFacesBecomeTheDesktopsFont) {
    const struct {
        const char* face;  // null: the template sets no font
        WORD points, weight;
        bool italic;
        const char *desktop, *shown;
    } rows[] = {
        {"MS Shell Dlg", 8, 400, false, "Cantarell 11", "Cantarell 11"},
        {"ms sans serif", 8, 700, false, "Cantarell 11", "Cantarell Bold 11"},
        {"MS Shell Dlg 2", 12, 400, true, "DejaVu Sans 14", "DejaVu Sans Italic 21"},
        {"MS Shell Dlg", 8, 0, false, "Noto Sans Semi-Bold 13px", "Noto Sans Semi-Bold 13px"},
        {nullptr, 0, 0, false, "Cantarell 11", "Cantarell 11"},
        {"Courier New", 10, 400, false, "Cantarell 11", "Courier New 10"},
    };
    for (const auto& row : rows) {
        standin::DialogTemplate t;
        t.hasFont = row.face != nullptr;
        t.font = {row.points, row.weight, row.italic, standin::kDefaultCharset,
                  row.face != nullptr ? row.face : ""};
        PangoFontDescription* desktop = pango_font_description_from_string(row.desktop);
        PangoFontDescription* font = standin::gtk::DialogFont(t, desktop);
        gchar* shown = pango_font_description_to_string(font);
        EXPECT_STREQ(row.shown, shown) << (row.face != nullptr ? row.face : "no font");
        g_free(shown);
        pango_font_description_free(font);
        pango_font_description_free(desktop);
    }
}

// The window stands at the placement asked for, or, when that shows less than half of its
// width or not its whole top row (the screen is 1024 x 768), at the screen's edge at its own
// size; GetWindowPlacement reads where it stands.
void ExpectPlacedAt(HWND dlg, const RECT& asked) {
    GtkWindow* window = GTK_WINDOW(Widget(dlg));
    int width = 0, height = 0;
    gtk_window_get_size(window, &width, &height);
    const int x = 2 * (1024LL - asked.left) >= width ? asked.left : 1024 - width;
    const int y = asked.top + 24LL <= 768 ? asked.top : 768 - height;
    int at[2] = {-1, -1};
    for (int i = 0; i < 100 && (at[0] != x || at[1] != y); ++i, g_usleep(20000)) {
        while (gtk_events_pending())
            gtk_main_iteration();
        gdk_window_get_root_origin(gtk_widget_get_window(GTK_WIDGET(window)), &at[0], &at[1]);
    }
    EXPECT_EQ(std::pair(x, y), std::pair(at[0], at[1])) << asked.left;
    WINDOWPLACEMENT got{};
    got.length = sizeof got;
    ASSERT_TRUE(GetWindowPlacement(dlg, &got));
    const RECT& r = got.rcNormalPosition;
    EXPECT_EQ(std::tuple(x, y, x + width, y + height, static_cast<UINT>(SW_SHOWNORMAL)),
              std::tuple(r.left, r.top, r.right, r.bottom, got.showCmd));
}

// A placement set before the dialog shows (as a program restores one in WM_INITDIALOG) is
// where it appears, and one put onto the shown dialog moves it there.
TEST_F(GtkWindowTest, PlacementPutsTheWindowThereOrAtTheScreensEdge) {
    for (const RECT& first : {RECT{130, 70, 430, 270}, RECT{INT_MAX, 70, INT_MAX, 270}}) {
        g_placeFirst = &first;
        Show(IDD_ABOUT, nullptr, [&](HWND dlg) {
            ExpectPlacedAt(dlg, first);
            for (const RECT& asked : {RECT{120, 90, 420, 290}, RECT{3000, 2000, 3300, 2200},
                                      RECT{1000, 750, 1300, 950}}) {
                WINDOWPLACEMENT wp{sizeof wp, 0, SW_SHOWNORMAL, {}, {}, asked};
                ASSERT_TRUE(SetWindowPlacement(dlg, &wp));
                ExpectPlacedAt(dlg, asked);
            }
        });
        g_placeFirst = nullptr;
    }
}

// Under Wayland, where a program cannot learn where its window stands, the placement read back
// keeps the position the window was given: closing it must not store 0, 0 over the place a
// user chose. The test runs itself again on a headless Weston, where the child shows the
// dialog.
TEST(GtkWaylandTest, ThePositionGivenIsKept) {
    if (getenv("ZAPFILE_TEST_WAYLAND_CHILD") != nullptr) {
        const RECT first{300, 200, 600, 400};
        g_placeFirst = &first;
        Show(IDD_ABOUT, nullptr, [](HWND dlg) {
            ASSERT_STREQ("GdkWaylandDisplay",
                         G_OBJECT_TYPE_NAME(gtk_widget_get_display(Widget(dlg))));
            WINDOWPLACEMENT got{};
            got.length = sizeof got;
            ASSERT_TRUE(GetWindowPlacement(dlg, &got));
            const RECT& at = got.rcNormalPosition;
            EXPECT_EQ((std::pair<LONG, LONG>(300, 200)), (std::pair(at.left, at.top)));
        });
        return;
    }
    const testenv::TempDir dir;
    const std::string run = dir / "run";
    ASSERT_EQ(0, mkdir(run.c_str(), 0700));
    const std::map<std::string, std::string> env = {{"XDG_RUNTIME_DIR", run}, {"DISPLAY", ""},
                                                    {"WAYLAND_DISPLAY", "wayland-test"},
                                                    {"ZAPFILE_TEST_WAYLAND_CHILD", "1"}};
    const pid_t weston = testproc::Start(
        {WESTON_BIN, "--backend=headless-backend.so", "--socket=wayland-test", "--idle-time=0"},
        env, [] { return fork(); });
    for (int i = 0; i < 100 && !testenv::Exists(run + "/wayland-test"); ++i)
        desktop::Pause(50);
    const testproc::Result r = testproc::Run(
        {std::filesystem::read_symlink("/proc/self/exe"),
         "--gtest_filter=GtkWaylandTest.ThePositionGivenIsKept"}, env, "", 20000);
    kill(weston, SIGTERM);
    waitpid(weston, nullptr, 0);
    EXPECT_EQ(0, r.exitCode) << r.out << r.err;
}

// The label of a box's text, found among the widgets below `widget`.
GtkLabel* FindLabel(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget))
        return GTK_LABEL(widget);
    GtkLabel* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c != nullptr && found == nullptr; c = c->next)
            found = FindLabel(static_cast<GtkWidget*>(c->data));
        g_list_free(children);
    }
    return found;
}

// A long path is wrapped in the question, but no character is drawn that the path does not
// hold: a hyphen at a break would be one glyph more than the line has characters.
TEST_F(GtkWindowTest, ALongPathWrapsWithoutAddedCharacters) {
    const std::string path = "\"/tmp/" + std::string(150, 'x') + "/" + std::string(40, 'y') + ".txt\"";
    int lines = 0, extra = -1;
    Poll([&](bool last) {
        GtkWidget* box = gtk_grab_get_current();
        if (!GTK_IS_DIALOG(box))
            return last;
        GtkLabel* label = FindLabel(box);
        if (label == nullptr || !gtk_widget_get_mapped(GTK_WIDGET(label)))
            return last;
        PangoLayout* layout = gtk_label_get_layout(label);
        lines = pango_layout_get_line_count(layout);
        extra = 0;
        for (GSList* l = pango_layout_get_lines_readonly(layout); l != nullptr; l = l->next)
            for (GSList* r = static_cast<PangoLayoutLine*>(l->data)->runs; r != nullptr; r = r->next) {
                const auto* run = static_cast<PangoGlyphItem*>(r->data);
                // (A ligature, as "fi" in "file", is one glyph for two characters.)
                extra += std::max(0, run->glyphs->num_glyphs - run->item->num_chars);
            }
        gtk_dialog_response(GTK_DIALOG(box), IDNO);
        return true;
    });
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, ("Are you sure you want to delete the file:\n" + path).c_str(),
                                "Cofirm", MB_YESNO));
    EXPECT_LT(3, lines);
    EXPECT_EQ(0, extra);
}

}  // namespace
