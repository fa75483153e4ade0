#pragma once

#include <string>
#include <vector>

namespace tavolin::linuxdesktop {

// Splits a parameters text into an argument vector the way a POSIX shell splits words,
// without running a shell: blanks (space, tab, CR, LF) separate arguments; '...' quotes
// everything literally; "..." groups, and inside it a backslash escapes only " \ $ ` and a
// line end; outside quotes a backslash escapes the next character. Nothing is expanded or
// substituted: $, `, #, ;, |, &, <, >, *, ? and ~ are ordinary characters. A quote left
// open runs to the end of the text. "" and '' give an empty argument.
std::vector<std::string> SplitCommandLine(const std::string& text);

} // namespace tavolin::linuxdesktop
