// tests/standin/resources_test.cpp
//
// Finding resources, decoding icons, and refusing damaged input. Damaged input is placed
// right before an inaccessible page, so that a read past its end crashes the test instead of
// going unnoticed.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "resource.h"
#include "resources.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A copy of some bytes that ends exactly where an unreadable page begins.
class Guarded {
public:
    explicit Guarded(const Bytes& bytes) {
        size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        size_t dataPages = bytes.empty() ? 1 : (bytes.size() + page - 1) / page;
        span_ = (dataPages + 1) * page;
        void* base =
            mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) return;
        base_ = static_cast<unsigned char*>(base);
        mprotect(base_ + dataPages * page, page, PROT_NONE);
        data_ = base_ + dataPages * page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~Guarded() {
        if (base_) munmap(base_, span_);
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }
    standin::ResourceBytes bytes() const { return {data_, size_}; }

private:
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    size_t span_ = 0;
};

void Put16(Bytes& b, unsigned w) {
    b.push_back(static_cast<unsigned char>(w & 0xFF));
    b.push_back(static_cast<unsigned char>((w >> 8) & 0xFF));
}
void Put32(Bytes& b, DWORD d) {
    Put16(b, d & 0xFFFF);
    Put16(b, d >> 16);
}
void PutText(Bytes& b, const std::u16string& s) {
    for (char16_t c : s) Put16(b, c);
    Put16(b, 0);
}
void PadDword(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}

// One .res entry; a name given as text is written as a string, otherwise as an ordinal.
void PutEntry(Bytes& b, WORD typeOrdinal, const std::u16string& nameText, WORD nameOrdinal,
              const Bytes& data) {
    Bytes header;
    Put16(header, 0xFFFF);
    Put16(header, typeOrdinal);
    if (nameText.empty()) {
        Put16(header, 0xFFFF);
        Put16(header, nameOrdinal);
    } else {
        PutText(header, nameText);
    }
    while ((header.size() + 8) % 4) header.push_back(0);
    Put32(header, 0);       // DataVersion
    Put16(header, 0x1030);  // MemoryFlags
    Put16(header, 0x0409);  // LanguageId
    Put32(header, 0);       // Version
    Put32(header, 0);       // Characteristics
    Put32(b, static_cast<DWORD>(data.size()));
    Put32(b, static_cast<DWORD>(header.size() + 8));
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), data.begin(), data.end());
    PadDword(b);
}

// A bottom-up DIB icon image; `rows` are given top row first, one palette index or packed
// colour per pixel, `mask` likewise with 1 for transparent.
Bytes Dib(int width, int bits, const std::vector<std::vector<DWORD>>& rows,
          const std::vector<std::vector<int>>& mask, const std::vector<DWORD>& palette) {
    Bytes b;
    int height = static_cast<int>(rows.size());
    Put32(b, 40);
    Put32(b, static_cast<DWORD>(width));
    Put32(b, static_cast<DWORD>(height * 2));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(bits));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<DWORD>(palette.size()));
    Put32(b, 0);
    for (DWORD bgr : palette) Put32(b, bgr);
    size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x) {
            DWORD v = rows[y][x];
            if (bits == 4) row[x / 2] |= static_cast<unsigned char>(x % 2 ? v : v << 4);
            if (bits == 8) row[x] = static_cast<unsigned char>(v);
            for (int k = 0; bits >= 24 && k < bits / 8; ++k) {
                row[x * (bits / 8) + k] = (v >> (8 * k)) & 0xFF;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < width; ++x) {
            if (mask[y][x]) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes GroupIcon(const std::vector<std::vector<unsigned>>& entries) {  // w, h, colours, bits, id
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(entries.size()));
    for (const auto& e : entries) {
        b.push_back(static_cast<unsigned char>(e[0]));
        b.push_back(static_cast<unsigned char>(e[1]));
        b.push_back(static_cast<unsigned char>(e[2]));
        b.push_back(0);
        Put16(b, 1);
        Put16(b, e[3]);
        Put32(b, 0);
        Put16(b, e[4]);
    }
    return b;
}

const uint8_t* Pixel(const standin::IconImage& icon, int x, int y) {
    return &icon.rgba[(static_cast<size_t>(y) * icon.width + x) * 4];
}

// ---- The linked icon --------------------------------------------------------------------

TEST(LinkedIcon, GroupHoldsOne32x32SixteenColourImage) {
    standin::ResourceBytes group;
    ASSERT_TRUE(standin::FindResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCE(IDI_APP), &group));
    ASSERT_EQ(group.size, 6u + 14u);
    const unsigned char* g = group.data;
    EXPECT_EQ(g[4] | (g[5] << 8), 1);                     // one image
    EXPECT_EQ(g[6], 32);                                  // width
    EXPECT_EQ(g[7], 32);                                  // height
    EXPECT_EQ(g[8], 16);                                  // colours
    EXPECT_EQ(g[12] | (g[13] << 8), 4);                   // bits per pixel
    WORD id = static_cast<WORD>(g[18] | (g[19] << 8));

    standin::ResourceBytes image;
    ASSERT_TRUE(standin::FindResourceBytes(RT_ICON, MAKEINTRESOURCE(id), &image));
    // Header, 16 palette entries, 4-bit colour rows, then the 1-bit mask.
    EXPECT_EQ(image.size, 40u + 16 * 4 + 32 * 16 + 32 * 4);
    ASSERT_GE(image.size, 16u);
    EXPECT_EQ(image.data[8], 64);   // height of colour bits and mask together
    EXPECT_EQ(image.data[14], 4);
}

