#include "core/commands/HelpTopics.h"

#include "core/helpers/Convert.h"

#include <algorithm>
#include <array>

namespace tavolin::commands {

namespace {

constexpr std::array<HelpTopic, 13> kTopics{{
    {kHelpContents, "index.html", "目次"},
    {kHelpMainWindow, "main.html", "ランチャーウィンドウ"},
    {22, "options_buttons.html", "オプション設定: ボタン詳細"},
    {23, "options_info.html", "オプション設定: 情報枠"},
    {24, "options_display1.html", "オプション設定: 表示１"},
    {32, "options_display2.html", "オプション設定: 表示２"},
    {33, "options_areas.html", "オプション設定: 削除/ごみ箱 エリア"},
    {31, "options_aux.html", "オプション設定: 補助 Window"},
    {25, "category_edit.html", "カテゴリー編集"},
    {26, "browse.html", "ファイルの参照"},
    {27, "address_bar.html", "アドレスバー"},
    {28, "calendar.html", "カレンダー"},
    {29, "memo.html", "メモ"},
}};

std::vector<std::string> Words(const std::string& query) {
    // The length of the blank at `at`, or 0: the ASCII space and tab, the full-width space.
    const auto blank = [&](std::size_t at) -> std::size_t {
        if (query[at] == ' ' || query[at] == '\t')
            return 1;
        return query.compare(at, 3, "\xE3\x80\x80") == 0 ? 3 : 0;
    };
    std::vector<std::string> words;
    for (std::size_t at = 0; at < query.size();) {
        std::size_t end = at;
        while (end < query.size() && blank(end) == 0)
            ++end;
        if (end > at)
            words.push_back(LowerAscii(query.substr(at, end - at)));
        at = end == at ? at + blank(at) : end;
    }
    return words;
}

bool HoldsAll(const std::string& text, const std::vector<std::string>& words) {
    const std::string lower = LowerAscii(text);
    return std::all_of(words.begin(), words.end(),
                       [&](const std::string& w) { return lower.find(w) != std::string::npos; });
}

} // namespace

std::span<const HelpTopic> HelpTopics() {
    return kTopics;
}

const HelpTopic& HelpTopicOf(int context) {
    const auto it = std::find_if(kTopics.begin(), kTopics.end(),
                                 [context](const HelpTopic& t) { return t.context == context; });
    return it == kTopics.end() ? kTopics.front() : *it;
}

std::vector<int> FindTopics(const std::vector<HelpPageText>& pages, const std::string& query) {
    const std::vector<std::string> words = Words(query);
    std::vector<int> byTitle;
    std::vector<int> byText;
    for (const HelpPageText& page : pages) {
        if (HoldsAll(page.title, words)) {
            byTitle.push_back(page.context);
        } else if (HoldsAll(page.title + "\n" + page.text, words)) {
            byText.push_back(page.context);
        }
    }
    byTitle.insert(byTitle.end(), byText.begin(), byText.end());
    return byTitle;
}

} // namespace tavolin::commands
