#include "core/store/ShownCopies.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tavolin {
namespace {

// One save: the page's new lines, the lines of the page's key that the save passes in the
// section, and which of them it drops (the copies the page held).
struct Save {
    std::vector<std::string> page;
    std::vector<std::string> passed;
    std::vector<bool> dropped;
};

struct Case {
    const char* name;
    std::vector<std::string> held; // the page's lines as the load met them
    std::vector<Save> saves;       // each followed by the next
};

// Identical lines are told apart by which copy they are, load after save after save.
TEST(ShownCopiesTest, ASaveDropsExactlyTheCopiesThePageHeld) {
    const std::string a = "1:1=/a", b = "1:1=/b", u = "1:-1=/u";
    const Case cases[] = {
        // Both copies for one slot go, the overridden one too; a third, added by another
        // writer after the load, stays.
        {"same-slot-twice", {a, a}, {{{a}, {a, a, a}, {true, true, false}}}},
        // Unnumbered lines take slots in file order: theirs are the first copies.
        {"unnumbered-first-copies",
         {u, u},
         {{{"1:1=/u", "1:2=/u"}, {u, u, u}, {true, true, false}}}},
        // The new line is the copy the page holds at the next save; one like it that another
        // writer added is kept.
        {"new-line-then-one-added",
         {a, b},
         {{{a}, {a, b}, {true, true}}, {{a}, {a, a}, {true, false}}}},
        // A page emptied by a save drops nothing at the next one.
        {"emptied-page", {a}, {{{}, {a}, {true}}, {{}, {a}, {false}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownCopies copies;
        copies.Clear();
        for (const auto& line : c.held)
            copies.Show(line);
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