TEST(LinkedIcon, LoadIconGivesOneHandleWithTransparentAndOpaquePixels) {
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP)), icon);
    EXPECT_EQ(LoadIconA(nullptr, "#103"), icon);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(IDD_MAIN)), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, "ZAPFILE"), nullptr);

    const standin::IconImage* image = standin::IconFromHandle(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(image->bitCount, 4);
    EXPECT_EQ(image->colorCount, 16);
    ASSERT_EQ(image->rgba.size(), 32u * 32u * 4u);
    size_t transparent = 0, opaque = 0;
    for (size_t i = 3; i < image->rgba.size(); i += 4) {
        if (image->rgba[i] == 0) ++transparent;
        if (image->rgba[i] == 255) ++opaque;
    }
    EXPECT_EQ(transparent + opaque, 32u * 32u);  // a mask gives nothing in between
    EXPECT_GT(transparent, 0u);
    EXPECT_GT(opaque, 0u);
    // The drawing leaves its corners to the desktop and fills the middle.
    EXPECT_EQ(Pixel(*image, 0, 0)[3], 0);
    EXPECT_EQ(Pixel(*image, 0, 31)[3], 0);
    EXPECT_EQ(Pixel(*image, 16, 16)[3], 255);

    int unrelated = 0;
    EXPECT_EQ(standin::IconFromHandle(reinterpret_cast<HICON>(&unrelated)), nullptr);
    EXPECT_EQ(standin::IconFromHandle(nullptr), nullptr);
}

// ---- Finding resources in an image ------------------------------------------------------

Bytes SmallImage() {
    Bytes b;
    PutEntry(b, 0, u"", 0, {});  // the empty entry every .res starts with
    PutEntry(b, 5, u"", 7, {1, 2, 3});
    PutEntry(b, 5, u"SETUP", 0, {4, 5, 6, 7, 8});
    PutEntry(b, 6, u"", 7, {9});
    return b;
}

TEST(ResourceImage, FindsByOrdinalStringAndHashName) {
    Bytes b = SmallImage();
    Guarded image(b);
    standin::ResourceBytes found;
    ASSERT_TRUE(standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, MAKEINTRESOURCE(7), &found));
    EXPECT_EQ(Bytes(found.data, found.data + found.size), (Bytes{1, 2, 3}));
    ASSERT_TRUE(standin::FindResourceBytesIn(image.bytes(), MAKEINTRESOURCE(6), "#7", &found));
    EXPECT_EQ(Bytes(found.data, found.data + found.size), (Bytes{9}));
    ASSERT_TRUE(standin::FindResourceBytesIn(image.bytes(), "#5", "setup", &found));
    EXPECT_EQ(found.size, 5u);
    EXPECT_EQ(found.data[0], 4);

    EXPECT_FALSE(standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, "SETU", &found));
    EXPECT_FALSE(standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, "SETUPS", &found));
    EXPECT_FALSE(
        standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, MAKEINTRESOURCE(8), &found));
    EXPECT_FALSE(standin::FindResourceBytesIn(image.bytes(), RT_ICON, MAKEINTRESOURCE(7), &found));
    EXPECT_FALSE(standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, "#x", &found));
}

