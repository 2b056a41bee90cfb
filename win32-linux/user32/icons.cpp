// win32-linux/user32/icons.cpp
//
// LoadIconA and LoadImageA over the linked resources: the group icon's best image for the
// size asked for (32 x 32 for LoadIconA), kept for the life of the process and decoded into
// RGBA pixels when a window first shows it. The image bytes come from a file, so every read
// is checked against the end first.
#include "user32/resources.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace standin {
namespace {

constexpr size_t kGroupIconHeader = 6;    // reserved, type, count
constexpr size_t kGroupIconEntry = 14;    // GRPICONDIRENTRY
constexpr WORD kGroupIconType = 1;
constexpr size_t kBitmapInfoHeader = 40;  // BITMAPINFOHEADER
constexpr DWORD kBiRgb = 0;
constexpr int kMaxIconSide = 256;
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kPngHeaderEnd = 33;      // the signature, then the IHDR chunk

// An icon is found when it is loaded but decoded only when a window first draws it: the
// command-line deletion loads the icon and never shows it.
struct LoadedIcon {
    ResourceBytes image;         // which resource image it came from
    ResourceName name;           // the name it was asked for, as stored for comparison
    int side;                    // the size it was asked for
    ResourceBytes source;        // the RT_ICON image picked from the group
    bool decoded = false;
    bool valid = false;
    IconImage icon;
};

struct IconTable {
    std::mutex lock;
    std::vector<std::unique_ptr<LoadedIcon>> icons;
};

IconTable& Icons() {
    static IconTable table;
    return table;
}

bool SameKey(const ResourceName& a, const ResourceName& b) {
    return a.isOrdinal == b.isOrdinal && a.ordinal == b.ordinal && a.text == b.text;
}

HICON HandleOf(LoadedIcon* loaded) { return reinterpret_cast<HICON>(&loaded->icon); }

// The group's best RT_ICON image for `side`, in the linked resources (whose entries are read
// once) or in another image.
bool FindIconImage(ResourceBytes image, LPCSTR name, int side, ResourceBytes* out) {
    const bool linked = image.data == LinkedResourceImage().data;
    auto find = [&](LPCSTR type, LPCSTR wanted, ResourceBytes* found) {
        return linked ? FindResourceBytes(type, wanted, found)
                      : FindResourceBytesIn(image, type, wanted, found);
    };
    ResourceBytes group;
    if (!find(RT_GROUP_ICON, name, &group)) return false;
    WORD iconId = 0;
    if (!PickGroupIconEntry(group, side, &iconId)) return false;
    return find(RT_ICON, MAKEINTRESOURCE(iconId), out);
}

HICON LoadIconCached(ResourceBytes image, LPCSTR name, int side) {
    if (name == nullptr) return nullptr;
    ResourceName key = ResourceKey(name);
    IconTable& table = Icons();
    std::lock_guard<std::mutex> guard(table.lock);
    for (const auto& loaded : table.icons) {
        if (loaded->image.data == image.data && SameKey(loaded->name, key) &&
            loaded->side == side) {
            return HandleOf(loaded.get());
        }
    }
    auto loaded = std::make_unique<LoadedIcon>();
    loaded->image = image;
    loaded->name = key;
    loaded->side = side;
    if (!FindIconImage(image, name, side, &loaded->source)) return nullptr;
    table.icons.push_back(std::move(loaded));
    return HandleOf(table.icons.back().get());
}

// Reads the colour of pixel x of a DIB row; false for a palette index past the palette.
bool PixelColour(const unsigned char* row, int x, int bitCount, const unsigned char* palette,
                 size_t colours, uint8_t rgba[4]) {
    size_t index = 0;
    switch (bitCount) {
        case 1: index = (row[x / 8] >> (7 - x % 8)) & 1; break;
        case 4: index = (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0F); break;
        case 8: index = row[x]; break;
        case 24:
            rgba[0] = row[x * 3 + 2];
            rgba[1] = row[x * 3 + 1];
            rgba[2] = row[x * 3];
            rgba[3] = 255;
            return true;
        case 32:
            rgba[0] = row[x * 4 + 2];
            rgba[1] = row[x * 4 + 1];
            rgba[2] = row[x * 4];
            rgba[3] = row[x * 4 + 3];
            return true;
        default: return false;
    }
    if (index >= colours) return false;
    // The palette holds RGBQUADs: blue, green, red, reserved.
    rgba[0] = palette[index * 4 + 2];
    rgba[1] = palette[index * 4 + 1];
    rgba[2] = palette[index * 4];
    rgba[3] = 255;
    return true;
}

}  // namespace

