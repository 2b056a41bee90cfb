// tests/standin/comdlg32/file_dialogs_test.cpp
// GetOpenFileNameA and GetSaveFileNameA over the scripted backend: the list the open dialog
// writes, the name the save dialog offers and the questions its flags ask, what each writes
// and when it writes nothing; and the choosers when none can be shown.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "test_env.h"
#include "ui/scripted.h"

namespace {

namespace scripted = standin::scripted;

// The open-file dialog writes the list of what was chosen (the folder, then each name, when
// several) or nothing; the save-file dialog asks as its flags say, and both write a path only
// when it fits nMaxFile whole.
TEST(GetOpenAndSaveFileNameA, AskAsTheirFlagsSayAndWriteWhatWasChosenOnlyWhenItFits) {
    testenv::TempDir dir;
    const std::string existing = dir / "old.txt", fresh = dir / "new.txt";
    const std::string nowhere = dir / "none/x.txt";
    testenv::WriteFile(existing, "kept");
    const DWORD both = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const DWORD v400 = OPENFILENAME_SIZE_VERSION_400A, full = sizeof(OPENFILENAMEA);
    const DWORD multi = OFN_EXPLORER | OFN_ALLOWMULTISELECT, unknown = 76 + 136;
    const std::string replace = "Confirm Save As: old.txt already exists.\nDo you want to replace it?";
    const std::string missing = "Save As: " + nowhere + "\nPath does not exist.\nCheck the path and try again.";
    using namespace std::string_literals;
    const struct {
        bool save;
        DWORD flags;
        std::vector<std::string> choices;  // open: the files chosen; save: each name in turn
        std::vector<int> answers;          // each box's in turn
        std::string written;               // before its last NUL; none: FALSE, the buffer as it was
        std::vector<std::string> boxes = {};  // caption: text of each question asked
        size_t shown = 1;                  // how often the save chooser was shown
        DWORD maxFile = 48, structSize = v400;
        std::string offered = "";          // the buffer's text beforehand
        bool backend = true;               // false: no dialog on screen, no script
    } cases[] = {
        {false, OFN_EXPLORER, {"/d/a b"}, {}, "/d/a b\0"s},
        {false, multi, {"/d/a", "/d/bc"}, {}, "/d\0a\0bc\0"s, {}, 1, 48, full},
        {false, OFN_EXPLORER, {"/d/abc"}, {}, "/d/abc\0"s, {}, 1, 8},  // exactly fits
        {false, OFN_EXPLORER, {"/d/abcd"}, {}, "", {}, 1, 8},
        {false, OFN_EXPLORER, {"/d/a", "/d/b"}, {}, ""},  // several without the flag
        {false, multi, {"/d/a", "/e/b"}, {}, ""},         // several folders
        {false, multi, {}, {}, ""},                       // cancel
        {false, OFN_EXPLORER, {"/d/a"}, {}, "", {}, 1, 48, unknown},
        {false, OFN_EXPLORER, {"/d/a"}, {}, "", {}, 1, 48, v400, "", false},
        {true, both, {fresh}, {}, fresh},
        // No sends the user back to the chooser; the second choice is taken after Yes.
        {true, both, {existing, existing}, {IDNO, IDYES}, existing, {replace, replace}, 2},
        {true, both, {existing}, {IDNO}, "", {replace}, 2},
        {true, both, {nowhere, fresh}, {}, fresh, {missing}, 2},
        {true, OFN_EXPLORER, {nowhere}, {}, nowhere},  // without the flags nothing is asked
        {true, OFN_EXPLORER, {existing}, {}, existing},
        {true, OFN_EXPLORER, {"/tmp/abc.d"}, {}, "/tmp/abc.d", {}, 1, 11},  // exactly fits
        {true, OFN_EXPLORER, {"/tmp/abc.d"}, {}, "", {}, 1, 10, v400, "offer"},
        {true, OFN_EXPLORER, {}, {}, "", {}, 1, 3, v400, "a.txt"},  // offered as far as nMaxFile
        {true, OFN_EXPLORER, {fresh}, {}, fresh, {}, 1, 48, full},
        {true, OFN_EXPLORER, {fresh}, {}, "", {}, 0, 48, unknown},  // not shown
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << (k.save ? "save " : "open ") << testing::PrintToString(k.choices)
                     << " flags " << k.flags << " " << k.maxFile << " " << k.structSize
                     << (k.backend ? "" : " without a backend"));
        scripted::Install();
        if (!k.save)
            scripted::PushOpenFile(k.choices);
        for (const std::string& c : k.save ? k.choices : std::vector<std::string>{})
            scripted::PushSaveFile(c);
        for (int a : k.answers)
            scripted::PushAnswer(a);
        if (!k.backend)
            scripted::Uninstall();
        char buffer[48];
        memset(buffer, '#', sizeof buffer);
        if (k.save)
            memcpy(buffer, k.offered.c_str(), k.offered.size() + 1);
        const std::string before(buffer, sizeof buffer);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = k.structSize;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = k.maxFile;
        ofn.Flags = k.flags;
        EXPECT_EQ(k.written.empty() ? FALSE : TRUE,
                  k.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn));
        EXPECT_EQ(k.written.empty() ? before
                                    : k.written + '\0' + before.substr(k.written.size() + 1),
                  std::string(buffer, sizeof buffer));
        std::vector<std::string> boxes;
        for (const auto& b : scripted::Boxes())
            boxes.push_back(b.caption + ": " + b.text);
        EXPECT_EQ(k.boxes, boxes);
        if (k.save) {
            ASSERT_EQ(k.shown, scripted::Choosers().size());
            if (k.shown > 0) {
                EXPECT_EQ(k.offered.substr(0, k.maxFile), scripted::Choosers()[0].text);
            }
            if (!k.written.empty()) {
                EXPECT_EQ(k.written.rfind('/') + 1, ofn.nFileOffset);
                EXPECT_EQ(k.written.rfind('.') + 1, ofn.nFileExtension);
            }
        }
        scripted::Uninstall();
    }
    EXPECT_EQ("kept", testenv::ReadFile(existing));  // choosing a name writes no file
}

// Without a display there is no chooser: each call fails as a cancel and says why.
TEST(Choosers, WithoutADisplayEachFailsAsACancelAndSaysWhyInOneLine) {
    const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    setenv("DISPLAY", "", 1);
    unsetenv("WAYLAND_DISPLAY");
    char buffer[32] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    COLORREF custom[16] = {};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = 255;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    char name[MAX_PATH] = "";
    BROWSEINFOA bi{};
    bi.pszDisplayName = name;
    bi.lpszTitle = "Folder";
    const std::pair<const char*, std::function<bool()>> calls[] = {
        {"save-file chooser", [&] { return GetSaveFileNameA(&ofn) != FALSE; }},
        {"colour chooser", [&] { return ChooseColorA(&cc) != FALSE; }},
        {"folder chooser", [&] { return SHBrowseForFolderA(&bi) != nullptr; }},
    };
    for (const auto& [what, call] : calls) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(call()) << what;
        EXPECT_EQ(std::string(program_invocation_short_name) + ": cannot show the " + what +
                      ": no display (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                  testing::internal::GetCapturedStderr());
    }
    EXPECT_EQ(255u, cc.rgbResult);
    EXPECT_STREQ("", buffer);
    EXPECT_STREQ("", name);
    setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
