#include "core/store/ShownCopies.h"

#include <algorithm>

namespace tavolin {

void ShownCopies::Clear() {
    m_shown.clear();
}

void ShownCopies::Show(std::string_view line) {
    auto& copies = m_shown[std::string(line)];
    copies.push_back(static_cast<int>(copies.size()) + 1);
}

void ShownCopies::BeginSave(const std::vector<std::optional<std::string>>& pageLines) {
    m_met.clear();
    m_dropped.clear();
    for (const auto& entry : m_shown)
        m_met.emplace(entry.first, 0);
    for (const auto& line : pageLines) {
        if (line)
            m_met.emplace(*line, 0);
    }
}

bool ShownCopies::Drop(std::string_view line) {
    const auto met = m_met.find(std::string(line));
    if (met == m_met.end())
        return false;
    const int copy = ++met->second;
    const auto shown = m_shown.find(met->first);
    if (shown == m_shown.end() ||
        std::find(shown->second.begin(), shown->second.end(), copy) == shown->second.end()) {
        return false;
    }
    ++m_dropped[met->first];
    return true;
}

void ShownCopies::Saved(const std::vector<std::optional<std::string>>& pageLines,
                        const std::vector<std::string>& written) {
    // Each new line follows the copies of it that the section kept.
    m_shown.clear();
    std::unordered_map<std::string, int> ordinal;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto& raw = pageLines[i];
        const int kept = raw ? m_met[*raw] - m_dropped[*raw] : 0;
        const int copy = kept + ++ordinal[written[i]];
        m_shown[written[i]].push_back(copy);
    }
    m_met.clear();
    m_dropped.clear();
}

} // namespace tavolin
