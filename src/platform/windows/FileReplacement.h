#pragma once

#include "core/Platform.h"

#include <memory>
#include <string>

namespace tavolin::windesktop {

// Begins replacing the file at the full `path` (see FileReplacement): the new content goes to
// a temporary file in the same folder, opened for this writer alone; Commit flushes it
// (FlushFileBuffers) and moves it over the old file in one step
// (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). Nothing, with `error`
// saying why, for a folder, a read-only file or a folder where no file can be made.
std::unique_ptr<FileReplacement> BeginFileReplacement(const std::string& path, std::string& error);

// Removes the temporary files that replacements of `path` left behind when their program was
// killed: only names of the replacement's own pattern, only files older than
// kStaleAfterSeconds; a file a running copy still writes is open without sharing and cannot
// be removed. Returns how many were removed.
inline constexpr long kStaleAfterSeconds = 10;
int RemoveStaleReplacements(const std::string& path);

} // namespace tavolin::windesktop
