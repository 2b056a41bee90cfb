// tests/standin/user32/resources_test.cpp
//
// Finding resources, and refusing damaged input. Damaged input is placed right before an
// inaccessible page, so that a read past its end crashes the test instead of going unnoticed.
// (The icon is decoded for the desktop's icons, which tests/install/install_tree.sh compares
// pixel for pixel with icon 103.)
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"
#include "user32/dialog_template.h"
#include "user32/resources.h"

namespace {

using namespace std::string_literals;
using Bytes = std::vector<unsigned char>;

// Reads b as a .res image, or else as a dialog template, from a copy that ends exactly where
// an unreadable page begins.
bool ParsesGuarded(bool resImage, const Bytes& b) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE)), span = (b.size() / page + 2) * page;
    void* base = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) std::abort();
    unsigned char* end = static_cast<unsigned char*>(base) + span - page;
    mprotect(end, page, PROT_NONE);
    const unsigned char* p = std::copy(b.begin(), b.end(), end - b.size()) - b.size();
    std::vector<standin::ResourceEntry> entries;
    standin::DialogTemplate dialog;
    bool parsed = resImage ? standin::ParseResourceImage({p, b.size()}, &entries)
                           : standin::ParseDialogTemplate(p, b.size(), &dialog);
    munmap(base, span);
    return parsed;
}

void Put(Bytes& b, size_t value, int bytes) {  // little-endian
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Dialog "SETUP", dialog 7 and resource 7 of type 6, holding 5 5 5 5, 6 6 6 6 and 7 7 7 7.
// An entry: DataSize, HeaderSize, type and name, padding, 16 bytes of fixed fields, the data.
// *ends gets the size after each entry: a cut there leaves a smaller but whole image.
Bytes SmallImage(std::vector<size_t>* ends = nullptr) {
    Bytes b;
    unsigned char fill = 5;
    for (const auto& names : {u"\xFFFF\5SETUP\0"s, u"\xFFFF\5\xFFFF\7"s, u"\xFFFF\6\xFFFF\7"s}) {
        size_t start = b.size(), header = (8 + 2 * names.size() + 3) / 4 * 4 + 16;
        Put(b, 4 | header << 32, 8);  // DataSize 4, HeaderSize
        for (char16_t c : names) Put(b, c, 2);
        b.resize(start + header);
        b.insert(b.end(), 4, fill++);
        if (ends) ends->push_back(b.size());
    }
    return b;
}

TEST(ResourceLookup, ByOrdinalHashNumberOrNameInAnyCase) {
    Bytes b = SmallImage();
    auto find = [&b](LPCSTR type, LPCSTR name) {
        standin::ResourceBytes r;
        bool found = standin::FindResourceBytesIn({b.data(), b.size()}, type, name, &r);
        return found && r.size == 4 ? int{r.data[0]} : 0;
    };
    EXPECT_EQ(find(RT_DIALOG, "sEtUp"), 5);
    EXPECT_EQ(find(RT_DIALOG, MAKEINTRESOURCE(7)), 6);
    EXPECT_EQ(find("#6", "#7"), 7);  // the type counts as well: dialog 7 comes first
    for (LPCSTR other : {"SETU", "SETUPS", "#8"}) EXPECT_EQ(find(RT_DIALOG, other), 0) << other;
}

TEST(DamagedInput, TruncatedOrCorruptImagesAndTemplatesAreRefusedWithinTheirBounds) {
    standin::ResourceBytes dialog;
    ASSERT_TRUE(standin::FindResourceBytes(RT_DIALOG, MAKEINTRESOURCE(IDD_MAIN), &dialog));
    std::vector<size_t> ends = {0};
    Bytes res = SmallImage(&ends);
    // Single bytes that, changed, must get the input refused: DataSize or HeaderSize past the
    // end, a HeaderSize that cuts the name "SETUP" short; in the template an unknown version,
    // 0xFF00 more items than there are, and as many bytes of creation data after "...".
    const std::tuple<bool, Bytes, std::vector<std::pair<size_t, int>>> inputs[] = {
        {true, res, {{0, 0xFF}, {4, 0xF0}, {4, 20}}},
        {false, Bytes(dialog.data, dialog.data + dialog.size), {{0, 2}, {17, 0xFF}, {121, 0xFF}}}};
    for (const auto& [isRes, input, corruptions] : inputs) {
        for (size_t cut = 0; cut <= input.size(); ++cut) {
            bool whole = isRes ? std::count(ends.begin(), ends.end(), cut) : cut == input.size();
            EXPECT_EQ(ParsesGuarded(isRes, Bytes(input.begin(), input.begin() + cut)), whole)
                << (isRes ? ".res" : "template") << " cut at " << cut;
        }
        for (auto [at, value] : corruptions) {
            Bytes bad = input;
            bad[at] = static_cast<unsigned char>(value);
            EXPECT_FALSE(ParsesGuarded(isRes, bad)) << "byte " << at << " = " << value;
        }
    }
}

}  // namespace
