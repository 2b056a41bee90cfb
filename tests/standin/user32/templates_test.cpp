// tests/standin/user32/templates_test.cpp
//
// The dialogs linked into the binary, read through the parser that the window model uses and
// checked against the layout Zapfile's dialogs must have. Styles are compared whole, so a bit
// that the resource compiler adds on its own shows up here.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "user32/dialog_template.h"

namespace {

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kBox =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
constexpr DWORD kPush = WS_TABSTOP | BS_PUSHBUTTON, kOk = WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kLabel = WS_GROUP | SS_LEFT;

struct Control {
    int32_t id;
    WORD cls;
    const char* text;  // "#n" for an icon's ordinal
    short x, y, cx, cy;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
};
struct Dialog {
    WORD id;
    DWORD style;
    short cx, cy;
    const char* caption;
    std::vector<Control> controls;  // in tab order, as the template stores them
};

const Dialog kDialogs[] = {
    {IDD_MAIN, kBox | WS_MINIMIZEBOX | DS_CENTER, 184, 66, "Ko Zapfile",
     {{IDC_BROWSE, kButton, "...", 162, 18, 13, 14, kPush},
      {IDC_STATIC, kStatic, "Select file to delete:", 6, 6, 156, 8, kLabel},  // as the field
      {IDC_PATH, kEdit, "", 6, 18, 156, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
      {IDC_IEEXT, kButton, "Ie Ext", 30, 36, 30, 14, kPush},
      {IDC_DELETE, kButton, "Delete!", 114, 36, 42, 14, kPush},
      {IDC_ABOUT, kButton, "?", 12, 36, 12, 14, kPush},
      {IDC_CLOSE, kButton, "Close", 84, 36, 24, 14, kPush}}},
    {IDD_ABOUT, kBox, 160, 71, "About Zapfile",
     {{IDOK, kButton, "OK", 60, 48, 42, 14, kOk},
      {IDC_STATIC, kStatic, "#103", 6, 12, 20, 20, SS_ICON},  // the icon, IDI_APP
      {IDC_STATIC, kStatic, "Ko Zapfile", 30, 6, 51, 8, kLabel},
      {IDC_STATIC, kStatic, "Version 0.3 (Build 20060208)", 30, 18, 122, 8, kLabel},  // as below
      {IDC_STATIC, kStatic, nullptr, 30, 30, 122, 8, kLabel}}},  // a notice of any text
    {IDD_IEEXT, kBox, 76, 101, "Ie Ext",
     {{IDOK, kButton, "OK", 12, 78, 50, 14, kOk},
      {IDC_REGISTER, kButton, "Register", 12, 6, 50, 14, kPush},
      {IDC_UNREGISTER, kButton, "Unregister", 12, 24, 50, 14, kPush},
      {IDC_NOASK, kButton, "Delete without asking", 12, 42, 48, 30,
       WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE}}},
};

TEST(DialogTemplates, CompiledDialogsMatchTheirLayout) {
    for (const Dialog& d : kDialogs) {
        SCOPED_TRACE(d.caption);
        standin::DialogTemplate t;
        ASSERT_TRUE(standin::LoadDialogTemplate(MAKEINTRESOURCE(d.id), &t));
        EXPECT_EQ(std::tuple(t.extended, t.style, t.exStyle, t.helpId, t.x, t.y, t.cx, t.cy,
                             t.title, t.font.pointSize, t.font.weight, t.font.italic,
                             int{t.font.charset}, t.font.typeface),
                  std::tuple(true, d.style, 0u, 0u, 0, 0, d.cx, d.cy, std::string(d.caption),
                             8, 400, false, 1, std::string("MS Shell Dlg")));
        ASSERT_EQ(t.items.size(), d.controls.size());
        for (size_t i = 0; i < t.items.size(); ++i) {
            const standin::DialogItem& it = t.items[i];
            const Control& c = d.controls[i];
            const std::string text =
                it.text.isOrdinal ? "#" + std::to_string(it.text.ordinal) : it.text.text;
            EXPECT_EQ(std::tuple(it.id, it.windowClass.isOrdinal, it.windowClass.ordinal, text,
                                 it.x, it.y, it.cx, it.cy, it.style, it.exStyle, it.helpId,
                                 it.creationData.size()),
                      std::tuple(c.id, true, c.cls, c.text != nullptr ? c.text : text, c.x, c.y,
                                 c.cx, c.cy, kChild | c.style, 0u, 0u, size_t{0}))
                << "control " << i;
        }
    }
}

}  // namespace
