// tests/standin/templates_test.cpp
//
// The dialogs linked into the binary, checked field by field against the layout Zapfile's
// dialogs must have, through the parser that the window model uses. Styles are compared
// whole, so a bit that the resource compiler adds on its own shows up here.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialog_template.h"
#include "resource.h"
#include "resources.h"

namespace {

constexpr WORD kButton = 0x80;
constexpr WORD kEdit = 0x81;
constexpr WORD kStatic = 0x82;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                             DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
constexpr DWORD kBoxStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

struct Control {
    int32_t id;
    WORD cls;
    const char* text;  // nullptr: the text is the resource ordinal below
    WORD textOrdinal;
    short x, y, cx, cy;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
};

struct Dialog {
    WORD id;
    DWORD style;
    short cx, cy;
    const char* caption;
    std::vector<Control> controls;
};

const std::vector<Dialog>& Dialogs() {
    static const std::vector<Dialog> dialogs = {
        {IDD_MAIN, kMainStyle, 184, 66, "Ko Zapfile",
         {
             {IDC_BROWSE, kButton, "...", 0, 162, 18, 13, 14, WS_TABSTOP | BS_PUSHBUTTON},
             {-1, kStatic, "Select file to delete:", 0, 6, 6, 65, 8, WS_GROUP | SS_LEFT},
             {IDC_PATH, kEdit, "", 0, 6, 18, 156, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
             {IDC_IEEXT, kButton, "Ie Ext", 0, 30, 36, 30, 14, WS_TABSTOP | BS_PUSHBUTTON},
             {IDC_DELETE, kButton, "Delete!", 0, 114, 36, 42, 14, WS_TABSTOP | BS_PUSHBUTTON},
             {IDC_ABOUT, kButton, "?", 0, 12, 36, 12, 14, WS_TABSTOP | BS_PUSHBUTTON},
             {IDC_CLOSE, kButton, "Close", 0, 84, 36, 24, 14, WS_TABSTOP | BS_PUSHBUTTON},
         }},
        {IDD_IEEXT, kBoxStyle, 76, 101, "Ie Ext",
         {
             {IDOK, kButton, "OK", 0, 12, 78, 50, 14, WS_TABSTOP | BS_DEFPUSHBUTTON},
             {IDC_REGISTER, kButton, "Register", 0, 12, 6, 50, 14, WS_TABSTOP | BS_PUSHBUTTON},
             {IDC_UNREGISTER, kButton, "Unregister", 0, 12, 24, 50, 14,
              WS_TABSTOP | BS_PUSHBUTTON},
             {IDC_NOASK, kButton, "Delete without asking", 0, 12, 42, 48, 30,
              WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE},
         }},
        {IDD_ABOUT, kBoxStyle, 160, 71, "About Zapfile",
         {
             {IDOK, kButton, "OK", 0, 60, 48, 42, 14, WS_TABSTOP | BS_DEFPUSHBUTTON},
             {-1, kStatic, nullptr, IDI_APP, 6, 12, 20, 20, SS_ICON},
             {-1, kStatic, "Ko Zapfile", 0, 30, 6, 51, 8, WS_GROUP | SS_LEFT},
             {-1, kStatic, "Version 0.3 (Build 20060208)", 0, 30, 18, 93, 8, WS_GROUP | SS_LEFT},
             // The notice line may say anything; only its place and style are fixed.
             {-1, kStatic, "", 0, 30, 30, 122, 8, WS_GROUP | SS_LEFT},
         }},
    };
    return dialogs;
}

bool IsNoticeLine(const Dialog& d, size_t i) { return d.id == IDD_ABOUT && i == 4; }

TEST(DialogTemplates, ParsedFieldsMatchTheLayout) {
    for (const Dialog& d : Dialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(d.id));
        standin::DialogTemplate t;
        ASSERT_TRUE(standin::LoadDialogTemplate(MAKEINTRESOURCE(d.id), &t));
        EXPECT_TRUE(t.extended);
        EXPECT_EQ(t.style, d.style);
        EXPECT_EQ(t.exStyle, 0u);
        EXPECT_EQ(t.helpId, 0u);
        EXPECT_EQ(t.x, 0);
        EXPECT_EQ(t.y, 0);
        EXPECT_EQ(t.cx, d.cx);
        EXPECT_EQ(t.cy, d.cy);
        EXPECT_FALSE(t.menu.isOrdinal);
        EXPECT_EQ(t.menu.text, "");
        EXPECT_FALSE(t.windowClass.isOrdinal);
        EXPECT_EQ(t.windowClass.text, "");
        EXPECT_EQ(t.title, d.caption);
        ASSERT_TRUE(t.hasFont);
        EXPECT_EQ(t.font.pointSize, 8);
        EXPECT_EQ(t.font.weight, 400);
        EXPECT_FALSE(t.font.italic);
        EXPECT_EQ(t.font.charset, 1);
        EXPECT_EQ(t.font.typeface, "MS Shell Dlg");

        ASSERT_EQ(t.items.size(), d.controls.size());
        for (size_t i = 0; i < d.controls.size(); ++i) {
            const Control& c = d.controls[i];
            const standin::DialogItem& item = t.items[i];
            SCOPED_TRACE("control " + std::to_string(i));
            EXPECT_EQ(item.id, c.id);
            EXPECT_TRUE(item.windowClass.isOrdinal);
            EXPECT_EQ(item.windowClass.ordinal, c.cls);
            if (c.text == nullptr) {
                EXPECT_TRUE(item.text.isOrdinal);
                EXPECT_EQ(item.text.ordinal, c.textOrdinal);
            } else if (IsNoticeLine(d, i)) {
                EXPECT_FALSE(item.text.isOrdinal);
                EXPECT_FALSE(item.text.text.empty());
            } else {
                EXPECT_FALSE(item.text.isOrdinal);
                EXPECT_EQ(item.text.text, c.text);
            }
            EXPECT_EQ(item.x, c.x);
            EXPECT_EQ(item.y, c.y);
            EXPECT_EQ(item.cx, c.cx);
            EXPECT_EQ(item.cy, c.cy);
            EXPECT_EQ(item.style, kChild | c.style);
            EXPECT_EQ(item.exStyle, 0u);
            EXPECT_EQ(item.helpId, 0u);
            EXPECT_TRUE(item.creationData.empty());
        }
    }
}

TEST(DialogTemplates, ItemsStartOnDwordBoundariesAndEndTheResource) {
    standin::ResourceBytes res;
    ASSERT_TRUE(standin::FindResourceBytes(RT_DIALOG, MAKEINTRESOURCE(IDD_MAIN), &res));
    standin::DialogTemplate t;
    ASSERT_TRUE(standin::ParseDialogTemplate(res.data, res.size, &t));
    // The first item follows the typeface "MS Shell Dlg" and its terminator, rounded up.
    size_t offset = 26 + 2 + 2 + 2 * (std::string("Ko Zapfile").size() + 1) + 6 +
                    2 * (std::string("MS Shell Dlg").size() + 1);
    offset = (offset + 3) & ~size_t{3};
    for (size_t i = 0; i < t.items.size(); ++i) {
        standin::DialogItem item;
        size_t next = standin::ParseDialogItem(res.data, res.size, offset, true, &item);
        ASSERT_NE(next, 0u) << "item " << i;
        EXPECT_EQ(next % 4, 0u);
        EXPECT_EQ(item.id, t.items[i].id);
        offset = next;
    }
    // The last item ends the resource, give or take its padding.
    EXPECT_GE(offset, res.size);
    EXPECT_LT(offset, res.size + 4);
}

TEST(DialogTemplates, LookupByNameFormsAndMissingDialogs) {
    standin::DialogTemplate byOrdinal, byHash;
    ASSERT_TRUE(standin::LoadDialogTemplate(MAKEINTRESOURCE(IDD_ABOUT), &byOrdinal));
    ASSERT_TRUE(standin::LoadDialogTemplate("#102", &byHash));
    EXPECT_EQ(byHash.title, byOrdinal.title);
    EXPECT_EQ(byHash.items.size(), byOrdinal.items.size());

    standin::DialogTemplate missing;
    missing.title = "stale";
    EXPECT_FALSE(standin::LoadDialogTemplate(MAKEINTRESOURCE(IDI_APP), &missing));
    EXPECT_EQ(missing.title, "");
    EXPECT_FALSE(standin::LoadDialogTemplate(MAKEINTRESOURCE(999), &missing));
    EXPECT_FALSE(standin::LoadDialogTemplate("IDD_MAIN", &missing));  // compiled as a number
}

}  // namespace
