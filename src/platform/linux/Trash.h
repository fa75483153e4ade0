#pragma once

#include "core/Platform.h"

#include <string>

namespace tavolin::linuxdesktop {

// Moves one file, folder or symbolic link (the link itself) to the freedesktop trash:
// the home trash ($XDG_DATA_HOME/Trash) for a path on the home file system, the
// volume's own trash ($topdir/.Trash-$uid) for a path on another one, each with its
// .trashinfo record, so that file managers can show and restore it. When the path cannot
// be trashed it stays where it was and the outcome says why; it is never deleted instead.
// Safe to call from any thread; shows nothing.
DeleteOutcome MoveToTrash(const std::string& path);

// Deletes exactly the given path for good: a file or a symbolic link (the link, never its
// target) is unlinked; a folder is emptied depth first and removed, without following any
// symbolic link inside it and without descending into other file systems mounted inside
// it. The root folder, "." and ".." are refused. When something cannot be removed the
// rest is still removed and the outcome names the first failure.
// Safe to call from any thread; shows nothing.
DeleteOutcome DeleteForGood(const std::string& path);

} // namespace tavolin::linuxdesktop
