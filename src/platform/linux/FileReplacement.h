#pragma once

#include "platform/Platform.h"

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace tavolin::linuxdesktop {

// Begins replacing the file at the absolute `path` (see FileReplacement): the new content
// goes to a temporary file in the same folder, which Commit flushes and renames over the old
// one. A symbolic link stays a link and the file it points to is replaced. The new file gets
// `mode`, or else the old file's owner and permissions (0666 less the umask for a new file).
// Nothing, with `error` saying why, for a folder, a special file, a file the user may not
// write, or a folder where no file can be made.
std::unique_ptr<FileReplacement> BeginFileReplacement(const std::string& path,
                                                      std::optional<mode_t> mode,
                                                      std::string& error);

} // namespace tavolin::linuxdesktop
