// win32-linux/ui/gtk/color_chooser.cpp
// The colour dialog as GTK's colour chooser, modal to the dialog that owns it: the basic
// colours in six rows of eight, the program's sixteen custom colours in two rows below them
// under the heading "Custom colours:", the initial colour selected.
#include "ui/gtk/gtk_private.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace standin::gtk {
namespace {

constexpr int kPerRow = 8;
constexpr int kCustomColors = 16;

// 0xRRGGBB, row by row: light, full, middle, dark and darkest tints of the hues, then greys.
constexpr unsigned kBasicColors[] = {
    0xFF8080, 0xFFFF80, 0x80FF80, 0x00FF80, 0x80FFFF, 0x0080FF, 0xFF80C0, 0xFF80FF,
    0xFF0000, 0xFFFF00, 0x80FF00, 0x00FF40, 0x00FFFF, 0x0080C0, 0x8080C0, 0xFF00FF,
    0x804040, 0xFF8040, 0x00FF00, 0x008080, 0x004080, 0x8080FF, 0x800040, 0xFF0080,
    0x800000, 0xFF8000, 0x008000, 0x008040, 0x0000FF, 0x0000A0, 0x800080, 0x8000FF,
    0x400000, 0x804000, 0x004000, 0x004040, 0x000080, 0x000040, 0x400040, 0x400080,
    0x000000, 0x808000, 0x808040, 0x808080, 0x408080, 0xC0C0C0, 0x404040, 0xFFFFFF,
};

COLORREF FromHex(unsigned hex) { return RGB(hex >> 16, hex >> 8, hex); }

GdkRGBA ToRgba(COLORREF rgb) {
    return {GetRValue(rgb) / 255.0, GetGValue(rgb) / 255.0, GetBValue(rgb) / 255.0, 1.0};
}

BYTE Channel(double value) {
    return static_cast<BYTE>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

COLORREF FromRgba(const GdkRGBA& rgba) {
    return RGB(Channel(rgba.red), Channel(rgba.green), Channel(rgba.blue));
}

// The grids of swatches below `widget`, in the order they stand.
void FindPalettes(GtkWidget* widget, gpointer grids) {
    if (GTK_IS_GRID(widget))
        static_cast<std::vector<GtkWidget*>*>(grids)->push_back(widget);
    else if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), FindPalettes, grids);
}

// GTK names each swatch by its colour alone and gives a palette no heading. The custom colours,
// the second palette, get the heading the Windows dialog has, and each swatch a name that
// says which custom colour it is.
void NameCustomColors(GtkWidget* chooser, const COLORREF* custom) {
    std::vector<GtkWidget*> grids;
    FindPalettes(chooser, &grids);
    GtkWidget* box = grids.size() >= 2 ? gtk_widget_get_parent(grids[1]) : nullptr;
    if (!GTK_IS_BOX(box))
        return;
    GtkWidget* heading = gtk_label_new("Custom colours:");
    gtk_widget_set_halign(heading, GTK_ALIGN_START);
    gtk_widget_set_margin_top(heading, 12);
    gtk_box_pack_start(GTK_BOX(box), heading, FALSE, TRUE, 0);
    int position = 0;
    gtk_container_child_get(GTK_CONTAINER(box), grids[1], "position", &position, nullptr);
    gtk_box_reorder_child(GTK_BOX(box), heading, position);
    gtk_widget_show(heading);
    gtk_label_set_mnemonic_widget(GTK_LABEL(heading), grids[1]);
    atk_object_set_name(gtk_widget_get_accessible(grids[1]), "Custom colours:");
    GList* swatches = gtk_container_get_children(GTK_CONTAINER(grids[1]));
    for (GList* s = swatches; s != nullptr; s = s->next) {
        int left = 0, top = 0;
        gtk_container_child_get(GTK_CONTAINER(grids[1]), GTK_WIDGET(s->data), "left-attach", &left,
                                "top-attach", &top, nullptr);
        const int i = top * kPerRow + left;
        if (i < 0 || i >= kCustomColors)
            continue;
        const auto percent = [](BYTE v) { return v * 100 / 255; };
        gchar* name = g_strdup_printf("Custom colour %d: Red %d%%, Green %d%%, Blue %d%%", i + 1,
                                      percent(GetRValue(custom[i])), percent(GetGValue(custom[i])),
                                      percent(GetBValue(custom[i])));
        atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(s->data)), name);
        g_free(name);
    }
    g_list_free(swatches);
}

}  // namespace

bool ChooseColor(HWND owner, COLORREF* rgb, const COLORREF* custom, bool* mixed) {
    GtkWidget* chooser = gtk_color_chooser_dialog_new("Color", ChooserParent(owner));
    GtkColorChooser* colors = GTK_COLOR_CHOOSER(chooser);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_color_chooser_set_use_alpha(colors, FALSE);
    std::vector<COLORREF> offered;
    for (unsigned hex : kBasicColors)
        offered.push_back(FromHex(hex));
    offered.insert(offered.end(), custom, custom + kCustomColors);
    std::vector<GdkRGBA> palette;
    for (COLORREF c : offered)
        palette.push_back(ToRgba(c));
    // The first palette given replaces GTK's own.
    const int nBasic = static_cast<int>(std::size(kBasicColors));
    gtk_color_chooser_add_palette(colors, GTK_ORIENTATION_HORIZONTAL, kPerRow, nBasic,
                                  palette.data());
    gtk_color_chooser_add_palette(colors, GTK_ORIENTATION_HORIZONTAL, kPerRow, kCustomColors,
                                  palette.data() + nBasic);
    NameCustomColors(chooser, custom);
    const GdkRGBA initial = ToRgba(*rgb);
    gtk_color_chooser_set_rgba(colors, &initial);
    const bool chosen = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_OK;
    if (chosen) {
        GdkRGBA rgba;
        gtk_color_chooser_get_rgba(colors, &rgba);
        *rgb = FromRgba(rgba);
        *mixed = std::find(offered.begin(), offered.end(), *rgb) == offered.end();
    }
    gtk_widget_destroy(chooser);
    gdk_display_flush(gdk_display_get_default());
    return chosen;
}

}  // namespace standin::gtk
