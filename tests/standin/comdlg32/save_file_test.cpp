// tests/standin/comdlg32/save_file_test.cpp
// GetSaveFileNameA over the scripted backend: the name it offers, the questions its flags ask,
// what it writes and when it writes nothing; and the choosers when none can be shown.
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

TEST(GetSaveFileNameA, AsksAsItsFlagsSayAndWritesThePathOnlyWhenItFits) {
    testenv::TempDir dir;
    const std::string existing = dir / "old.txt", fresh = dir / "new.txt";
    const std::string nowhere = dir / "none/x.txt";
    testenv::WriteFile(existing, "kept");
    const DWORD both = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const DWORD v400 = OPENFILENAME_SIZE_VERSION_400A;
    const std::string replace = "Confirm Save As: old.txt already exists.\nDo you want to replace it?";
    const std::string missing = "Save As: " + nowhere + "\nPath does not exist.\nCheck the path and try again.";
    const struct {
        DWORD flags;
        std::vector<std::string> choices;  // the chooser's answers in turn, then Cancel
        std::vector<int> answers;          // each box's in turn
        std::string written;               // the path written; none: FALSE, the buffer as it was
        std::vector<std::string> boxes;    // caption: text of each question asked
        size_t shown;                      // how often the chooser was shown
        DWORD maxFile = 48, structSize = v400;
        std::string offered = "";          // the buffer's text beforehand
    } cases[] = {
        {both, {fresh}, {}, fresh, {}, 1},
        // No sends the user back to the chooser; the second choice is taken after Yes.
        {both, {existing, existing}, {IDNO, IDYES}, existing, {replace, replace}, 2},
        {both, {existing}, {IDNO}, "", {replace}, 2},
        {both, {nowhere, fresh}, {}, fresh, {missing}, 2},
        {OFN_EXPLORER, {nowhere}, {}, nowhere, {}, 1},  // without the flags nothing is asked
        {OFN_EXPLORER, {existing}, {}, existing, {}, 1},
        {OFN_EXPLORER, {"/tmp/abc.d"}, {}, "/tmp/abc.d", {}, 1, 11},  // exactly fits
        {OFN_EXPLORER, {"/tmp/abc.d"}, {}, "", {}, 1, 10, v400, "offer"},
        {OFN_EXPLORER, {}, {}, "", {}, 1, 3, v400, "a.txt"},  // offered as far as nMaxFile
        {OFN_EXPLORER, {fresh}, {}, fresh, {}, 1, 48, sizeof(OPENFILENAMEA)},
        {OFN_EXPLORER, {fresh}, {}, "", {}, 0, 48, 76 + 136},  // an unknown record
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.written << " " << k.maxFile << " " << k.structSize);
        scripted::Install();
        for (const std::string& c : k.choices)
            scripted::PushSaveFile(c);
        for (int a : k.answers)
            scripted::PushAnswer(a);
        char buffer[48];
        memset(buffer, '#', sizeof buffer);
        memcpy(buffer, k.offered.c_str(), k.offered.size() + 1);
        const std::string before(buffer, sizeof buffer);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = k.structSize;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = k.maxFile;
        ofn.Flags = k.flags;
        EXPECT_EQ(k.written.empty() ? FALSE : TRUE, GetSaveFileNameA(&ofn));
        if (k.written.empty()) {
            EXPECT_EQ(before, std::string(buffer, sizeof buffer));
        } else {
            EXPECT_EQ(k.written + '\0' + before.substr(k.written.size() + 1), std::string(buffer, 48));
            EXPECT_EQ(k.written.rfind('/') + 1, ofn.nFileOffset);
            EXPECT_EQ(k.written.rfind('.') + 1, ofn.nFileExtension);
        }
        std::vector<std::string> boxes;
        for (const auto& b : scripted::Boxes())
            boxes.push_back(b.caption + ": " + b.text);
        EXPECT_EQ(k.boxes, boxes);
        ASSERT_EQ(k.shown, scripted::Choosers().size());
        if (k.shown > 0) {
            EXPECT_EQ(k.offered.substr(0, k.maxFile), scripted::Choosers()[0].text);
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
