#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavolin {

// Which lines of the data file the page on screen shows, down to which copy of identical
// lines: a save replaces exactly those and keeps every other line byte for byte, also a copy
// identical to a shown one.
//
// While a page loads, a later line for a slot takes it from an earlier one, so of a numbered
// line's copies (all with the same number) the last one shows; unnumbered lines take free slots
// in file order, so theirs are the first copies. While a save passes the page's lines of the
// section, Drop says which are the shown copies. The page's new lines go at the end of the
// section, after every kept copy, and become the shown lines.
class ShownCopies {
public:
    // --- while the page loads: every numbered line of the page first, in file order, then
    // each shown line once per slot (numbered ones first, then unnumbered ones in slot order).
    void Clear();
    void CountNumbered(std::string_view line);
    void Show(std::string line, bool numbered);

    // --- while the page is saved: `pageLines` are the page's new lines as the file's encoding
    // spells them (nothing for one it cannot hold).
    void BeginSave(const std::vector<std::optional<std::string>>& pageLines);
    // A line of the section with the page's key: true when it is a copy the page showed.
    bool Drop(std::string_view line);
    // After the new file is in place: `written` are the page's lines as written.
    void Saved(const std::vector<std::optional<std::string>>& pageLines,
               const std::vector<std::string>& written);

private:
    std::unordered_map<std::string, std::vector<int>> m_shown; // line -> copies shown
    std::vector<std::size_t> m_numbered;                       // hashes, while loading
    std::unordered_map<std::string, int> m_firstCopies;        // while loading
    std::unordered_map<std::string, int> m_met, m_dropped;     // while saving
};

} // namespace tavolin