TEST(ResourceImage, TruncatedOrInconsistentImagesAreRefused) {
    Bytes b = SmallImage();
    // A cut at the end of an entry's data, or anywhere in the padding after it, leaves a
    // complete, smaller image; every other cut must be refused.
    std::vector<size_t> boundaries = {0};
    for (size_t at = 0; at < b.size();) {
        DWORD dataSize = b[at] | (b[at + 1] << 8);
        DWORD headerSize = b[at + 4] | (b[at + 5] << 8);
        size_t end = at + headerSize + dataSize;
        at = (end + 3) & ~size_t{3};
        for (; end <= at; ++end) boundaries.push_back(end);
    }
    for (size_t cut = 0; cut < b.size(); ++cut) {
        Guarded image(Bytes(b.begin(), b.begin() + static_cast<long>(cut)));
        std::vector<standin::ResourceEntry> entries;
        bool whole = std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        EXPECT_EQ(standin::ParseResourceImage(image.bytes(), &entries), whole) << "cut at " << cut;
    }

    auto refused = [](Bytes bad) {
        Guarded image(bad);
        std::vector<standin::ResourceEntry> entries;
        standin::ResourceBytes found;
        return !standin::ParseResourceImage(image.bytes(), &entries) &&
               !standin::FindResourceBytesIn(image.bytes(), RT_DIALOG, MAKEINTRESOURCE(7), &found);
    };
    size_t second = 32;  // after the empty entry
    Bytes bad = b;
    bad[second] = 0xFF;  // DataSize far past the end
    EXPECT_TRUE(refused(bad));
    bad = b;
    bad[second + 4] = 0xF0;  // HeaderSize past the end
    EXPECT_TRUE(refused(bad));
    bad = b;
    bad[second + 4] = 12;  // HeaderSize too short for the names and the fixed fields
    EXPECT_TRUE(refused(bad));
    // A string name without its terminator before the end of the header.
    bad.clear();
    PutEntry(bad, 5, u"ABCDEFGH", 0, {});
    std::fill(bad.begin() + 12, bad.begin() + bad[4], 0x41);  // up to the data
    EXPECT_TRUE(refused(bad));
    bad = b;
    bad.insert(bad.end(), {0, 0, 0, 0});  // trailing bytes too short for an entry
    EXPECT_TRUE(refused(bad));
}

// ---- Decoding icons ---------------------------------------------------------------------

