#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavolin {

// Which lines of the data file the page holds, down to which copy of identical lines, so a
// save replaces exactly those and keeps every other line, also a copy of a held one that
// another writer added since. The page holds every numbered line of its slots, also one a
// later line for the same slot overrode (deleting the later one must not bring it back), and
// the unnumbered lines that took a free slot: their first copies.
class ShownCopies {
public:
    // While the page loads: every numbered line of the page, and each unnumbered line that
    // took a slot, in file order.
    void Clear();
    void Show(std::string_view line);

    // While the page is saved: the page's new lines in the file's encoding (if it holds them).
    void BeginSave(const std::vector<std::optional<std::string>>& pageLines);
    // A line of the section with the page's key: true when it is a copy the page showed.
    bool Drop(std::string_view line);
    // After the new file is in place: `written` are the page's lines as written.
    void Saved(const std::vector<std::optional<std::string>>& pageLines,
               const std::vector<std::string>& written);

private:
    std::unordered_map<std::string, std::vector<int>> m_shown; // line -> copies held
    std::unordered_map<std::string, int> m_met, m_dropped;     // while saving
};

} // namespace tavolin
