#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavolin {

// Which lines of the data file the page shows, down to which copy of identical lines, so a
// save replaces exactly those and keeps every other line, also a copy of a shown one. Of a
// numbered line's copies the last one shows; unnumbered lines show their first copies.
class ShownCopies {
public:
    // While the page loads: every numbered line in file order, then each shown line once per
    // slot (numbered ones first).
    void Clear();
    void CountNumbered(std::string_view line);
    void Show(std::string line, bool numbered);

    // While the page is saved: the page's new lines in the file's encoding (if it holds them).
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
