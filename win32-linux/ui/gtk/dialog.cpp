// win32-linux/ui/gtk/dialog.cpp
// The GTK window backend, built as libzapfile-gtk.so. Dialogs are laid out from their
// compiled templates as Windows lays them out: every control at its template rectangle,
// dialog units turned into pixels with the dialog font's base units. The keyboard follows the
// Windows dialog manager (Tab in template order, Escape for IDCANCEL, Enter for the focused
// push button or the default one), and every change goes through the window model, which the
// program owns and lends through the Host table.
#include <windows.h>  // first: GLib then keeps the Windows TRUE and FALSE

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/gtk/gtk_module.h"

namespace standin::gtk {
namespace {

// Not in the stand-in's header: nothing in the program reads them.
constexpr WORD kEnChange = 0x0300;   // EN_CHANGE: an edit control's text changed
constexpr DWORD kSsRight = 0x0002;   // SS_RIGHT
constexpr DWORD kSsNoPrefix = 0x0080;  // SS_NOPREFIX: "&" is shown as it is
constexpr int kDefaultPointSize = 8;

// Windows maps these faces to its own sans user-interface font; DejaVu Sans is the sans font
// that every Debian desktop has (fonts-dejavu-core), of much the same width.
constexpr const char* kWindowsSansFaces[] = {"MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif",
                                             "Microsoft Sans Serif", "Tahoma", "Segoe UI",
                                             "System"};
constexpr char kSansFamily[] = "DejaVu Sans";

const Host* g_host = nullptr;

struct Control {
    HWND hwnd;
    GtkWidget* widget;
};

struct Dialog {
    HWND hwnd = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* client = nullptr;  // the client area, a GtkFixed
    GMainLoop* loop = nullptr;
    std::vector<Control> controls;
    int baseX = 0;
    int baseY = 0;
    // Set while widgets are being brought in line with the model: their signals then come
    // from the program, not from the user, and are not passed on.
    bool syncing = false;
};

std::vector<Dialog*>& OpenDialogs() {
    static std::vector<Dialog*> open;
    return open;
}

// The shown dialog that a window belongs to (the dialog itself or one of its controls).
Dialog* DialogOf(HWND hwnd) {
    const Window* w = g_host->fromHandle(hwnd);
    if (w == nullptr)
        return nullptr;
    const HWND dlg = w->isDialog ? hwnd : w->parent;
    for (Dialog* d : OpenDialogs())
        if (d->hwnd == dlg)
            return d;
    return nullptr;
}

GtkWidget* WidgetFor(const Dialog* d, HWND hwnd) {
    for (const Control& c : d->controls)
        if (c.hwnd == hwnd)
            return c.widget;
    return nullptr;
}

// Win32 MulDiv: the product over the divisor, rounded half away from zero.
int MulDiv(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / denominator);
}

// The "A" calls carry UTF-8 on this platform; anything else (a Latin-1 file name) is shown
// with replacement characters rather than not at all.
std::string Utf8(const char* text) {
    gchar* valid = g_utf8_make_valid(text != nullptr ? text : "", -1);
    std::string out = valid;
    g_free(valid);
    return out;
}

// A Windows label with "&x" mnemonics as a GTK one with "_x": "&&" is a plain "&", and a
// plain "_" must be doubled.
std::string Mnemonic(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (text[i] == '&') {
            out += '_';
        } else if (text[i] == '_') {
            out += "__";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FontFamily(const DialogTemplate& t) {
    if (!t.hasFont || t.font.typeface.empty())
        return kSansFamily;
    for (const char* face : kWindowsSansFaces)
        if (g_ascii_strcasecmp(face, t.font.typeface.c_str()) == 0)
            return kSansFamily;
    std::string family;
    for (char c : t.font.typeface)  // it goes into CSS between quotes
        if (c != '"' && c != '\\')
            family += c;
    return family;
}

int PointSize(const DialogTemplate& t) {
    return t.hasFont && t.font.pointSize > 0 ? t.font.pointSize : kDefaultPointSize;
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
GtkCssProvider* DialogStyle(const DialogTemplate& t) {
    const bool bold = t.hasFont && t.font.weight >= 600;
    const bool italic = t.hasFont && t.font.italic;
    char css[512];
    snprintf(css, sizeof css,
             "* { font-family: \"%s\"; font-size: %dpt; font-weight: %s; font-style: %s; }\n"
             "button { padding: 0 2px; min-height: 0; min-width: 0; }\n"
             "entry { padding: 0 3px; min-height: 0; min-width: 0; }\n"
             "checkbutton { padding: 0; }\n"
             "checkbutton check { margin: 0 4px 0 0; }\n",
             FontFamily(t).c_str(), PointSize(t), bold ? "bold" : "normal",
             italic ? "italic" : "normal");
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

// The icon's pixels stay loaded for the life of the process, so the pixbuf borrows them.
GdkPixbuf* PixbufOf(HICON icon) {
    const IconImage* image = icon != nullptr ? g_host->iconFromHandle(icon) : nullptr;
    if (image == nullptr || image->rgba.empty())
        return nullptr;
    GBytes* bytes = g_bytes_new_static(image->rgba.data(), image->rgba.size());
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_bytes(bytes, GDK_COLORSPACE_RGB, TRUE, 8,
                                                  image->width, image->height, image->width * 4);
    g_bytes_unref(bytes);
    return pixbuf;
}

// A window's icon is its own (WM_SETICON), else its owner's, as GTK does for a transient.
HICON WindowIcon(HWND hwnd) {
    for (const Window* w = g_host->fromHandle(hwnd); w != nullptr;
         w = g_host->fromHandle(w->parent)) {
        if (w->iconBig != nullptr)
            return w->iconBig;
        if (w->iconSmall != nullptr)
            return w->iconSmall;
    }
    return nullptr;
}

void UpdateWindowIcon(Dialog* d) {
    GdkPixbuf* pixbuf = PixbufOf(WindowIcon(d->hwnd));
    gtk_window_set_icon(GTK_WINDOW(d->window), pixbuf);
    if (pixbuf != nullptr)
        g_object_unref(pixbuf);
}

bool IsCheckBox(const Window* w) {
    const DWORD type = w->style & BS_TYPEMASK;
    return w->className == "button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
}

bool IsPushButton(const Window* w) {
    const DWORD type = w->style & BS_TYPEMASK;
    return w->className == "button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

GtkLabel* ButtonLabel(GtkWidget* button) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    return GTK_IS_LABEL(child) ? GTK_LABEL(child) : nullptr;
}

// Brings one control's widget in line with the model.
void Sync(Dialog* d, HWND hwnd) {
    const Window* w = g_host->fromHandle(hwnd);
    GtkWidget* widget = WidgetFor(d, hwnd);
    if (w == nullptr || widget == nullptr)
        return;
    d->syncing = true;
    const std::string text = Utf8(w->text.c_str());
    if (GTK_IS_ENTRY(widget)) {
        if (text != gtk_entry_get_text(GTK_ENTRY(widget)))
            gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
    } else if (GTK_IS_BUTTON(widget)) {
        GtkLabel* label = ButtonLabel(widget);
        if (label != nullptr && Mnemonic(text) != gtk_label_get_label(label))
            gtk_label_set_text_with_mnemonic(label, Mnemonic(text).c_str());
        if (GTK_IS_TOGGLE_BUTTON(widget))
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), w->check == BST_CHECKED);
    } else if (GTK_IS_LABEL(widget)) {
        const std::string shown = (w->style & kSsNoPrefix) ? text : Mnemonic(text);
        if (shown != gtk_label_get_label(GTK_LABEL(widget))) {
            if (w->style & kSsNoPrefix)
                gtk_label_set_text(GTK_LABEL(widget), shown.c_str());
            else
                gtk_label_set_text_with_mnemonic(GTK_LABEL(widget), shown.c_str());
        }
    }
    d->syncing = false;
}

// ---- What the user does ------------------------------------------------------------------

HWND ControlOf(Dialog* d, GtkWidget* widget) {
    for (const Control& c : d->controls)
        if (c.widget == widget)
            return c.hwnd;
    return nullptr;
}

// A click, with the mouse or the space bar. GTK has already flipped a check box; the model
// decides (an automatic one flips itself in ClickButton), and the widget follows it.
void OnClicked(GtkButton* button, gpointer data) {
    Dialog* d = static_cast<Dialog*>(data);
    if (d->syncing)
        return;
    const HWND hwnd = ControlOf(d, GTK_WIDGET(button));
    g_host->clickButton(hwnd);
    Sync(d, hwnd);
}

void OnEntryChanged(GtkEditable* editable, gpointer data) {
    Dialog* d = static_cast<Dialog*>(data);
    if (d->syncing)
        return;
    const HWND hwnd = ControlOf(d, GTK_WIDGET(editable));
    g_host->setTextFromUser(hwnd, gtk_entry_get_text(GTK_ENTRY(editable)));
    const Window* w = g_host->fromHandle(hwnd);
    g_host->sendMessage(d->hwnd, WM_COMMAND, MAKEWPARAM(w->id, kEnChange),
                        reinterpret_cast<LPARAM>(hwnd));
}

void OnSetFocus(GtkWindow*, GtkWidget* widget, gpointer data) {
    Dialog* d = static_cast<Dialog*>(data);
    Window* dlg = g_host->fromHandle(d->hwnd);
    const HWND hwnd = ControlOf(d, widget);
    // A window that loses the focus keeps the control that had it, as a Windows dialog
    // remembers it for when it is activated again.
    if (dlg != nullptr && hwnd != nullptr)
        dlg->focus = hwnd;
}

// The close box asks, as WM_CLOSE; the default answer of the dialog manager is IDCANCEL.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    g_host->sendMessage(static_cast<Dialog*>(data)->hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

void SendCommand(Dialog* d, int id) {
    const HWND item = g_host->dlgItem(d->hwnd, id);
    g_host->sendMessage(d->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(item));
}

// Enter presses the focused push button, else the default push button; a dialog without
// one gets IDOK, as DM_GETDEFID answers then.
void PressDefault(Dialog* d) {
    const Window* dlg = g_host->fromHandle(d->hwnd);
    const Window* focus = g_host->fromHandle(dlg->focus);
    const HWND target = focus != nullptr && IsPushButton(focus)
                            ? dlg->focus
                            : g_host->defaultButton(d->hwnd);
    if (target != nullptr)
        g_host->clickButton(target);
    else
        SendCommand(d, IDOK);
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    Dialog* d = static_cast<Dialog*>(data);
    const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
    switch (event->keyval) {
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab: {
        if (mods & ~GDK_SHIFT_MASK)
            return FALSE;
        const bool back = (mods & GDK_SHIFT_MASK) || event->keyval == GDK_KEY_ISO_Left_Tab;
        const Window* dlg = g_host->fromHandle(d->hwnd);
        GtkWidget* next = WidgetFor(d, g_host->nextTabStop(d->hwnd, dlg->focus, back));
        if (next != nullptr)
            gtk_widget_grab_focus(next);
        return TRUE;
    }
    case GDK_KEY_Escape:
        if (mods != 0)
            return FALSE;
        SendCommand(d, IDCANCEL);
        return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        if (mods != 0)
            return FALSE;
        PressDefault(d);
        return TRUE;
    default:
        return FALSE;
    }
}

// ---- Building a dialog --------------------------------------------------------------------

GtkWidget* MakeButton(Dialog* d, const Window* w) {
    const std::string label = Mnemonic(Utf8(w->text.c_str()));
    GtkWidget* button = IsCheckBox(w) ? gtk_check_button_new_with_mnemonic(label.c_str())
                                      : gtk_button_new_with_mnemonic(label.c_str());
    if (GtkLabel* text = ButtonLabel(button)) {
        // A check box's text stands left of its box's remaining room, and BS_MULTILINE wraps
        // it there; a single-line one is cut off, never widened.
        if (IsCheckBox(w))
            gtk_label_set_xalign(text, 0.0f);
        if (w->style & BS_MULTILINE)
            gtk_label_set_line_wrap(text, TRUE);
        else
            gtk_label_set_ellipsize(text, PANGO_ELLIPSIZE_END);
    }
    if (GTK_IS_TOGGLE_BUTTON(button))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), w->check == BST_CHECKED);
    g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), d);
    return button;
}

