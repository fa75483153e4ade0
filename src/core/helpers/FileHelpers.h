#pragma once

#include "core/Platform.h"

#include <string>
#include <vector>

namespace tavolin {

class View;

// True when a folder exists at `path`; otherwise warns "パスが存在しません。".
bool CheckPath(View& view, const Platform& platform, const std::string& path);

// True when a file or folder exists at `path`; otherwise warns "ファイルが存在しません。".
bool CheckFile(View& view, const Platform& platform, const std::string& path);

// Deletes a file. When it cannot be deleted the current operation ends silently (throws
// SilentAbort). A missing file counts as deleted.
bool DeleteFileOrAbort(const std::string& path);

enum class Confirm { No, Yes };

// Deletes paths to the recycle bin or for good in one operation. With Confirm::Yes the user
// is asked first; paths that could not be deleted are reported in one warning. Returns the
// outcome of each path (empty when the user declined).
std::vector<DeleteOutcome> ShellDelete(Platform& platform, View& view,
                                       const std::vector<std::string>& paths, DeleteMode mode,
                                       Confirm confirm);

} // namespace tavolin
