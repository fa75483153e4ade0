#pragma once

#include "core/Platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavolin::linuxdesktop {

// One line of /proc/self/mountinfo: where a file system is mounted, its type and its source.
struct Mount {
    std::string mountPoint; // with the kernel's octal escapes ("\040" for a blank) undone
    std::string fsType;
    std::string source;
};

// The mounts of a mountinfo text, in its order; lines without the expected fields are skipped.
std::vector<Mount> ParseMountInfo(std::string_view text);

// The drive list of a user with this home folder: "/" first, then the home folder, then the
// mounts a user would browse (removable media under /media and /run/media, mounts under /mnt
// and inside the home folder), by mount point. System and virtual file systems, and mounts
// inside hidden folders, are left out; a mount point mounted over twice appears once.
std::vector<DriveEntry> UserDrives(const std::vector<Mount>& mounts, const std::string& home);

} // namespace tavolin::linuxdesktop