GtkWidget* MakeEdit(Dialog* d, const Window* w) {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), Utf8(w->text.c_str()).c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);  // the template gives the width
    gtk_entry_set_has_frame(GTK_ENTRY(entry), (w->style & WS_BORDER) != 0);
    g_signal_connect(entry, "changed", G_CALLBACK(OnEntryChanged), d);
    return entry;
}

GtkWidget* MakeStatic(const Window* w) {
    if ((w->style & SS_TYPEMASK) == SS_ICON) {
        // An icon static takes the icon's own size, as on Windows.
        GdkPixbuf* pixbuf = PixbufOf(g_host->loadIcon(w->iconId));
        GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
        if (pixbuf != nullptr)
            g_object_unref(pixbuf);
        gtk_widget_set_halign(image, GTK_ALIGN_START);
        gtk_widget_set_valign(image, GTK_ALIGN_START);
        return image;
    }
    const std::string text = Utf8(w->text.c_str());
    GtkWidget* label = (w->style & kSsNoPrefix)
                           ? gtk_label_new(text.c_str())
                           : gtk_label_new_with_mnemonic(Mnemonic(text).c_str());
    const DWORD type = w->style & SS_TYPEMASK;
    gtk_label_set_xalign(GTK_LABEL(label), type == SS_CENTER ? 0.5f : type == kSsRight ? 1.0f : 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_justify(GTK_LABEL(label), type == SS_CENTER  ? GTK_JUSTIFY_CENTER
                                            : type == kSsRight ? GTK_JUSTIFY_RIGHT
                                                               : GTK_JUSTIFY_LEFT);
    return label;
}

GtkWidget* MakeControl(Dialog* d, const Window* w) {
    if (w->className == "button")
        return MakeButton(d, w);
    if (w->className == "edit")
        return MakeEdit(d, w);
    return MakeStatic(w);
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
    const DialogTemplate& t = dlg->layout;
    d->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(d->window);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, FontFamily(t).c_str());
    pango_font_description_set_size(font, PointSize(t) * PANGO_SCALE);
    pango_font_description_set_weight(font, t.hasFont && t.font.weight >= 600 ? PANGO_WEIGHT_BOLD
                                                                             : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font, t.hasFont && t.font.italic ? PANGO_STYLE_ITALIC
                                                                      : PANGO_STYLE_NORMAL);
    MeasureBaseUnits(d, font);
    pango_font_description_free(font);

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
    GtkCssProvider* style = DialogStyle(t);
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
    if (dlg->style & DS_CENTER) {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
        return;
    }
    int x = 0, y = 0;
    if (owner != nullptr)
        ClientOrigin(owner, &x, &y);
    gtk_window_move(window, x + MulDiv(dlg->x, d->baseX, 4), y + MulDiv(dlg->y, d->baseY, 8));
}

