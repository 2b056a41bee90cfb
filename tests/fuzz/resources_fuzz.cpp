// tests/fuzz/resources_fuzz.cpp
// The compiled-resource reader on damaged input: a .res image, a dialog template, an icon
// image or a group icon directory, chosen by the first byte. Whatever it reads is refused or
// read within its bounds, and what it hands back lies inside the input.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "check.h"
#include "user32/dialog_template.h"
#include "user32/resources.h"

namespace {

bool Inside(standin::ResourceBytes part, const uint8_t* data, size_t size) {
    return part.data >= data && part.size <= size &&
           static_cast<size_t>(part.data - data) <= size - part.size;
}

void ReadDialog(const uint8_t* data, size_t size) {
    standin::DialogTemplate t;
    if (!standin::ParseDialogTemplate(data, size, &t))
        return;
    // Each item takes at least its fixed part: a count past what fits was never believed.
    Check(t.items.size() <= size / (t.extended ? 24 : 18));
    for (const standin::DialogItem& item : t.items)
        Check(item.creationData.size() <= size);
}

void ReadIcon(standin::ResourceBytes image) {
    standin::IconImage icon;
    if (!standin::DecodeIconImage(image, &icon))
        return;
    Check(icon.width > 0 && icon.width <= 256 && icon.height > 0 && icon.height <= 256);
    // A PNG image is handed on whole, undecoded.
    if (icon.png.data != nullptr)
        Check(icon.rgba.empty() && icon.png.data == image.data && icon.png.size == image.size);
    else
        Check(icon.rgba.size() == static_cast<size_t>(icon.width) * icon.height * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize) {
    if (inputSize == 0)
        return 0;
    // The part after the selector, in a block of its own, so that a read past it is caught.
    const std::vector<uint8_t> copy(input + 1, input + inputSize);
    const uint8_t* data = copy.data();
    const size_t size = copy.size();
    switch (input[0] % 4) {
    case 0: {
        std::vector<standin::ResourceEntry> entries;
        if (!standin::ParseResourceImage({data, size}, &entries))
            return 0;
        for (const standin::ResourceEntry& e : entries) {
            Check(Inside(e.data, data, size));
            if (e.type.isOrdinal && e.type.ordinal == 5)  // RT_DIALOG
                ReadDialog(e.data.data, e.data.size);
            if (e.type.isOrdinal && e.type.ordinal == 3)  // RT_ICON
                ReadIcon(e.data);
        }
        standin::ResourceBytes found;
        if (standin::FindResourceBytesIn({data, size}, RT_GROUP_ICON, MAKEINTRESOURCE(103), &found)) {
            Check(Inside(found, data, size));
            WORD id = 0;
            if (standin::PickGroupIconEntry(found, 32, &id) &&
                standin::FindResourceBytesIn({data, size}, RT_ICON, MAKEINTRESOURCE(id), &found))
                ReadIcon(found);
        }
        if (standin::FindResourceBytesIn({data, size}, RT_DIALOG, "#101", &found))
            Check(Inside(found, data, size));
        return 0;
    }
    case 1:
        ReadDialog(data, size);
        return 0;
    case 2:
        ReadIcon({data, size});
        return 0;
    default: {
        WORD id = 0;
        standin::PickGroupIconEntry({data, size}, size % 300, &id);
        return 0;
    }
    }
}
