// win32-linux/tools/icon_png.cpp
// A build tool: writes the program's icon (resource 103, read from the compiled resources as
// the windows read it) as PNG images for the desktop's icon theme.
//
// Usage: icon_png SIDE FILE [SIDE FILE]...
// Each SIDE must be a whole multiple of the icon's own side: every pixel becomes a square
// block, so an enlarged icon stays exactly as sharp as the icon itself.
#include <windows.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>

#include "resource.h"
#include "user32/resources.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        fputs("Usage: icon_png SIDE FILE [SIDE FILE]...\n", stderr);
        return 2;
    }
    const standin::IconImage* icon =
        standin::IconFromHandle(LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP)));
    if (icon == nullptr || icon->width != icon->height) {
        fputs("icon_png: icon 103 is missing or not square\n", stderr);
        return 1;
    }
    GdkPixbuf* pixels = gdk_pixbuf_new_from_data(icon->rgba.data(), GDK_COLORSPACE_RGB, TRUE, 8,
                                                 icon->width, icon->height, icon->width * 4,
                                                 nullptr, nullptr);
    int status = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int side = atoi(argv[i]);
        if (side <= 0 || side % icon->width != 0) {
            fprintf(stderr, "icon_png: %s is not a multiple of %d\n", argv[i], icon->width);
            status = 1;
            continue;
        }
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixels, side, side, GDK_INTERP_NEAREST);
        GError* error = nullptr;
        if (!gdk_pixbuf_save(scaled, argv[i + 1], "png", &error, nullptr)) {
            fprintf(stderr, "icon_png: %s: %s\n", argv[i + 1], error->message);
            g_error_free(error);
            status = 1;
        }
        g_object_unref(scaled);
    }
    g_object_unref(pixels);
    return status;
}
