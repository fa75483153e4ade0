#pragma once

#include "core/remote/Request.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin::remote {

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
