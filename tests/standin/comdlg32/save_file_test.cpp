// tests/standin/comdlg32/save_file_test.cpp
// GetSaveFileNameA over the scripted backend: the questions its flags ask, what it writes and
// when it writes nothing, and a chooser that cannot be shown.
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

struct Outcome {
    BOOL result;
    std::string buffer;  // the first 48 bytes afterwards
    std::vector<std::string> boxes;  // caption: text of each question asked
    size_t shown;                    // how often the chooser was shown
};

// The chooser answers each of `choices` in turn (then Cancel), each box `answers` in turn.
Outcome Save(DWORD flags, std::vector<std::string> choices, std::vector<int> answers,
             DWORD maxFile = 48, DWORD structSize = OPENFILENAME_SIZE_VERSION_400A,
             const char* offered = "") {
    scripted::Install();
    for (std::string& c : choices)
        scripted::PushSaveFile(c);
    for (int a : answers)
        scripted::PushAnswer(a);
    char buffer[48];
    memset(buffer, '#', sizeof buffer);
    memcpy(buffer, offered, strlen(offered) + 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = structSize;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = maxFile;
    ofn.Flags = flags;
    Outcome o{GetSaveFileNameA(&ofn), std::string(buffer, sizeof buffer), {},
              scripted::Choosers().size()};
    for (const auto& b : scripted::Boxes())
        o.boxes.push_back(b.caption + ": " + b.text);
    if (o.result) {
        const std::string path(buffer);
        EXPECT_EQ(path.rfind('/') + 1, ofn.nFileOffset);
        EXPECT_EQ(path.rfind('.') + 1, ofn.nFileExtension);
    }
    scripted::Uninstall();
    return o;
}

std::string Written(const std::string& path) {
    return path + '\0' + std::string(47 - path.size(), '#');
}

TEST(GetSaveFileNameA, AsksBeforeReplacingAndAcceptsOnlyAnExistingFolder) {
    testenv::TempDir dir;
    const std::string existing = dir / "old.txt", fresh = dir / "new.txt";
    const std::string nowhere = dir / "none/x.txt";
    testenv::WriteFile(existing, "kept");
    const DWORD both = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const std::string replace = "Confirm Save As: old.txt already exists.\nDo you want to replace it?";
    const std::string missing = "Save As: " + nowhere + "\nPath does not exist.\nCheck the path and try again.";

    Outcome o = Save(both, {fresh}, {});
    EXPECT_EQ(TRUE, o.result);
    EXPECT_EQ(Written(fresh), o.buffer);
    EXPECT_TRUE(o.boxes.empty());

    // No sends the user back to the chooser; the second choice is taken after Yes.
    o = Save(both, {existing, existing}, {IDNO, IDYES});
    EXPECT_EQ(TRUE, o.result);
    EXPECT_EQ(Written(existing), o.buffer);
    EXPECT_EQ(std::vector<std::string>({replace, replace}), o.boxes);
    EXPECT_EQ(2u, o.shown);
    EXPECT_EQ("kept", testenv::ReadFile(existing));  // choosing a name writes no file

    o = Save(both, {existing}, {IDNO});  // then Cancel
    EXPECT_EQ(FALSE, o.result);
    EXPECT_EQ(std::string(48, '#').replace(0, 1, 1, '\0'), o.buffer);

    o = Save(both, {nowhere, fresh}, {});
    EXPECT_EQ(TRUE, o.result);
    EXPECT_EQ(std::vector<std::string>({missing}), o.boxes);
    EXPECT_EQ(Written(fresh), o.buffer);

    // Without the flags nothing is asked.
    o = Save(OFN_EXPLORER, {nowhere}, {});
    EXPECT_EQ(TRUE, o.result);
    EXPECT_TRUE(o.boxes.empty());
    o = Save(OFN_EXPLORER, {existing}, {});
    EXPECT_EQ(TRUE, o.result);
    EXPECT_TRUE(o.boxes.empty());
}

TEST(GetSaveFileNameA, WritesThePathOnlyWhenItFitsAndTheRecordIsKnown) {
    const std::string path = "/tmp/abc.d";  // 10 characters and the NUL
    EXPECT_EQ(TRUE, Save(OFN_EXPLORER, {path}, {}, 11).result);
    Outcome o = Save(OFN_EXPLORER, {path}, {}, 10, OPENFILENAME_SIZE_VERSION_400A, "offer");
    EXPECT_EQ(FALSE, o.result);
    EXPECT_EQ(std::string("offer\0", 6) + std::string(42, '#'), o.buffer);
    o = Save(OFN_EXPLORER, {path}, {}, 48, sizeof(OPENFILENAMEA));
    EXPECT_EQ(TRUE, o.result);
    o = Save(OFN_EXPLORER, {path}, {}, 48, 76 + 136);
    EXPECT_EQ(FALSE, o.result);
    EXPECT_EQ(0u, o.shown) << "an unknown record is refused before anything is shown";
    o = Save(OFN_EXPLORER, {}, {});
    EXPECT_EQ(FALSE, o.result);  // Cancel
    EXPECT_EQ(1u, o.shown);
    EXPECT_EQ(std::string(1, '\0') + std::string(47, '#'), o.buffer);
}

TEST(GetSaveFileNameA, OffersTheBufferTextFirst) {
    scripted::Install();
    scripted::PushSaveFile("");
    char buffer[8] = "a.txt";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = 3;  // the text is read no further than the buffer's stated size
    EXPECT_EQ(FALSE, GetSaveFileNameA(&ofn));
    ASSERT_EQ(1u, scripted::Choosers().size());
    EXPECT_EQ("a.t", scripted::Choosers()[0].text);
    EXPECT_EQ("save", scripted::Choosers()[0].kind);
    scripted::Uninstall();
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
    const struct {
        const char* what;
        std::function<bool()> call;
    } calls[] = {
        {"save-file chooser", [&] { return GetSaveFileNameA(&ofn) != FALSE; }},
        {"colour chooser", [&] { return ChooseColorA(&cc) != FALSE; }},
        {"folder chooser", [&] { return SHBrowseForFolderA(&bi) != nullptr; }},
    };
    for (const auto& c : calls) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(std::string(program_invocation_short_name) + ": cannot show the " + c.what +
                      ": no display (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                  testing::internal::GetCapturedStderr());
    }
    EXPECT_EQ(255u, cc.rgbResult);
    EXPECT_STREQ("", buffer);
    EXPECT_STREQ("", name);
    setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