TEST(IconDecoding, RowsComeOutTopFirstWithPaletteColoursAndMask) {
    // Palette entries are RGBQUADs, here written as 0x00RRGGBB.
    std::vector<DWORD> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    Bytes dib4 = Dib(3, 4, {{1, 2, 3}, {4, 0, 1}}, {{1, 0, 0}, {0, 0, 1}}, palette);
    standin::IconImage icon;
    ASSERT_TRUE(standin::DecodeIconImage({dib4.data(), dib4.size()}, &icon));
    EXPECT_EQ(icon.width, 3);
    EXPECT_EQ(icon.height, 2);
    EXPECT_EQ(icon.bitCount, 4);
    EXPECT_EQ(icon.colorCount, 5);
    const uint8_t* red = Pixel(icon, 0, 0);  // masked, but keeps its colour
    EXPECT_EQ(std::vector<int>(red, red + 4), (std::vector<int>{255, 0, 0, 0}));
    const uint8_t* green = Pixel(icon, 1, 0);
    EXPECT_EQ(std::vector<int>(green, green + 4), (std::vector<int>{0, 255, 0, 255}));
    const uint8_t* blue = Pixel(icon, 2, 0);
    EXPECT_EQ(std::vector<int>(blue, blue + 4), (std::vector<int>{0, 0, 255, 255}));
    const uint8_t* odd = Pixel(icon, 0, 1);
    EXPECT_EQ(std::vector<int>(odd, odd + 4), (std::vector<int>{0x12, 0x34, 0x56, 255}));
    EXPECT_EQ(Pixel(icon, 1, 1)[3], 255);
    EXPECT_EQ(Pixel(icon, 2, 1)[3], 0);

    Bytes dib8 = Dib(2, 8, {{4, 2}}, {{0, 0}}, palette);
    ASSERT_TRUE(standin::DecodeIconImage({dib8.data(), dib8.size()}, &icon));
    EXPECT_EQ(Pixel(icon, 0, 0)[0], 0x12);
    EXPECT_EQ(Pixel(icon, 1, 0)[1], 255);

    Bytes dib24 = Dib(2, 24, {{0x0A0B0C, 0xFFFFFF}}, {{0, 1}}, {});
    ASSERT_TRUE(standin::DecodeIconImage({dib24.data(), dib24.size()}, &icon));
    EXPECT_EQ(icon.colorCount, 0);
    const uint8_t* c24 = Pixel(icon, 0, 0);
    EXPECT_EQ(std::vector<int>(c24, c24 + 4), (std::vector<int>{0x0A, 0x0B, 0x0C, 255}));
    EXPECT_EQ(Pixel(icon, 1, 0)[3], 0);

    // With alpha present, a 32-bit image's own alpha wins over its mask.
    Bytes dib32 = Dib(2, 32, {{0x80102030, 0x00000000}}, {{1, 0}}, {});
    ASSERT_TRUE(standin::DecodeIconImage({dib32.data(), dib32.size()}, &icon));
    EXPECT_EQ(Pixel(icon, 0, 0)[3], 0x80);
    EXPECT_EQ(Pixel(icon, 0, 0)[0], 0x10);
    EXPECT_EQ(Pixel(icon, 1, 0)[3], 0);
}

TEST(IconDecoding, DamagedImagesAreRefused) {
    std::vector<DWORD> palette(16, 0x808080);
    Bytes good = Dib(5, 4, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, {{0, 0, 0, 0, 1}, {1, 0, 0, 0, 0}},
                     palette);
    standin::IconImage icon;
    for (size_t cut = 0; cut < good.size(); ++cut) {
        Guarded dib(Bytes(good.begin(), good.begin() + static_cast<long>(cut)));
        EXPECT_FALSE(standin::DecodeIconImage(dib.bytes(), &icon)) << "cut at " << cut;
    }
    Guarded whole(good);
    EXPECT_TRUE(standin::DecodeIconImage(whole.bytes(), &icon));

    Bytes badIndex = Dib(1, 4, {{3}}, {{0}}, {0, 0});  // index 3 of a 2-colour palette
    EXPECT_FALSE(standin::DecodeIconImage({badIndex.data(), badIndex.size()}, &icon));
    Bytes oddHeight = good;
    oddHeight[8] = 3;
    EXPECT_FALSE(standin::DecodeIconImage({oddHeight.data(), oddHeight.size()}, &icon));
    Bytes compressed = good;
    compressed[16] = 2;  // BI_RLE4
    EXPECT_FALSE(standin::DecodeIconImage({compressed.data(), compressed.size()}, &icon));
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(64, 0);
    EXPECT_FALSE(standin::DecodeIconImage({png.data(), png.size()}, &icon));
}

TEST(IconDecoding, GroupPicksThe32PixelImageWithMostColours) {
    WORD id = 0;
    Bytes many =
        GroupIcon({{16, 16, 16, 4, 1}, {32, 32, 16, 4, 2}, {32, 32, 0, 8, 3}, {48, 48, 0, 32, 4}});
    ASSERT_TRUE(standin::PickGroupIconEntry({many.data(), many.size()}, &id));
    EXPECT_EQ(id, 3);
    Bytes noneAt32 = GroupIcon({{64, 64, 0, 32, 5}, {16, 16, 16, 4, 6}});
    ASSERT_TRUE(standin::PickGroupIconEntry({noneAt32.data(), noneAt32.size()}, &id));
    EXPECT_EQ(id, 6);

    Bytes shortGroup = GroupIcon({{32, 32, 16, 4, 2}});
    shortGroup[4] = 2;  // claims a second entry that is not there
    Guarded guarded(shortGroup);
    EXPECT_FALSE(standin::PickGroupIconEntry(guarded.bytes(), &id));
    Bytes cursor = GroupIcon({{32, 32, 16, 4, 2}});
    cursor[2] = 2;  // a cursor group
    EXPECT_FALSE(standin::PickGroupIconEntry({cursor.data(), cursor.size()}, &id));
}

