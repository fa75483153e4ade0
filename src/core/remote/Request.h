#pragma once

#include <optional>
#include <string>

namespace tavolin::remote {

// What the command line asks of the launcher, carried to the running copy (or done by this
// one when none runs), in this order: choose the category (its page 1), choose the page,
// press a button, bring the window forward, close it.
struct Request {
    std::optional<std::string> category;
    std::optional<int> page;
    std::optional<int> press; // slot 1 to 24
    bool show = false;
    bool quit = false;

    // Nothing but coming forward: what a plain start asks of the running copy.
    bool OnlyShows() const { return show && !quit && !category && !page && !press; }
    // Nothing but closing.
    bool OnlyQuits() const { return quit && !show && !category && !page && !press; }

    bool operator==(const Request&) const = default;
};

// Exit codes of the program when it runs as a command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1; // the request could not be carried out
inline constexpr int kExitUsage = 2;  // the command line is wrong

} // namespace tavolin::remote
