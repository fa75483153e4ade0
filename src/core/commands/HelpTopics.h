#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin::commands {

// The help's pages: the contents page, the launcher window's page and one page per context
// number that a dialog asks for.
struct HelpTopic {
    int context;           // kHelpContents for the contents page
    std::string_view page; // file name of the page among the help pages
    std::string_view title;
};

inline constexpr int kHelpContents = 0;
inline constexpr int kHelpMainWindow = 1;

std::span<const HelpTopic> HelpTopics();
// The page of a context number; the contents page for a number without a page of its own.
const HelpTopic& HelpTopicOf(int context);

// A page's title and its text without markup, for the topic finder.
struct HelpPageText {
    int context = kHelpContents;
    std::string title;
    std::string text;
};

// The pages that hold every word of `query` (words separated by blanks, letters compared
// without regard to case), pages whose title holds them first, each group in contents order.
// An empty query finds every page.
std::vector<int> FindTopics(const std::vector<HelpPageText>& pages, const std::string& query);

} // namespace tavolin::commands