// ---- The backend's functions ----------------------------------------------------------------

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
    OpenDialogs().push_back(d);

    GtkWidget* focus = WidgetFor(d, dlg->focus);
    gtk_window_set_focus(GTK_WINDOW(d->window), focus);
    dlg->visible = true;
    gtk_window_present(GTK_WINDOW(d->window));
    // A dialog whose procedure kept the focus to itself starts with none, whatever control
    // GTK would have picked.
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

// What closing a box without a button answers; 0 where it cannot be closed that way.
struct BoxClose {
    int answer;
};

gboolean OnBoxDelete(GtkWidget*, GdkEvent*, gpointer data) {
    // A question has to be answered: its box has no close box and ignores Escape.
    return static_cast<BoxClose*>(data)->answer == 0;
}

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

// The open-file dialog, modal to the dialog that owns it. Only local files can be chosen:
// their paths are what the program is given.
bool OpenFile(HWND owner, DWORD flags, void (*add)(void* list, const char* path), void* list) {
    const Dialog* parent = DialogOf(owner);
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        "Open", parent != nullptr ? GTK_WINDOW(parent->window) : nullptr,
        GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL, "_Open",
        GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
    // It opens in the current folder, as the Windows dialog does without an initial folder.
    gchar* here = g_get_current_dir();
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), here);
    g_free(here);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser),
                                         (flags & OFN_ALLOWMULTISELECT) != 0);
    const bool chosen = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT;
    if (chosen) {
        GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
        for (GSList* f = files; f != nullptr; f = f->next)
            add(list, static_cast<const char*>(f->data));
        g_slist_free_full(files, g_free);
    }
    gtk_widget_destroy(chooser);
    gdk_display_flush(gdk_display_get_default());
    return chosen;
}

