#include "core/store/ShownCopies.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tavolin {
namespace {

// One save: the page's new lines, the lines of the page's key that the save passes in the
// section, and which of them it drops (the copies the page showed).
struct Save {
    std::vector<std::string> page;
    std::vector<std::string> passed;
    std::vector<bool> dropped;
};

struct Case {
    const char* name;
    std::vector<std::string> numbered;               // the page's numbered lines, in file order
    std::vector<std::pair<std::string, bool>> shown; // a line per used slot, and if numbered
    std::vector<Save> saves;                         // each followed by the next
};

// Identical lines are told apart by which copy they are, load after save after save.
TEST(ShownCopiesTest, ASaveDropsExactlyTheCopiesThePageShowed) {
    const std::string a = "1:1=/a", b = "1:1=/b", u = "1:-1=/u";
    const Case cases[] = {
        // A later line for a slot wins: of two copies the last one shows.
        {"same-slot-twice", {a, a}, {{a, true}}, {{{a}, {a, a}, {false, true}}}},
        // Unnumbered lines take slots in file order: theirs are the first copies.
        {"unnumbered-first-copies",
         {},
         {{u, false}, {u, false}},
         {{{"1:1=/u", "1:2=/u"}, {u, u, u}, {true, true, false}}}},
        // A kept line identical to the slot's new line stays where it is at the next save;
        // the new line, written after it, is the copy the page shows from then on.
        {"kept-copy-identical-to-the-new-line",
         {a, b},
         {{b, true}},
         {{{a}, {a, b}, {false, true}}, {{a}, {a, a}, {false, true}}}},
        // A page emptied by a save drops nothing at the next one.
        {"emptied-page", {a}, {{a, true}}, {{{}, {a}, {true}}, {{}, {a}, {false}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownCopies copies;
        copies.Clear();
        for (const auto& line : c.numbered)
            copies.CountNumbered(line);
        for (const auto& [line, numbered] : c.shown)
            copies.Show(line, numbered);
        int round = 0;
        for (const Save& save : c.saves) {
            SCOPED_TRACE(++round);
            const std::vector<std::optional<std::string>> page(save.page.begin(), save.page.end());
            copies.BeginSave(page);
            std::vector<bool> dropped;
            for (const auto& line : save.passed)
                dropped.push_back(copies.Drop(line));
            EXPECT_EQ(dropped, save.dropped);
            copies.Saved(page, save.page);
        }
    }
}

} // namespace
} // namespace tavolin
