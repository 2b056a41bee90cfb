// win32-linux/user32/dialog_template.cpp
//
// Reading dialog templates. A template is data from the binary, but a damaged one must still
// fail cleanly rather than read past its end, so each field is checked before it is read.
#include "user32/dialog_template.h"

#include <cstring>
#include <map>
#include <memory>

namespace standin {
namespace {

constexpr WORD kExtendedVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;
constexpr size_t kExtendedHeader = 26;  // dlgVer .. cy
constexpr size_t kPlainHeader = 18;     // style .. cy
constexpr size_t kExtendedItem = 24;    // helpID .. id
constexpr size_t kPlainItem = 18;       // style .. id

short Short(const unsigned char* p) { return static_cast<short>(ReadWord(p)); }

bool Fits(size_t size, size_t offset, size_t length) {
    return offset <= size && size - offset >= length;
}

}  // namespace

size_t ParseDialogItem(const unsigned char* data, size_t size, size_t offset, bool extended,
                       DialogItem* out) {
    if (data == nullptr || !Fits(size, offset, extended ? kExtendedItem : kPlainItem)) return 0;
    const unsigned char* p = data + offset;
    DialogItem item;
    size_t pos = offset;
    if (extended) {
        item.helpId = ReadDword(p);
        item.exStyle = ReadDword(p + 4);
        item.style = ReadDword(p + 8);
        item.x = Short(p + 12);
        item.y = Short(p + 14);
        item.cx = Short(p + 16);
        item.cy = Short(p + 18);
        item.id = static_cast<int32_t>(ReadDword(p + 20));
        pos += kExtendedItem;
    } else {
        item.style = ReadDword(p);
        item.exStyle = ReadDword(p + 4);
        item.x = Short(p + 8);
        item.y = Short(p + 10);
        item.cx = Short(p + 12);
        item.cy = Short(p + 14);
        item.id = Short(p + 16);
        pos += kPlainItem;
    }
    if (!ReadResourceName(data, size, &pos, &item.windowClass)) return 0;
    if (!ReadResourceName(data, size, &pos, &item.text)) return 0;
    if (!Fits(size, pos, 2)) return 0;
    size_t extra = ReadWord(data + pos);
    pos += 2;
    if (!Fits(size, pos, extra)) return 0;
    item.creationData.assign(data + pos, data + pos + extra);
    pos += extra;
    *out = std::move(item);
    return AlignDword(pos);
}

bool ParseDialogTemplate(const unsigned char* data, size_t size, DialogTemplate* out) {
    *out = DialogTemplate();
    if (data == nullptr || size < 4) return false;
    DialogTemplate t;
    size_t pos = 0;
    size_t count = 0;
    if (ReadWord(data + 2) == kExtendedSignature) {
        if (ReadWord(data) != kExtendedVersion || !Fits(size, 0, kExtendedHeader)) return false;
        t.extended = true;
        t.helpId = ReadDword(data + 4);
        t.exStyle = ReadDword(data + 8);
        t.style = ReadDword(data + 12);
        count = ReadWord(data + 16);
        t.x = Short(data + 18);
        t.y = Short(data + 20);
        t.cx = Short(data + 22);
        t.cy = Short(data + 24);
        pos = kExtendedHeader;
    } else {
        if (!Fits(size, 0, kPlainHeader)) return false;
        t.style = ReadDword(data);
        t.exStyle = ReadDword(data + 4);
        count = ReadWord(data + 8);
        t.x = Short(data + 10);
        t.y = Short(data + 12);
        t.cx = Short(data + 14);
        t.cy = Short(data + 16);
        pos = kPlainHeader;
    }
    if (!ReadResourceName(data, size, &pos, &t.menu)) return false;
    if (!ReadResourceName(data, size, &pos, &t.windowClass)) return false;
    if (!ReadUtf16String(data, size, &pos, &t.title)) return false;
    if (t.style & DS_SETFONT) {
        t.hasFont = true;
        if (!Fits(size, pos, 2)) return false;
        t.font.pointSize = ReadWord(data + pos);
        pos += 2;
        if (t.extended) {
            if (!Fits(size, pos, 4)) return false;
            t.font.weight = ReadWord(data + pos);
            t.font.italic = data[pos + 2] != 0;
            t.font.charset = data[pos + 3];
            pos += 4;
        }
        if (!ReadUtf16String(data, size, &pos, &t.font.typeface)) return false;
    }
    // A damaged count must not reserve memory for items that cannot be there.
    size_t room = (size - pos) / (t.extended ? kExtendedItem : kPlainItem);
    t.items.reserve(count < room ? count : room);
    pos = AlignDword(pos);
    for (size_t i = 0; i < count; ++i) {
        DialogItem item;
        size_t next = ParseDialogItem(data, size, pos, t.extended, &item);
        if (next == 0) return false;
        t.items.push_back(std::move(item));
        pos = next;
    }
    *out = std::move(t);
    return true;
}

bool LoadDialogTemplate(LPCSTR name, DialogTemplate* out) {
    ResourceBytes bytes;
    if (!FindResourceBytes(RT_DIALOG, name, &bytes)) {
        *out = DialogTemplate();
        return false;
    }
    if (!ParseDialogTemplate(bytes.data, bytes.size, out))
        return false;
    // The descriptions: a WORD identifier, then the text and its NUL, one after another.
    if (FindResourceBytes(kDescriptionsType, name, &bytes))
        for (size_t pos = 0; pos + 2 < bytes.size;) {
            const WORD id = ReadWord(bytes.data + pos);
            const auto* text = reinterpret_cast<const char*>(bytes.data + pos + 2);
            const size_t length = strnlen(text, bytes.size - pos - 2);
            for (DialogItem& item : out->items)
                if (static_cast<WORD>(item.id) == id)
                    item.description.assign(text, length);
            pos += 2 + length + 1;
        }
    return true;
}

const DialogTemplate* FindDialogTemplate(LPCSTR name) {
    // The resources are part of the binary: a template read once stays as it was. A program
    // that zaps many paths shows its main dialog for each.
    static auto* const read = new std::map<std::string, std::unique_ptr<DialogTemplate>>;
    const std::string key = IS_INTRESOURCE(name)
                                ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                : std::string(name);
    auto it = read->find(key);
    if (it == read->end()) {
        auto layout = std::make_unique<DialogTemplate>();
        if (!LoadDialogTemplate(name, layout.get()))
            layout.reset();
        it = read->emplace(key, std::move(layout)).first;
    }
    return it->second.get();
}

}  // namespace standin
