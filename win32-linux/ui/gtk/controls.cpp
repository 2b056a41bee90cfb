// win32-linux/ui/gtk/controls.cpp
// The controls of a dialog as GTK widgets: buttons, check boxes, edit fields and statics made
// from their windows, kept in line with the model, and what the user does with them, passed
// on as the Windows dialog manager passes it (Tab in template order, Escape for IDCANCEL,
// Enter for the focused push button or the default one).
#include "ui/gtk/gtk_private.h"

#include <cstring>

namespace standin::gtk {
namespace {

// Not in the stand-in's header: nothing in the program reads them.
constexpr WORD kEnChange = 0x0300;     // EN_CHANGE: an edit control's text changed
constexpr DWORD kSsRight = 0x0002;     // SS_RIGHT
constexpr DWORD kSsNoPrefix = 0x0080;  // SS_NOPREFIX: "&" is shown as it is

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
    gtk_editable_set_editable(GTK_EDITABLE(entry), (w->style & ES_READONLY) == 0);
    g_signal_connect(entry, "changed", G_CALLBACK(OnEntryChanged), d);
    return entry;
}

// An icon static takes the icon's own size, as on Windows, drawn from the image made for the
// screen's scale (64 pixels for a 32-pixel icon at twice the scale).
GtkWidget* MakeIcon(const Dialog* d, const Window* w) {
    const HICON icon = g_host->loadIcon(w->iconId);
    const IconImage* shown = g_host->iconFromHandle(icon);
    const int side = shown != nullptr ? shown->width : 0;
    const int scale = gtk_widget_get_scale_factor(d->window);
    GdkPixbuf* pixbuf = side > 0 ? PixbufOf(g_host->iconAtSize(icon, side * scale)) : nullptr;
    if (pixbuf != nullptr && gdk_pixbuf_get_width(pixbuf) != side * scale) {
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixbuf, side * scale, side * scale,
                                                    GDK_INTERP_HYPER);
        g_object_unref(pixbuf);
        pixbuf = scaled;
    }
    cairo_surface_t* surface =
        pixbuf != nullptr ? gdk_cairo_surface_create_from_pixbuf(pixbuf, scale, nullptr) : nullptr;
    GtkWidget* image = gtk_image_new_from_surface(surface);
    if (surface != nullptr)
        cairo_surface_destroy(surface);
    if (pixbuf != nullptr)
        g_object_unref(pixbuf);
    gtk_widget_set_halign(image, GTK_ALIGN_START);
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    return image;
}

GtkWidget* MakeStatic(const Dialog* d, const Window* w) {
    if ((w->style & SS_TYPEMASK) == SS_ICON)
        return MakeIcon(d, w);
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

}  // namespace

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
            if (GtkWidget* field = gtk_label_get_mnemonic_widget(GTK_LABEL(widget)))
                atk_object_set_name(gtk_widget_get_accessible(field),
                                    gtk_label_get_text(GTK_LABEL(widget)));
        }
    }
    d->syncing = false;
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

// What a screen reader needs besides the widgets themselves. The window is a dialog. A field
// is named by the static text just before it in the template, as Windows names it, and the
// two are linked both ways; a control with a description has it; the default push button is
// GTK's default widget, which themes draw as such and screen readers report.
void DescribeControls(Dialog* d) {
    atk_object_set_role(gtk_widget_get_accessible(d->window), ATK_ROLE_DIALOG);
    GtkWidget* before = nullptr;  // the widget of the control before, when a text static's
    for (const Control& c : d->controls) {
        const Window* w = g_host->fromHandle(c.hwnd);
        AtkObject* accessible = gtk_widget_get_accessible(c.widget);
        if (w->className == "edit" && before != nullptr) {
            gtk_label_set_mnemonic_widget(GTK_LABEL(before), c.widget);
            atk_object_set_name(accessible, gtk_label_get_text(GTK_LABEL(before)));
        }
        if (!w->description.empty())
            atk_object_set_description(accessible, Utf8(w->description.c_str()).c_str());
        if (w->className == "button" && (w->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            gtk_widget_set_can_default(c.widget, TRUE);
            gtk_window_set_default(GTK_WINDOW(d->window), c.widget);
        }
        before = GTK_IS_LABEL(c.widget) ? c.widget : nullptr;
    }
}

GtkWidget* MakeControl(Dialog* d, const Window* w) {
    if (w->className == "button")
        return MakeButton(d, w);
    if (w->className == "edit")
        return MakeEdit(d, w);
    return MakeStatic(d, w);
}

}  // namespace standin::gtk
