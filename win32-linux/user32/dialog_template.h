// win32-linux/user32/dialog_template.h
//
// Dialog templates as the resource compiler writes them, read once into plain structs so that
// the window model never walks raw template bytes itself.
//
// The extended form (DLGTEMPLATEEX) starts with WORD 1, WORD 0xFFFF, then DWORD helpID,
// DWORD exStyle, DWORD style, WORD item count, short x, y, cx, cy, the menu and the window
// class (each name-or-ordinal), the title, and when the style has DS_SETFONT the font:
// WORD point size, WORD weight, BYTE italic, BYTE charset, typeface. Each item starts on a
// DWORD boundary: DWORD helpID, DWORD exStyle, DWORD style, short x, y, cx, cy, DWORD id,
// class and text (each name-or-ordinal), WORD count of creation data bytes, the bytes.
// The plain form (DLGTEMPLATE) has no signature, help ids, weight, italic or charset, puts
// style before exStyle and gives item ids as WORDs.
#ifndef ZAPFILE_STANDIN_USER32_DIALOG_TEMPLATE_H
#define ZAPFILE_STANDIN_USER32_DIALOG_TEMPLATE_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "user32/resources.h"

namespace standin {

constexpr BYTE kDefaultCharset = 1;  // DEFAULT_CHARSET, what the plain form implies

struct DialogFont {
    WORD pointSize = 0;
    WORD weight = 0;      // 0 (FW_DONTCARE) in the plain form, which gives none
    bool italic = false;
    BYTE charset = kDefaultCharset;
    std::string typeface;  // UTF-8
};

struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    // IDC_STATIC is -1 and stays -1: the extended form stores a DWORD, and a 16-bit id from
    // the plain form is taken as signed, since resource compilers write -1 there as 0xFFFF.
    int32_t id = 0;
    ResourceName windowClass;  // an ordinal is a predefined class: 0x80 button, 0x81 edit, ...
    ResourceName text;         // an ordinal names a resource, as for an SS_ICON static
    std::vector<BYTE> creationData;
    std::string description;   // from the dialog's descriptions, if any (UTF-8)
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    ResourceName menu;         // empty and not an ordinal: no menu
    ResourceName windowClass;  // empty and not an ordinal: the standard dialog class
    std::string title;         // UTF-8
    bool hasFont = false;      // the style has DS_SETFONT
    DialogFont font;
    std::vector<DialogItem> items;
};

// Reads a whole template of `size` bytes. False, with *out reset, if it is truncated, has an
// unknown signature or version, or any string or item runs past the end.
bool ParseDialogTemplate(const unsigned char* data, size_t size, DialogTemplate* out);

// Reads the item at `offset` of a template of `size` bytes and returns the offset where the
// next item starts (DWORD-aligned from the start of the template, and so possibly past `size`
// after the last item), or 0 if the item does not fit. `data` is the start of the template,
// not of the item, because the alignment counts from there.
size_t ParseDialogItem(const unsigned char* data, size_t size, size_t offset, bool extended,
                       DialogItem* out);

// What a screen reader says of a control whose text says little ("..."): a resource of this
// type and the dialog's name lists each such control's identifier and description. Windows
// passes over it; the window backends that can give a control a description do.
constexpr char kDescriptionsType[] = "DESCRIPTIONS";

// Finds the RT_DIALOG resource `name` (MAKEINTRESOURCE(id) or a string) in the resources
// linked into this binary and reads it, with the descriptions of the same name.
bool LoadDialogTemplate(LPCSTR name, DialogTemplate* out);
// The same, read once in a process, for as long as it runs; null when there is none.
const DialogTemplate* FindDialogTemplate(LPCSTR name);

}  // namespace standin

#endif
