// win32-linux/ui/gtk/dialog.cpp
// Dialogs laid out from their compiled templates as Windows lays them out: every control at
// its template rectangle, dialog units turned into pixels with the dialog font's base units,
// and every change going through the window model, which the program owns and lends through
// the Host table.
#include "ui/gtk/gtk_private.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace standin::gtk {
namespace {

// Win32 MulDiv: the product over the divisor, rounded half away from zero.
int MulDiv(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / denominator);
}

// The dialog's base units as Windows computes them: the average width of the 52 letters,
// rounded, and the font's height (ascent and descent).
void MeasureBaseUnits(Dialog* d, const PangoFontDescription* font) {
    PangoContext* context = gtk_widget_get_pango_context(d->window);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    d->baseX = (logical.width / 26 + 1) / 2;
    d->baseY = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) +
                            pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
}

// The dialog's font on every widget, and controls trimmed to the size Windows draws them
// at: the theme's paddings and minimum sizes would not fit a 14-unit button or field.
GtkCssProvider* DialogStyle(const PangoFontDescription* font) {
    // Each of the families (a desktop's font may list several, split by commas) goes into CSS
    // between quotes.
    std::string family = "\"";
    for (const char* c = pango_font_description_get_family(font); *c != '\0'; ++c)
        if (*c == ',')
            family += "\", \"";
        else if (*c != '"' && *c != '\\')
            family += *c;
    family += '"';
    // CSS takes weights in hundreds, and a size with a dot whatever the locale.
    const int weight =
        std::clamp((pango_font_description_get_weight(font) + 50) / 100 * 100, 100, 900);
    char size[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(size, sizeof size, "%g",
                    static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE);
    char css[512];
    snprintf(css, sizeof css,
             "* { font-family: %s; font-size: %s%s; font-weight: %d; font-style: %s; }\n"
             "button { padding: 0 2px; min-height: 0; min-width: 0; }\n"
             "entry { padding: 0 3px; min-height: 0; min-width: 0; }\n"
             "checkbutton { padding: 0; }\n"
             "checkbutton check { margin: 0 4px 0 0; }\n",
             family.c_str(), size, pango_font_description_get_size_is_absolute(font) ? "px" : "pt",
             weight,
             pango_font_description_get_style(font) == PANGO_STYLE_ITALIC ? "italic" : "normal");
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    return provider;
}

void ApplyStyle(GtkWidget* widget, gpointer provider) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), ApplyStyle, provider);
}

// A window's icons are its own (WM_SETICON), else its owner's, as GTK does for a transient.
// The window manager is given the sizes of their groups that a title bar or a task bar may
// draw, up to 64 pixels times the screen's scale, and picks what suits it. (The larger ones,
// for launchers, are the desktop's icon theme's: at every start they cost the window a
// hundredth of a second on its way to the screen.)
void UpdateWindowIcon(Dialog* d) {
    HICON icons[2] = {nullptr, nullptr};
    for (const Window* w = g_host->fromHandle(d->hwnd); w != nullptr && !icons[0] && !icons[1];
         w = g_host->fromHandle(w->parent))
        icons[0] = w->iconBig, icons[1] = w->iconSmall;
    if (icons[0] == d->icons[0] && icons[1] == d->icons[1])
        return;
    d->icons[0] = icons[0];
    d->icons[1] = icons[1];
    const int largest = 64 * gtk_widget_get_scale_factor(d->window);
    GList* list = nullptr;
    for (HICON icon : icons)
        for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
            if (side > largest)
                break;
            GdkPixbuf* pixbuf = PixbufOf(icon != nullptr ? g_host->iconAtSize(icon, side) : nullptr);
            bool known = pixbuf == nullptr;
            for (GList* l = list; l != nullptr && !known; l = l->next)
                known = gdk_pixbuf_get_width(GDK_PIXBUF(l->data)) == gdk_pixbuf_get_width(pixbuf);
            if (known && pixbuf != nullptr)
                g_object_unref(pixbuf);
            else if (!known)
                list = g_list_append(list, pixbuf);
        }
    gtk_window_set_icon_list(GTK_WINDOW(d->window), list);
    g_list_free_full(list, g_object_unref);
}

// The owner's client area, in screen coordinates.
void ClientOrigin(const Dialog* owner, int* x, int* y) {
    GtkAllocation client;
    gtk_widget_get_allocation(owner->client, &client);
    gdk_window_get_origin(gtk_widget_get_window(owner->client), x, y);
    *x += client.x;
    *y += client.y;
}

