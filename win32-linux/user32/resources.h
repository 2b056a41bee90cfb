// win32-linux/user32/resources.h
//
// The stand-in's access to Zapfile's compiled resources. The build links the .res file that
// windres makes from res/zapfile.rc into the Linux binaries as it is, between the symbols
// zapfile_resources_begin and zapfile_resources_end; this file finds resources in it by type
// and name as FindResourceA does, and turns icons into RGBA pixels for the window backends.
//
// A .res image is a run of entries, each DWORD-aligned:
//   DWORD DataSize, DWORD HeaderSize, TYPE, NAME (each 0xFFFF + WORD ordinal, or a
//   zero-terminated UTF-16LE string), padding to a DWORD, DWORD DataVersion,
//   WORD MemoryFlags, WORD LanguageId, DWORD Version, DWORD Characteristics,
//   then DataSize bytes of data at HeaderSize from the entry's start, padded to a DWORD.
#ifndef ZAPFILE_STANDIN_USER32_RESOURCES_H
#define ZAPFILE_STANDIN_USER32_RESOURCES_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Little-endian reads of the fields of resources and dialog templates, and the alignment
// their parts start on.
inline WORD ReadWord(const unsigned char* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD ReadDword(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}
inline size_t AlignDword(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

// A run of bytes inside a resource image; it stays valid as long as the image does (the
// linked one lives as long as the process).
struct ResourceBytes {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// A name that is either a 16-bit ordinal or a string; resource types and names, and in
// dialog templates the menu, window class and control texts, are written this way.
// An empty string with isOrdinal false stands for "none".
struct ResourceName {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::string text;  // UTF-8
};

// One entry of a .res image.
struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    WORD memoryFlags = 0;
    WORD languageId = 0;
    ResourceBytes data;
};

// The resources linked into this binary; empty when the binary carries none.
ResourceBytes LinkedResourceImage();

// Splits a whole .res image into its entries. A truncated or inconsistent image is refused as
// a whole (false), so that a damaged file never yields half its resources.
bool ParseResourceImage(ResourceBytes image, std::vector<ResourceEntry>* out);

// Finds a resource as FindResourceA does: type and name are each either MAKEINTRESOURCE(n),
// a "#n" string meaning the ordinal n, or a string compared without regard to case. The
// first matching entry wins, whatever its language. False if the image is corrupt or has no
// such resource.
bool FindResourceBytesIn(ResourceBytes image, LPCSTR type, LPCSTR name, ResourceBytes* out);
// The same in the resources linked into this binary.
bool FindResourceBytes(LPCSTR type, LPCSTR name, ResourceBytes* out);
// A type or name as FindResourceA compares it: an ordinal (from MAKEINTRESOURCE or "#n"), or
// the text in upper case. Two names that find the same resource give equal keys.
ResourceName ResourceKey(LPCSTR name);

// Reads a name-or-ordinal field at *offset of data[0, size) and moves *offset past it:
// 0xFFFF then the ordinal, 0x0000 for an empty name, or a zero-terminated UTF-16LE string.
// False, with *offset unchanged, if the field runs past the end.
bool ReadResourceName(const unsigned char* data, size_t size, size_t* offset, ResourceName* out);
// Reads a zero-terminated UTF-16LE string at *offset, as UTF-8, and moves *offset past the
// terminator. Unpaired surrogates become U+FFFD. False if no terminator lies before the end.
bool ReadUtf16String(const unsigned char* data, size_t size, size_t* offset, std::string* out);

// A decoded icon: the pixels in RGBA order (4 bytes a pixel, top row first), alpha 0 where the
// icon's mask lets the background through and 255 elsewhere (32-bit images give their own
// alpha). bitCount and colorCount describe the image as stored (colorCount 0 above 8 bits).
// A PNG image is not decoded here: rgba stays empty and png holds its bytes.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    int colorCount = 0;
    std::vector<uint8_t> rgba;
    ResourceBytes png;
};

// Decodes one RT_ICON image: a BITMAPINFOHEADER, the palette, the colour bits (1, 4, 8, 24
// or 32 bits a pixel, uncompressed) and the 1-bit AND mask, rows stored bottom-up; or a PNG,
// of which only the size is read. False for anything truncated or malformed.
bool DecodeIconImage(ResourceBytes image, IconImage* out);

// From an RT_GROUP_ICON directory, the id of the RT_ICON image that suits a `side` x `side`
// icon best: that size if there, else the nearest, and among equals the most colours.
bool PickGroupIconEntry(ResourceBytes group, int side, WORD* iconId);

// LoadImageA of an icon from an explicit image: looks up the group icon and the image it
// picks for `side`, and keeps them for the life of the process; the image is decoded on its
// first use. The same image, name and side give the same handle; the image is known by its
// address, so one image must not be replaced by another in its place. NULL if the icon or its
// image is missing.
HICON LoadIconFromImage(ResourceBytes image, LPCSTR name, int side);

// The same icon (the same group of the same image) loaded for another size; NULL for a handle
// that is not an icon.
HICON IconAtSize(HICON icon, int side);

// The decoded icon behind a handle from LoadIconA or LoadImageA, or nullptr for anything else
// and for an image that cannot be decoded.
const IconImage* IconFromHandle(HICON icon);

}  // namespace standin

#endif
