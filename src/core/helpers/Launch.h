#pragma once

#include "core/path/PathStyle.h"

#include <string>
#include <vector>

namespace tavolin {

class Platform;
class View;

// The working folder a program is started in: the folder part of its path (a drive root
// keeps its separator: "C:\", "/"), empty for a bare name.
std::string WorkingFolderOf(const std::string& file, PathStyle style);

// Opens a file, folder or program with the desktop's default action and reports the known
// failures to the user. False for "not found", "out of memory" and "no associated program";
// true for success and for any other failure (which is shown as a warning with its code).
bool LaunchFile(Platform& platform, View& view, const std::string& file,
                const std::string& parameters);
// The same with arguments that reach the program as they are, one each.
bool LaunchFileWithArguments(Platform& platform, View& view, const std::string& file,
                             const std::vector<std::string>& arguments);

} // namespace tavolin