TEST(IconDecoding, LoadIconFromAnImageOfOurOwn) {
    Bytes b;
    PutEntry(b, 3, u"", 9, Dib(2, 4, {{1, 0}}, {{0, 1}}, std::vector<DWORD>(16, 0xFF0000)));
    PutEntry(b, 14, u"MAINICON", 0, GroupIcon({{2, 1, 16, 4, 9}}));
    PutEntry(b, 14, u"BROKEN", 0, GroupIcon({{2, 1, 16, 4, 10}}));  // its image is missing
    HICON icon = standin::LoadIconFromImage({b.data(), b.size()}, "MainIcon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(standin::LoadIconFromImage({b.data(), b.size()}, "MAINICON"), icon);
    EXPECT_NE(icon, LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP)));
    EXPECT_EQ(standin::LoadIconFromImage({b.data(), b.size()}, "BROKEN"), nullptr);
    const standin::IconImage* image = standin::IconFromHandle(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(Pixel(*image, 0, 0)[0], 255);
    EXPECT_EQ(Pixel(*image, 1, 0)[3], 0);
}

// ---- Damaged dialog templates -----------------------------------------------------------

TEST(DialogTemplateParsing, EveryTruncationOfARealTemplateIsRefused) {
    standin::ResourceBytes res;
    ASSERT_TRUE(standin::FindResourceBytes(RT_DIALOG, MAKEINTRESOURCE(IDD_MAIN), &res));
    standin::DialogTemplate t;
    for (size_t cut = 0; cut < res.size; ++cut) {
        Guarded part(Bytes(res.data, res.data + cut));
        EXPECT_FALSE(standin::ParseDialogTemplate(part.data(), part.size(), &t))
            << "cut at " << cut;
        EXPECT_TRUE(t.items.empty());
    }
    Guarded whole(Bytes(res.data, res.data + res.size));
    EXPECT_TRUE(standin::ParseDialogTemplate(whole.data(), whole.size(), &t));
}

// A plain (not extended) template with one item, built by hand.
Bytes PlainTemplate(const std::u16string& title, WORD id, WORD extra) {
    Bytes b;
    Put32(b, WS_POPUP | DS_SETFONT);
    Put32(b, 0);
    Put16(b, 1);
    for (int v : {1, 2, 30, 40}) Put16(b, static_cast<unsigned>(v));
    Put16(b, 0);
    Put16(b, 0);
    PutText(b, title);
    Put16(b, 9);
    PutText(b, u"Tahoma");
    PadDword(b);
    Put32(b, WS_CHILD | SS_LEFT);
    Put32(b, 0);
    for (int v : {3, 4, 20, 8}) Put16(b, static_cast<unsigned>(v));
    Put16(b, id);
    PutText(b, u"Static");
    PutText(b, u"Hi");
    Put16(b, extra);
    for (WORD i = 0; i < extra; ++i) b.push_back(static_cast<unsigned char>(0xA0 + i));
    return b;
}

