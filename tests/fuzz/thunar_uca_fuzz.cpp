// tests/fuzz/thunar_uca_fuzz.cpp
// The rewrite of a user's Thunar uca.xml, on any text. Whenever it agrees to rewrite, the
// checker below must hold:
//  - nothing of the user's is lost: the new text is the old one less whole actions of this
//    program's (each with the line end after it), plus this program's actions once, right
//    before the last </actions>;
//  - Thunar can still read it: a text that GLib's markup parser (Thunar's) reads gives a text
//    it reads, holding the same actions of the user's, in the same order;
//  - a second rewrite changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "menu_entries.h"
#include "shell32/menu_entries.h"

namespace {

using standin::menus::ReplaceOurActions;
using standin::menus::ThunarAction;
using standin::menus::Verb;

// True when `after` is `before` less some of the blocks in `owned` (each block with one line
// end after it, when there is one), walking both from the start.
bool LessOwnedBlocks(std::string_view before, std::string_view after,
                     const std::vector<std::string>& owned) {
    size_t i = 0, j = 0;
    while (i < before.size()) {
        bool skipped = false;
        for (const std::string& o : owned) {
            const std::string_view block = std::string_view(o).substr(0, o.size() - 1);
            if (before.compare(i, block.size(), block) == 0 &&
                after.compare(j, block.size(), block) != 0) {
                i += block.size() + (i + block.size() < before.size() && before[i + block.size()] == '\n');
                skipped = true;
                break;
            }
        }
        if (skipped)
            continue;
        if (j >= after.size() || before[i] != after[j])
            return false;
        ++i;
        ++j;
    }
    return j == after.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks which actions were written before and which are written now.
    const Verb zap{"Zap", {"/bin/zap", "%1"}}, other{"A & <b>", {"/opt/it's", "-x", "%1"}};
    std::vector<std::string> owned;
    if (data[0] & 1)
        owned.push_back(ThunarAction(zap));
    if (data[0] & 2)
        owned.push_back(ThunarAction(other));
    std::string ours;
    if (data[0] & 4)
        ours += owned.emplace_back(ThunarAction(zap));
    if (data[0] & 8)
        ours += owned.emplace_back(ThunarAction(other));
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::string out;
    if (!ReplaceOurActions(text, owned, ours, &out))
        return 0;
    // Ours once, right before the last </actions>; the rest is the old text less our actions.
    const size_t close = out.rfind("</actions>");
    Check(close != std::string::npos && close >= ours.size() &&
          out.compare(close - ours.size(), ours.size(), ours) == 0);
    const std::string rest = out.substr(0, close - ours.size()) + out.substr(close);
    Check(LessOwnedBlocks(text, rest, owned));

    // The user's actions, as Thunar's parser (GMarkup) lists them, are the same; ours go and
    // come back. (An action of the user's that merely reads like one of ours is kept byte for
    // byte, which the check above has seen to.)
    std::vector<menus::Action> before, after, known;
    if (menus::UcaActions(text, &before)) {
        Check(menus::UcaActions(out, &after));
        for (const std::string& o : owned) {
            std::vector<menus::Action> mine;
            Check(menus::UcaActions("<actions>" + o + "</actions>", &mine) && mine.size() == 1);
            known.push_back(mine[0]);
        }
        for (auto* all : {&before, &after})
            all->erase(std::remove_if(all->begin(), all->end(), [&known](const menus::Action& a) {
                           return std::count(known.begin(), known.end(), a) > 0;
                       }), all->end());
        Check(before == after);
    }
    std::string again;
    Check(ReplaceOurActions(out, owned, ours, &again) && again == out);
    return 0;
}
