#pragma once

#include <string>
#include <vector>

// The process's own command line and the text it writes for the user who started it: the
// usage, the version, and why a request failed. Each system has its own form of both.
namespace tavolin::console {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

enum class Stream { Out, Error };

// Writes text for the user: to standard output or standard error, or, for a program started
// without either (a window program started from a shortcut), where that user sees it.
void Write(Stream stream, const std::string& text);

} // namespace tavolin::console
