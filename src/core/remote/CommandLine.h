#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    Request request;   // for Run
    std::string error; // for Error: what is wrong, without the usage
};

// Reads the arguments after the program's name. Qt's own options (-platform, -display,
// -style, ... with their values) are stepped over: the application object takes them.
// With no option of ours the request is `show`, which is what a plain second start does.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "F5" -> 5, "shift+F5" -> 17 (also "Shift+F5", "shift-F5", "S-F5"), "17" -> 17; letters in
// any case. Nothing for anything else or a number outside 1 to 24.
std::optional<int> ParseButtonKey(std::string_view text);
// The key of a slot as the user presses it: 5 -> "F5", 17 -> "Shift+F5".
std::string ButtonKeyName(int slot);

// The text of --help.
std::string Usage(std::string_view program);

} // namespace tavolin::remote
