// win32-linux/tools/icon_png.cpp
// A build tool: writes the program's icon (resource 103, read from the compiled resources as
// the windows read it) as PNG images for the desktop's icon theme.
//
// Usage: icon_png SIDE FILE [SIDE FILE]...
// The icon must hold an image of each SIDE: every size is written as it was drawn, never
// scaled from another.
#include <windows.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>

#include "resource.h"
#include "user32/resources.h"

namespace {

bool Write(const standin::IconImage& icon, const char* file) {
    if (icon.png.data != nullptr) {
        FILE* out = fopen(file, "wb");
        const bool written = out != nullptr &&
                             fwrite(icon.png.data, 1, icon.png.size, out) == icon.png.size;
        return (out != nullptr && fclose(out) == 0) && written;
    }
    GdkPixbuf* pixels = gdk_pixbuf_new_from_data(icon.rgba.data(), GDK_COLORSPACE_RGB, TRUE, 8,
                                                 icon.width, icon.height, icon.width * 4,
                                                 nullptr, nullptr);
    GError* error = nullptr;
    const bool saved = gdk_pixbuf_save(pixels, file, "png", &error, nullptr);
    if (!saved) {
        fprintf(stderr, "icon_png: %s\n", error->message);
        g_error_free(error);
    }
    g_object_unref(pixels);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        fputs("Usage: icon_png SIDE FILE [SIDE FILE]...\n", stderr);
        return 2;
    }
    int status = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int side = atoi(argv[i]);
        const standin::IconImage* icon = standin::IconFromHandle(static_cast<HICON>(
            LoadImageA(nullptr, MAKEINTRESOURCE(IDI_APP), IMAGE_ICON, side, side, 0)));
        if (icon == nullptr || icon->width != side || icon->height != side) {
            fprintf(stderr, "icon_png: icon 103 has no %s x %s image\n", argv[i], argv[i]);
            status = 1;
        } else if (!Write(*icon, argv[i + 1])) {
            fprintf(stderr, "icon_png: cannot write %s\n", argv[i + 1]);
            status = 1;
        }
    }
    return status;
}
