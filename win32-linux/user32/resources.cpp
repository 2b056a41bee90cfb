// win32-linux/user32/resources.cpp
//
// Finding resources in the linked .res image and decoding icons. Everything here reads bytes
// that come from a file, so every read is checked against the end first; a damaged image is
// refused rather than half read.
#include "user32/resources.h"

#include <memory>
#include <mutex>

// The resource blob is linked only into the programs that show windows; the registry tool and
// the library tests go without. Weak references let those link, and then see no resources.
extern "C" const unsigned char zapfile_resources_begin[] __attribute__((weak));
extern "C" const unsigned char zapfile_resources_end[] __attribute__((weak));

namespace standin {
namespace {

constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr size_t kResFixedHeader = 8;     // DataSize, HeaderSize
constexpr size_t kResHeaderTail = 16;     // DataVersion .. Characteristics
constexpr size_t kGroupIconHeader = 6;    // reserved, type, count
constexpr size_t kGroupIconEntry = 14;    // GRPICONDIRENTRY
constexpr WORD kGroupIconType = 1;
constexpr size_t kBitmapInfoHeader = 40;  // BITMAPINFOHEADER
constexpr DWORD kBiRgb = 0;
constexpr int kMaxIconSide = 256;
constexpr int kWantedIconSide = 32;       // SM_CXICON on a usual screen
constexpr uint32_t kReplacementChar = 0xFFFD;

WORD Word(const unsigned char* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

DWORD Dword(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

size_t AlignDword(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

void AppendUtf8(uint32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return b[i] == '\0';
}

// FindResourceA reads "#123" as the ordinal 123.
bool ParseHashOrdinal(const char* s, WORD* ordinal) {
    if (s[0] != '#' || s[1] == '\0') return false;
    uint32_t value = 0;
    for (const char* p = s + 1; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > 0xFFFF) return false;
    }
    *ordinal = static_cast<WORD>(value);
    return true;
}

bool NameMatches(const ResourceName& have, LPCSTR want) {
    if (IS_INTRESOURCE(want)) {
        WORD ordinal = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(want));
        return have.isOrdinal && have.ordinal == ordinal;
    }
    WORD ordinal = 0;
    if (ParseHashOrdinal(want, &ordinal)) return have.isOrdinal && have.ordinal == ordinal;
    return !have.isOrdinal && EqualNoCase(have.text, want);
}

// Reads one entry at offset; *next is where the following one starts (possibly past the end
// when the last entry's padding is left off).
bool ParseEntry(ResourceBytes image, size_t offset, ResourceEntry* entry, size_t* next) {
    const unsigned char* base = image.data;
    if (image.size - offset < kResFixedHeader) return false;
    DWORD dataSize = Dword(base + offset);
    DWORD headerSize = Dword(base + offset + 4);
    if (headerSize > image.size - offset) return false;
    // The names and the fixed tail must lie inside the header that HeaderSize announces.
    size_t headerEnd = offset + headerSize;
    size_t pos = offset + kResFixedHeader;
    if (!ReadResourceName(base, headerEnd, &pos, &entry->type)) return false;
    if (!ReadResourceName(base, headerEnd, &pos, &entry->name)) return false;
    pos = AlignDword(pos);
    if (pos > headerEnd || headerEnd - pos < kResHeaderTail) return false;
    entry->memoryFlags = Word(base + pos + 4);
    entry->languageId = Word(base + pos + 6);
    if (dataSize > image.size - headerEnd) return false;
    entry->data.data = base + headerEnd;
    entry->data.size = dataSize;
    *next = AlignDword(headerEnd + dataSize);
    return true;
}

const std::vector<ResourceEntry>* LinkedEntries() {
    // Parsed once; the linked image never changes. An unreadable image gives no resources.
    static const std::vector<ResourceEntry> entries = [] {
        std::vector<ResourceEntry> parsed;
        if (!ParseResourceImage(LinkedResourceImage(), &parsed)) parsed.clear();
        return parsed;
    }();
    return &entries;
}

bool FindInEntries(const std::vector<ResourceEntry>& entries, LPCSTR type, LPCSTR name,
                   ResourceBytes* out) {
    if (type == nullptr || name == nullptr) return false;
    for (const ResourceEntry& e : entries) {
        if (NameMatches(e.type, type) && NameMatches(e.name, name)) {
            *out = e.data;
            return true;
        }
    }
    return false;
}

// ---- Icons ------------------------------------------------------------------------------

// An icon is found when it is loaded but decoded only when a window first draws it: the
// command-line deletion loads the icon and never shows it.
struct LoadedIcon {
    const unsigned char* image;  // which resource image it came from
    ResourceName name;           // the name it was asked for, as stored for comparison
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

ResourceName KeyFor(LPCSTR name) {
    ResourceName key;
    WORD ordinal = 0;
    if (IS_INTRESOURCE(name)) {
        key.isOrdinal = true;
        key.ordinal = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else if (ParseHashOrdinal(name, &ordinal)) {
        key.isOrdinal = true;
        key.ordinal = ordinal;
    } else {
        for (const char* p = name; *p; ++p) key.text.push_back(AsciiUpper(*p));
    }
    return key;
}

bool SameKey(const ResourceName& a, const ResourceName& b) {
    return a.isOrdinal == b.isOrdinal && a.ordinal == b.ordinal && a.text == b.text;
}

HICON HandleOf(LoadedIcon* loaded) { return reinterpret_cast<HICON>(&loaded->icon); }

bool FindIconImage(const std::vector<ResourceEntry>& entries, LPCSTR name, ResourceBytes* out) {
    ResourceBytes group;
    if (!FindInEntries(entries, RT_GROUP_ICON, name, &group)) return false;
    WORD iconId = 0;
    if (!PickGroupIconEntry(group, &iconId)) return false;
    return FindInEntries(entries, RT_ICON, MAKEINTRESOURCE(iconId), out);
}

HICON LoadIconCached(ResourceBytes image, const std::vector<ResourceEntry>& entries, LPCSTR name) {
    if (name == nullptr) return nullptr;
    ResourceName key = KeyFor(name);
    IconTable& table = Icons();
    std::lock_guard<std::mutex> guard(table.lock);
    for (const auto& loaded : table.icons) {
        if (loaded->image == image.data && SameKey(loaded->name, key)) {
            return HandleOf(loaded.get());
        }
    }
    auto loaded = std::make_unique<LoadedIcon>();
    loaded->image = image.data;
    loaded->name = key;
    if (!FindIconImage(entries, name, &loaded->source)) return nullptr;
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

ResourceBytes LinkedResourceImage() {
    ResourceBytes image;
    const unsigned char* begin = zapfile_resources_begin;
    const unsigned char* end = zapfile_resources_end;
    if (begin != nullptr && end != nullptr && end > begin) {
        image.data = begin;
        image.size = static_cast<size_t>(end - begin);
    }
    return image;
}

bool ReadUtf16String(const unsigned char* data, size_t size, size_t* offset, std::string* out) {
    std::string text;
    size_t pos = *offset;
    for (;;) {
        if (pos > size || size - pos < 2) return false;
        uint32_t unit = Word(data + pos);
        pos += 2;
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            // A high surrogate counts only when a low one follows; otherwise the next unit is
            // read on its own on the next turn.
            if (size - pos >= 2) {
                uint32_t low = Word(data + pos);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    pos += 2;
                    AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &text);
                    continue;
                }
            }
            AppendUtf8(kReplacementChar, &text);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(kReplacementChar, &text);
        } else {
            AppendUtf8(unit, &text);
        }
    }
    *offset = pos;
    *out = std::move(text);
    return true;
}

bool ReadResourceName(const unsigned char* data, size_t size, size_t* offset, ResourceName* out) {
    size_t pos = *offset;
    if (pos > size || size - pos < 2) return false;
    ResourceName name;
    if (Word(data + pos) == kOrdinalMarker) {
        if (size - pos < 4) return false;
        name.isOrdinal = true;
        name.ordinal = Word(data + pos + 2);
        pos += 4;
    } else if (!ReadUtf16String(data, size, &pos, &name.text)) {
        return false;
    }
    *offset = pos;
    *out = std::move(name);
    return true;
}

bool ParseResourceImage(ResourceBytes image, std::vector<ResourceEntry>* out) {
    out->clear();
    if (image.data == nullptr) return image.size == 0;
    std::vector<ResourceEntry> entries;
    size_t offset = 0;
    while (offset < image.size) {
        ResourceEntry entry;
        size_t next = 0;
        if (!ParseEntry(image, offset, &entry, &next)) return false;
        entries.push_back(std::move(entry));
        offset = next;
    }
    *out = std::move(entries);
    return true;
}

bool FindResourceBytesIn(ResourceBytes image, LPCSTR type, LPCSTR name, ResourceBytes* out) {
    std::vector<ResourceEntry> entries;
    if (!ParseResourceImage(image, &entries)) return false;
    return FindInEntries(entries, type, name, out);
}

bool FindResourceBytes(LPCSTR type, LPCSTR name, ResourceBytes* out) {
    return FindInEntries(*LinkedEntries(), type, name, out);
}

bool PickGroupIconEntry(ResourceBytes group, WORD* iconId) {
    if (group.data == nullptr || group.size < kGroupIconHeader) return false;
    const unsigned char* p = group.data;
    if (Word(p) != 0 || Word(p + 2) != kGroupIconType) return false;
    size_t count = Word(p + 4);
    if (count == 0 || (group.size - kGroupIconHeader) / kGroupIconEntry < count) return false;
    bool found = false;
    int bestDistance = 0;
    int bestBits = 0;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* e = p + kGroupIconHeader + i * kGroupIconEntry;
        // A width or height of 0 means 256.
        int width = e[0] ? e[0] : kMaxIconSide;
        int height = e[1] ? e[1] : kMaxIconSide;
        int bits = Word(e + 6);
        if (bits == 0) {
            // Old directories give only the number of colours.
            for (int colours = e[2]; colours > 1; colours >>= 1) ++bits;
        }
        int dw = width > kWantedIconSide ? width - kWantedIconSide : kWantedIconSide - width;
        int dh = height > kWantedIconSide ? height - kWantedIconSide : kWantedIconSide - height;
        int distance = dw + dh;
        if (!found || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            found = true;
            bestDistance = distance;
            bestBits = bits;
            *iconId = Word(e + 12);
        }
    }
    return found;
}

bool DecodeIconImage(ResourceBytes image, IconImage* out) {
    const unsigned char* p = image.data;
    if (p == nullptr || image.size < kBitmapInfoHeader) return false;
    DWORD headerSize = Dword(p);
    if (headerSize < kBitmapInfoHeader || headerSize > image.size) return false;
    int32_t width = static_cast<int32_t>(Dword(p + 4));
    int32_t doubleHeight = static_cast<int32_t>(Dword(p + 8));
    WORD planes = Word(p + 12);
    WORD bitCount = Word(p + 14);
    DWORD compression = Dword(p + 16);
    DWORD coloursUsed = Dword(p + 32);
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

HICON LoadIconFromImage(ResourceBytes image, LPCSTR name) {
    std::vector<ResourceEntry> entries;
    if (!ParseResourceImage(image, &entries)) return nullptr;
    return LoadIconCached(image, entries, name);
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
    return standin::LoadIconCached(standin::LinkedResourceImage(), *standin::LinkedEntries(),
                                   lpIconName);
}