TEST(DialogTemplateParsing, PlainFormAndNonAsciiText) {
    // "Zäp" then U+1F5D1 as a surrogate pair, then an unpaired high surrogate.
    Bytes b = PlainTemplate(u"Z\u00e4p\U0001F5D1\xD800!", 0xFFFF, 3);
    Guarded plain(b);
    standin::DialogTemplate t;
    ASSERT_TRUE(standin::ParseDialogTemplate(plain.data(), plain.size(), &t));
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | DS_SETFONT));
    EXPECT_EQ(t.x, 1);
    EXPECT_EQ(t.cy, 40);
    EXPECT_EQ(t.title, "Z\xC3\xA4p\xF0\x9F\x97\x91\xEF\xBF\xBD!");
    EXPECT_EQ(t.font.pointSize, 9);
    EXPECT_EQ(t.font.typeface, "Tahoma");
    EXPECT_EQ(t.font.charset, standin::kDefaultCharset);
    ASSERT_EQ(t.items.size(), 1u);
    EXPECT_EQ(t.items[0].id, -1);
    EXPECT_FALSE(t.items[0].windowClass.isOrdinal);
    EXPECT_EQ(t.items[0].windowClass.text, "Static");
    EXPECT_EQ(t.items[0].text.text, "Hi");
    EXPECT_EQ(t.items[0].creationData, (std::vector<BYTE>{0xA0, 0xA1, 0xA2}));
    EXPECT_EQ(t.items[0].cx, 20);
}

TEST(DialogTemplateParsing, ExtendedFontRecordIsReadFieldByField) {
    standin::ResourceBytes res;
    ASSERT_TRUE(standin::FindResourceBytes(RT_DIALOG, MAKEINTRESOURCE(IDD_IEEXT), &res));
    Bytes ex(res.data, res.data + res.size);
    // Header, no menu, no class, the title "Ie Ext", then the point size and the weight.
    size_t font = 26 + 2 + 2 + 2 * 7;
    ASSERT_LT(font + 6, ex.size());
    ex[font] = 11;
    ex[font + 2] = 700 & 0xFF;
    ex[font + 3] = 700 >> 8;
    ex[font + 4] = 1;     // italic
    ex[font + 5] = 0xEE;  // EASTEUROPE_CHARSET
    standin::DialogTemplate t;
    ASSERT_TRUE(standin::ParseDialogTemplate(ex.data(), ex.size(), &t));
    EXPECT_EQ(t.font.pointSize, 11);
    EXPECT_EQ(t.font.weight, 700);
    EXPECT_TRUE(t.font.italic);
    EXPECT_EQ(t.font.charset, 0xEE);
    EXPECT_EQ(t.font.typeface, "MS Shell Dlg");
    EXPECT_EQ(t.items.size(), 4u);
}

TEST(DialogTemplateParsing, CorruptFieldsAreRefused) {
    standin::DialogTemplate t;
    auto refused = [&t](const Bytes& bad) {
        Guarded g(bad);
        return !standin::ParseDialogTemplate(g.data(), g.size(), &t);
    };
    Bytes b = PlainTemplate(u"Title", 5, 2);
    EXPECT_FALSE(refused(b));
    Bytes moreItems = b;
    moreItems[8] = 2;  // a second item that is not there
    EXPECT_TRUE(refused(moreItems));
    Bytes longData = b;
    longData[longData.size() - 4] = 3;  // creation data longer than what is left
    EXPECT_TRUE(refused(longData));
    // A title that never ends: every byte after the header is a letter.
    Bytes endless(18, 0);
    endless.resize(40, 0x41);
    endless[18] = endless[19] = endless[20] = endless[21] = 0;  // no menu, no class
    EXPECT_TRUE(refused(endless));

    standin::ResourceBytes res;
    ASSERT_TRUE(standin::FindResourceBytes(RT_DIALOG, MAKEINTRESOURCE(IDD_IEEXT), &res));
    Bytes ex(res.data, res.data + res.size);
    EXPECT_FALSE(refused(ex));
    Bytes version = ex;
    version[0] = 2;  // signature 0xFFFF with an unknown version
    EXPECT_TRUE(refused(version));
    Bytes count = ex;
    count[16] = 0xFF;
    count[17] = 0xFF;  // 65535 items
    EXPECT_TRUE(refused(count));

    // An item read on its own stops at the end as well.
    standin::DialogItem item;
    EXPECT_EQ(standin::ParseDialogItem(ex.data(), ex.size(), ex.size() - 4, true, &item), 0u);
    EXPECT_EQ(standin::ParseDialogItem(ex.data(), ex.size(), ex.size() + 8, true, &item), 0u);
}

}  // namespace