bool PickGroupIconEntry(ResourceBytes group, int side, WORD* iconId) {
    if (group.data == nullptr || group.size < kGroupIconHeader) return false;
    const unsigned char* p = group.data;
    if (ReadWord(p) != 0 || ReadWord(p + 2) != kGroupIconType) return false;
    size_t count = ReadWord(p + 4);
    if (count == 0 || (group.size - kGroupIconHeader) / kGroupIconEntry < count) return false;
    bool found = false;
    int bestDistance = 0;
    int bestBits = 0;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* e = p + kGroupIconHeader + i * kGroupIconEntry;
        // A width or height of 0 means 256.
        int width = e[0] ? e[0] : kMaxIconSide;
        int height = e[1] ? e[1] : kMaxIconSide;
        int bits = ReadWord(e + 6);
        if (bits == 0) {
            // Old directories give only the number of colours.
            for (int colours = e[2]; colours > 1; colours >>= 1) ++bits;
        }
        int dw = width > side ? width - side : side - width;
        int dh = height > side ? height - side : side - height;
        int distance = dw + dh;
        if (!found || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            found = true;
            bestDistance = distance;
            bestBits = bits;
            *iconId = ReadWord(e + 12);
        }
    }
    return found;
}

bool DecodeIconImage(ResourceBytes image, IconImage* out) {
    const unsigned char* p = image.data;
    // A PNG image is handed on as it is, its size read from its header; a window backend
    // decodes it.
    if (p != nullptr && image.size >= kPngHeaderEnd &&
        std::equal(kPngSignature, kPngSignature + 8, p) && std::equal(p + 12, p + 16, "IHDR")) {
        const auto bigEndian = [](const unsigned char* q) {
            return static_cast<DWORD>(q[0]) << 24 | q[1] << 16 | q[2] << 8 | q[3];
        };
        const DWORD width = bigEndian(p + 16), height = bigEndian(p + 20);
        if (width == 0 || width > kMaxIconSide || height == 0 || height > kMaxIconSide)
            return false;
        *out = IconImage{static_cast<int>(width), static_cast<int>(height), 32, 0, {}, image};
        return true;
    }
    if (p == nullptr || image.size < kBitmapInfoHeader) return false;
    DWORD headerSize = ReadDword(p);
    if (headerSize < kBitmapInfoHeader || headerSize > image.size) return false;
    int32_t width = static_cast<int32_t>(ReadDword(p + 4));
    int32_t doubleHeight = static_cast<int32_t>(ReadDword(p + 8));
    WORD planes = ReadWord(p + 12);
    WORD bitCount = ReadWord(p + 14);
    DWORD compression = ReadDword(p + 16);
    DWORD coloursUsed = ReadDword(p + 32);
    // The height covers the colour bits and the mask together, bottom-up.
    if (width <= 0 || width > kMaxIconSide) return false;
    if (doubleHeight <= 0 || doubleHeight % 2 != 0 || doubleHeight / 2 > kMaxIconSide) return false;
    if (planes != 1 || compression != kBiRgb) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        return false;
    }
    int height = doubleHeight / 2;

    size_t colours = coloursUsed;
    if (bitCount <= 8) {
        size_t most = size_t{1} << bitCount;
        if (colours == 0) colours = most;
        if (colours > most) return false;
    } else if (colours > 256) {
        return false;  // an optional palette above 8 bits is unused, but must still fit
    }
    size_t paletteOffset = headerSize;
    if (colours > (image.size - paletteOffset) / 4) return false;
    size_t bitsOffset = paletteOffset + colours * 4;
    size_t xorStride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    size_t xorSize = xorStride * static_cast<size_t>(height);
    size_t andSize = andStride * static_cast<size_t>(height);
    if (xorSize > image.size - bitsOffset) return false;
    size_t maskOffset = bitsOffset + xorSize;
    // A 32-bit image may carry its transparency in alpha alone; all others need the mask.
    bool haveMask = andSize <= image.size - maskOffset;
    if (!haveMask && bitCount != 32) return false;

    const unsigned char* palette = p + paletteOffset;
    IconImage icon;
    icon.width = width;
    icon.height = height;
    icon.bitCount = bitCount;
    icon.colorCount = bitCount <= 8 ? static_cast<int>(colours) : 0;
    icon.rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = p + bitsOffset + xorStride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint8_t* px = &icon.rgba[(static_cast<size_t>(y) * width + x) * 4];
            if (!PixelColour(row, x, bitCount, palette, colours, px)) return false;
            if (bitCount == 32 && px[3] != 0) anyAlpha = true;
        }
    }
    // A 32-bit image whose alpha is all zero predates alpha icons: its mask decides.
    bool useMask = haveMask && !(bitCount == 32 && anyAlpha);
    if (useMask) {
        for (int y = 0; y < height; ++y) {
            const unsigned char* row =
                p + maskOffset + andStride * static_cast<size_t>(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
                icon.rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] = transparent ? 0 : 255;
            }
        }
    } else if (!anyAlpha) {
        return false;  // 32 bits, no alpha and no mask: nothing says what to show
    }
    *out = std::move(icon);
    return true;
}