void* WidgetOfWindow(HWND hwnd) {
    Dialog* d = DialogOf(hwnd);
    if (d == nullptr)
        return nullptr;
    return d->hwnd == hwnd ? d->window : WidgetFor(d, hwnd);
}

}  // namespace
}  // namespace standin::gtk

extern "C" __attribute__((visibility("default"))) bool zapfile_gtk_open(
    const standin::gtk::Host* host, standin::gtk::Module* out, char* reason, size_t reasonSize) {
    using namespace standin::gtk;
    if (host == nullptr || host->hostSize != sizeof(Host) ||
        host->windowSize != sizeof(standin::Window)) {
        snprintf(reason, reasonSize, "%s does not match this zapfile (built apart)", kModuleFile);
        return false;
    }
    g_set_prgname("zapfile");
    g_set_application_name("Zapfile");
    if (!gtk_init_check(nullptr, nullptr)) {
        const char* display = getenv("DISPLAY");
        const char* wayland = getenv("WAYLAND_DISPLAY");
        snprintf(reason, reasonSize, "cannot open display %s",
                 display != nullptr && *display != '\0' ? display
                 : wayland != nullptr                  ? wayland
                                                       : "");
        return false;
    }
    g_host = host;
    *out = {MessageBox, RunDialog, WindowChanged, WidgetOfWindow, OpenFile};
    return true;
}
