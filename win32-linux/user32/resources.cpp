// win32-linux/user32/resources.cpp
//
// Finding resources in the linked .res image. Everything here reads bytes
// that come from a file, so every read is checked against the end first; a damaged image is
// refused rather than half read.
#include "user32/resources.h"


// The resource blob is linked only into the programs that show windows; the registry tool and
// the library tests go without. Weak references let those link, and then see no resources.
extern "C" const unsigned char zapfile_resources_begin[] __attribute__((weak));
extern "C" const unsigned char zapfile_resources_end[] __attribute__((weak));

namespace standin {
namespace {

constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr size_t kResFixedHeader = 8;     // DataSize, HeaderSize
constexpr size_t kResHeaderTail = 16;     // DataVersion .. Characteristics
constexpr uint32_t kReplacementChar = 0xFFFD;

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
    DWORD dataSize = ReadDword(base + offset);
    DWORD headerSize = ReadDword(base + offset + 4);
    if (headerSize > image.size - offset) return false;
    // The names and the fixed tail must lie inside the header that HeaderSize announces.
    size_t headerEnd = offset + headerSize;
    size_t pos = offset + kResFixedHeader;
    if (!ReadResourceName(base, headerEnd, &pos, &entry->type)) return false;
    if (!ReadResourceName(base, headerEnd, &pos, &entry->name)) return false;
    pos = AlignDword(pos);
    if (pos > headerEnd || headerEnd - pos < kResHeaderTail) return false;
    entry->memoryFlags = ReadWord(base + pos + 4);
    entry->languageId = ReadWord(base + pos + 6);
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
        uint32_t unit = ReadWord(data + pos);
        pos += 2;
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            // A high surrogate counts only when a low one follows; otherwise the next unit is
            // read on its own on the next turn.
            if (size - pos >= 2) {
                uint32_t low = ReadWord(data + pos);
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
    if (ReadWord(data + pos) == kOrdinalMarker) {
        if (size - pos < 4) return false;
        name.isOrdinal = true;
        name.ordinal = ReadWord(data + pos + 2);
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

ResourceName ResourceKey(LPCSTR name) {
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

}  // namespace standin
