// win32-linux/ui/gtk/dialog_font.cpp
// The font a dialog template asks for, as this desktop shows it.
#include "ui/gtk/gtk_private.h"

namespace standin::gtk {
namespace {

// The logical faces that Windows maps to its own interface font.
constexpr const char* kInterfaceFaces[] = {"MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif"};
// The size those faces are given in nearly every template, which the desktop's size stands for.
constexpr int kInterfacePoints = 8;

}  // namespace

PangoFontDescription* DesktopFont() {
    gchar* name = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-font-name", &name, nullptr);
    PangoFontDescription* font = pango_font_description_from_string(name != nullptr ? name : "");
    g_free(name);
    // GTK's own default for what the setting leaves out.
    if (pango_font_description_get_family(font) == nullptr)
        pango_font_description_set_family(font, "Sans");
    if (pango_font_description_get_size(font) <= 0)
        pango_font_description_set_size(font, 10 * PANGO_SCALE);
    return font;
}

PangoFontDescription* DialogFont(const DialogTemplate& t, const PangoFontDescription* desktop) {
    const std::string& face = t.font.typeface;
    bool interface = !t.hasFont || face.empty();
    for (const char* name : kInterfaceFaces)
        interface = interface || g_ascii_strcasecmp(name, face.c_str()) == 0;
    const int points = t.hasFont && t.font.pointSize > 0 ? t.font.pointSize : kInterfacePoints;
    PangoFontDescription* font = pango_font_description_new();
    if (interface) {
        // The desktop's interface font at its size; a template asking for other than 8 points
        // gets that size in proportion.
        pango_font_description_set_family(font, pango_font_description_get_family(desktop));
        const double size = static_cast<double>(pango_font_description_get_size(desktop)) *
                            points / kInterfacePoints;
        if (pango_font_description_get_size_is_absolute(desktop))
            pango_font_description_set_absolute_size(font, size);
        else
            pango_font_description_set_size(font, static_cast<gint>(size + 0.5));
    } else {
        pango_font_description_set_family(font, face.c_str());
        pango_font_description_set_size(font, points * PANGO_SCALE);
    }
    // The template's weight (0: none given) and slant; Windows' weights are Pango's.
    const WORD weight = t.hasFont ? t.font.weight : 0;
    pango_font_description_set_weight(
        font, weight != 0 ? static_cast<PangoWeight>(weight)
                          : pango_font_description_get_weight(desktop));
    pango_font_description_set_style(font, t.hasFont && t.font.italic ? PANGO_STYLE_ITALIC
                                                                      : PANGO_STYLE_NORMAL);
    return font;
}

}  // namespace standin::gtk
