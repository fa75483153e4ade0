#pragma once

#include "core/Platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavolin::linuxdesktop {

// The desktop's list of recently used files: the XBEL file that GTK and other toolkits
// keep at $XDG_DATA_HOME/recently-used.xbel.

// Where the list lives for the user of this process.
std::string RecentListFile();

// The file entries of an XBEL text, newest first (by the later of the "modified" and
// "visited" times). Entries whose URI is not a local file are skipped; entries whose file
// no longer exists are kept under their path. A damaged text gives the entries read
// before the damage.
std::vector<RecentDocument> ParseRecentList(std::string_view xbel);

// The entries of the list file; none when it is missing or unreadable.
std::vector<RecentDocument> ReadRecentList(const std::string& file);

// An XBEL document without entries.
extern const char* const kEmptyRecentList;

// Empties the list: the empty document is written under a temporary name in the same
// folder, flushed and renamed over the list (a symbolic link is followed, so the link
// stays), with mode 0600. A missing list is already empty and is not created. On failure
// the list is unchanged, no temporary file is left, `error` says why and the result is
// false.
bool ClearRecentList(const std::string& file, std::string& error);

// What a file manager should open to show the recent list: "recent:///" where the GIO
// virtual file systems provide it, otherwise the folder that holds the list file.
std::string RecentListLocation();

} // namespace tavolin::linuxdesktop