HICON LoadIconFromImage(ResourceBytes image, LPCSTR name, int side) {
    return LoadIconCached(image, name, side);
}

HICON IconAtSize(HICON icon, int side) {
    ResourceBytes image;
    ResourceName name;
    {
        IconTable& table = Icons();
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = std::find_if(table.icons.begin(), table.icons.end(),
                               [&](const auto& loaded) { return HandleOf(loaded.get()) == icon; });
        if (it == table.icons.end()) return nullptr;
        image = (*it)->image;
        name = (*it)->name;
    }
    return LoadIconCached(image, name.isOrdinal ? MAKEINTRESOURCE(name.ordinal) : name.text.c_str(),
                          side);
}

const IconImage* IconFromHandle(HICON icon) {
    if (icon == nullptr) return nullptr;
    IconTable& table = Icons();
    std::lock_guard<std::mutex> guard(table.lock);
    for (const auto& loaded : table.icons) {
        if (HandleOf(loaded.get()) != icon) continue;
        if (!loaded->decoded) {
            loaded->valid = DecodeIconImage(loaded->source, &loaded->icon);
            loaded->decoded = true;
        }
        return loaded->valid ? &loaded->icon : nullptr;
    }
    return nullptr;
}

}  // namespace standin

// The stand-in has one module, the program itself, so every instance handle names it; the
// system's predefined icons (IDI_APPLICATION and the like) are not available.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    (void)hInstance;
    return standin::LoadIconCached(standin::LinkedResourceImage(), lpIconName,
                                   GetSystemMetrics(SM_CXICON));
}

// Icons only, from the program's resources; a size of 0 is the system's icon size.
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    (void)hInst;
    (void)cy;
    (void)fuLoad;
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return standin::LoadIconCached(standin::LinkedResourceImage(), name,
                                   cx > 0 ? cx : GetSystemMetrics(SM_CXICON));
}

// The sizes a screen of 96 DPI has; the window backends scale on their own.
int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}