void Build(Dialog* d, const Window* dlg) {
    const DialogTemplate& t = *dlg->layout;
    d->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(d->window);
    PangoFontDescription* desktop = DesktopFont();
    PangoFontDescription* font = DialogFont(t, desktop);
    pango_font_description_free(desktop);
    MeasureBaseUnits(d, font);

    gtk_window_set_title(window, Utf8(dlg->text.c_str()).c_str());
    gtk_window_set_resizable(window, (dlg->style & WS_THICKFRAME) != 0);
    gtk_window_set_deletable(window, (dlg->style & WS_SYSMENU) != 0);
    UpdateWindowIcon(d);

    d->client = gtk_fixed_new();
    gtk_widget_set_size_request(d->client, MulDiv(dlg->cx, d->baseX, 4),
                                MulDiv(dlg->cy, d->baseY, 8));
    gtk_container_add(GTK_CONTAINER(window), d->client);
    for (HWND hwnd : dlg->controls) {
        const Window* w = g_host->fromHandle(hwnd);
        GtkWidget* widget = MakeControl(d, w);
        d->controls.push_back({hwnd, widget});
        gtk_fixed_put(GTK_FIXED(d->client), widget, MulDiv(w->x, d->baseX, 4),
                      MulDiv(w->y, d->baseY, 8));
        if ((w->style & SS_TYPEMASK) != SS_ICON || w->className != "static")
            gtk_widget_set_size_request(widget, MulDiv(w->cx, d->baseX, 4),
                                        MulDiv(w->cy, d->baseY, 8));
        gtk_widget_set_sensitive(widget, (w->style & WS_DISABLED) == 0);
        if (w->style & WS_VISIBLE)
            gtk_widget_show_all(widget);
    }
    gtk_widget_show(d->client);
    DescribeControls(d);
    GtkCssProvider* style = DialogStyle(font);
    pango_font_description_free(font);
    ApplyStyle(d->window, style);
    g_object_unref(style);

    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), d);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), d);
    g_signal_connect(window, "set-focus", G_CALLBACK(OnSetFocus), d);
}

// A DS_CENTER dialog is centred on the screen; any other stands at its template position
// from the top left of its owner's client area (of the screen, without an owner).
void Place(Dialog* d, const Window* dlg, const Dialog* owner) {
    GtkWindow* window = GTK_WINDOW(d->window);
    if (owner != nullptr) {
        gtk_window_set_transient_for(window, GTK_WINDOW(owner->window));
        gtk_window_set_modal(window, TRUE);
        gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    }
    // A placement set before the dialog showed wins over its template position.
    if (dlg->hasPlacement) {
        ApplyPlacement(d, &dlg->placement);
        return;
    }
    if (dlg->style & DS_CENTER) {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
        return;
    }
    int x = 0, y = 0;
    if (owner != nullptr)
        ClientOrigin(owner, &x, &y);
    gtk_window_move(window, x + MulDiv(dlg->x, d->baseX, 4), y + MulDiv(dlg->y, d->baseY, 8));
}

}  // namespace

bool RunDialog(HWND hDlg) {
    Window* dlg = g_host->fromHandle(hDlg);
    if (dlg == nullptr)
        return false;
    Dialog* d = new Dialog;
    d->hwnd = hDlg;
    // One loop per dialog, nested in the caller's as DialogBoxParamA's is; EndDialog, from
    // wherever it is called, reaches WindowChanged and quits it.
    d->loop = g_main_loop_new(nullptr, FALSE);
    Build(d, dlg);
    Place(d, dlg, DialogOf(dlg->parent));
    FollowPlacement(d);
    OpenDialogs().push_back(d);

    GtkWidget* focus = WidgetFor(d, dlg->focus);
    gtk_window_set_focus(GTK_WINDOW(d->window), focus);
    dlg->visible = true;
    gtk_window_present(GTK_WINDOW(d->window));
    // A dialog without a tab stop starts with no control focused, whatever GTK would pick.
    if (focus == nullptr)
        gtk_window_set_focus(GTK_WINDOW(d->window), nullptr);
    if (!dlg->ended)
        g_main_loop_run(d->loop);
    g_main_loop_unref(d->loop);

    dlg->visible = false;
    auto& open = OpenDialogs();
    for (size_t i = 0; i < open.size(); ++i)
        if (open[i] == d)
            open.erase(open.begin() + static_cast<long>(i));
    gtk_widget_destroy(d->window);
    gdk_display_flush(gdk_display_get_default());
    delete d;
    return true;
}

void WindowChanged(HWND hwnd) {
    Dialog* d = DialogOf(hwnd);
    const Window* w = g_host->fromHandle(hwnd);
    if (d == nullptr || w == nullptr)
        return;
    if (!w->isDialog) {
        Sync(d, hwnd);
        return;
    }
    if (w->ended) {
        g_main_loop_quit(d->loop);
        return;
    }
    const std::string title = Utf8(w->text.c_str());
    if (title != gtk_window_get_title(GTK_WINDOW(d->window)))
        gtk_window_set_title(GTK_WINDOW(d->window), title.c_str());
    UpdateWindowIcon(d);
}

}  // namespace standin::gtk
