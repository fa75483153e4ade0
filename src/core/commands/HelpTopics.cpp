#include "core/commands/HelpTopics.h"

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

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::vector<std::string> Words(const std::string& query) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < query.size()) {
        // Blanks: the ASCII space and tab, and the full-width space U+3000.
        if (query[at] == ' ' || query[at] == '\t') {
            ++at;
            continue;
        }
        if (query.compare(at, 3, "\xE3\x80\x80") == 0) {
            at += 3;
            continue;
        }
        std::size_t end = at;
        while (end < query.size() && query[end] != ' ' && query[end] != '\t' &&
               query.compare(end, 3, "\xE3\x80\x80") != 0) {
            ++end;
        }
        words.push_back(Lower(query.substr(at, end - at)));
        at = end;
    }
    return words;
}

bool HoldsAll(const std::string& text, const std::vector<std::string>& words) {
    const std::string lower = Lower(text);
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
