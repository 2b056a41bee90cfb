// win32-linux/programs/version.cpp
#include "programs/version.h"

#include <windows.h>

#include "resource.h"
#include "user32/dialog_template.h"

namespace {
constexpr WORD kStaticClass = 0x82;
}

std::string VersionLine(const char* program) {
    // The About box's first two texts: the name, then the version.
    std::string texts[2];
    int found = 0;
    standin::DialogTemplate about;
    if (standin::LoadDialogTemplate(MAKEINTRESOURCE(IDD_ABOUT), &about))
        for (const standin::DialogItem& item : about.items)
            if (found < 2 && item.windowClass.isOrdinal &&
                item.windowClass.ordinal == kStaticClass && !item.text.isOrdinal)
                texts[found++] = item.text.text;
    return std::string(program) + " (" + texts[0] + ") " + texts[1];
}
