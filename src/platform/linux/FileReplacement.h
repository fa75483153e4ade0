#pragma once

#include "core/Platform.h"

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace tavolin::linuxdesktop {

// The folder of an absolute path ("/" for a file at the root), and its last name.
std::string ParentOf(const std::string& fullPath);
std::string NameOf(const std::string& fullPath);

// Begins replacing the file at the absolute `path` (see FileReplacement): the new content
// goes to a temporary file in the same folder, which Commit flushes and renames over the old
// one. A symbolic link stays a link and the file it points to is replaced. The new file gets
// `mode`, or else the old file's owner and permissions (0666 less the umask for a new file).
// Nothing, with `error` saying why, for a folder, a special file, a file the user may not
// write, or a folder where no file can be made.
std::unique_ptr<FileReplacement>
BeginFileReplacement(const std::string& path, std::optional<mode_t> mode, std::string& error);

// Removes the temporary files that replacements of `path` left behind when their program was
// killed: only names of the replacement's own pattern, and only those no running copy holds
// the lock of (a writer locks its temporary file while it writes, and makes a new one if its
// file lost its name before it held the lock). Returns how many were removed.
int RemoveStaleReplacements(const std::string& path);

} // namespace tavolin::linuxdesktop
