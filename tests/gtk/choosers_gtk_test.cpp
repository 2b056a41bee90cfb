// tests/gtk/choosers_gtk_test.cpp
// The example program zapfile-choosers on a virtual display with a window manager (jwm, set
// up by tests/gtk/jwmrc), driven with keys alone: the save, folder and colour choosers give
// what the library promises, and the window comes back where it was left.
#include <sstream>

#include "desktop.h"

namespace {

using desktop::Strings;

class ChoosersGtkTest : public desktop::DesktopTest {
protected:
    static void SetUpTestSuite() { StartDisplay({JWM_BIN, "-f", JWMRC}); }
    // Plays `steps` on the example; what it wrote, one result a line.
    Strings Lines(const std::vector<Strings>& steps,
                  const std::vector<std::function<void()>>& calls = {}) const {
        std::istringstream out(Play({CHOOSERS_BIN}, steps, calls).out);
        Strings lines;
        for (std::string line; std::getline(out, line);)
            lines.push_back(line);
        return lines;
    }
    // Where the example's window stands on the screen, "x,y".
    std::string Position() const {
        const std::string out = Xdotool({"getwindowgeometry", FindWindow("Zapfile Choosers")}).out;
        const size_t at = out.find("Position: ");
        return at == std::string::npos ? "" : out.substr(at + 10, out.find(' ', at + 10) - at - 10);
    }
};

const Strings kMain = {"focus", "Zapfile Choosers"};
const Strings kTab = {"key", "Tab"}, kSpace = {"key", "space"}, kReturn = {"key", "Return"};
const Strings kEscape = {"key", "Escape"}, kDown = {"key", "Down"};

// "Save..." (the first button): a name that exists is asked about; No shows the chooser again,
// Yes takes the name, and the file is left as it was. The recent files stay as they were.
TEST_F(ChoosersGtkTest, SaveAsksBeforeReplacingAndLandsThePath) {
    testenv::WriteFile(dir / "old.txt", "kept");
    WithRecentFiles();
    const Strings lines =
        Lines({kMain, kSpace, {"focus", "Save As"}, {"type", "old.txt"}, kReturn,
               {"focus", "Confirm Save As"}, {"key", "alt+n"}, {"closed", "Confirm Save As"},
               {"focus", "Save As"}, kReturn, {"focus", "Confirm Save As"}, {"key", "alt+y"},
               {"closed", "Save As"}, kMain, kSpace, {"focus", "Save As"}, kEscape,
               {"closed", "Save As"}, kMain, kEscape});
    EXPECT_EQ(Strings({"Save to: " + dir / "old.txt", "Save: cancelled"}), lines);
    EXPECT_EQ("kept", testenv::ReadFile(dir / "old.txt"));
}

// "Folder..." (one Tab on): a folder typed into the chooser, titled as Windows titles it,
// comes back with its leaf name. The recent files stay as they were.
TEST_F(ChoosersGtkTest, FolderBrowserGivesTheFolderAndItsLeaf) {
    std::filesystem::create_directories(dir / "Music/Live");
    WithRecentFiles();
    const Strings chooser = {"focus", "Browse For Folder"};
    const Strings closed = {"closed", chooser[1]};
    const Strings lines =
        Lines({kMain, kTab, kSpace, chooser, {"key", "ctrl+l"}, {"type", dir / "Music/Live"},
               kReturn, closed, kMain, kSpace, chooser, kEscape, closed, kMain, kEscape});
    EXPECT_EQ(Strings({"Folder: " + dir / "Music/Live" + "  Leaf: Live", "Folder: cancelled"}),
              lines);
}

// "Colour..." (two Tabs on). The chooser opens on blue, the colour stored last (none yet),
// its focus on the first basic colour; six rows down are the custom colours, "+" two rows
// further, whose editor offers #BF4040. A colour made there is a custom colour in the next
// call; Escape gives back the colour the chooser was opened with.
TEST_F(ChoosersGtkTest, ColourComesBackAndAMixedColourIsOfferedNextTime) {
    const std::vector<Strings> calls[] = {
        {kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kReturn, kReturn},  // "+"
        {kReturn, kReturn},                                         // the first basic colour
        {kDown, kDown, kDown, kDown, kDown, kDown, kReturn, kReturn},  // the first custom one
        {kEscape},
    };
    std::vector<Strings> steps = {kMain, kTab, kTab};
    for (const auto& keys : calls) {
        steps.insert(steps.end(), {kMain, kSpace, {"focus", "Color"}});
        steps.insert(steps.end(), keys.begin(), keys.end());
        steps.push_back({"closed", "Color"});
    }
    steps.insert(steps.end(), {kMain, kEscape});
    EXPECT_EQ(Strings({"Colour: #BF4040  Custom: #BF4040", "Colour: #FF8080  Custom: #BF4040",
                       "Colour: #BF4040  Custom: #BF4040", "Colour: #BF4040  Custom: #BF4040"}),
              Lines(steps));
}

// Moved with the keyboard (the window manager's Alt+F7), closed and started again, the window
// stands where it was left.
TEST_F(ChoosersGtkTest, WindowComesBackWhereItWasLeft) {
    std::string first, moved, again;
    const Strings right = {"key", "Right"};
    Lines({kMain, {"call", "0"}, {"key", "alt+F7"}, right, right, right, right, right, kDown,
           kDown, kDown, kReturn, {"call", "1"}, kEscape},
          {[&] { first = Position(); }, [&] { moved = Position(); }});
    Lines({kMain, {"call", "0"}, kEscape}, {[&] { again = Position(); }});
    ASSERT_NE("", first);
    EXPECT_NE(first, moved) << "the window did not move";
    EXPECT_EQ(moved, again);
}

}  // namespace
