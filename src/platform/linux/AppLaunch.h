#pragma once

#include "core/Platform.h"

#include <glib.h>

#include <string>
#include <vector>

namespace tavolin::linuxdesktop {

// Result codes beyond those of Platform.h, in the shell's numbering, so that a failure
// message can name what went wrong. Everything here is below 32, so callers treat it as a
// failure and show the number.
namespace open_failure {
inline constexpr int kOther = 1;        // failed for a reason without a code of its own
inline constexpr int kPathNotFound = 3; // the working folder could not be entered
inline constexpr int kAccessDenied = 5; // no permission to run the program
inline constexpr int kBadFormat = 11;   // not a program the system can run
} // namespace open_failure

// The code for an errno of a failed start:
//   ENOENT (the program, or the interpreter of a script, is missing)   -> 2 not found
//   ENOMEM, EAGAIN (no memory, no process slots)                       -> 8 out of memory
//   EACCES, EPERM (no permission, a noexec mount)                      -> 5 access denied
//   ENOEXEC (no format the kernel can run)                             -> 11 bad format
//   ENOTDIR, ELOOP, ENAMETOOLONG (an unusable path)                    -> 3 path not found
//   anything else                                                      -> 1
int CodeFromErrno(int error);

// The code for a GIO or spawn error, by the same table.
int CodeFromError(const GError* error);

// Opens a file with the default application for its content type (guessed from its name
// and first bytes): 31 when there is none, otherwise the application is started through
// GIO with the file and the result is 42 or the code of the failure.
int OpenWithDefaultApplication(const std::string& path);

// Opens a folder with the default application for "inode/directory"; 31 when there is none.
int OpenFolderWithDefaultApplication(const std::string& folder);

// Starts the application of a Type=Application .desktop file through GIO, which expands its
// Exec line with the files (%f, %F) or URIs (%u, %U) given: each argument that looks like a
// URI ("scheme:...") is passed as that URI, any other as a path relative to `workingFolder`
// (or to the current folder when it is empty). The application starts in the folder of the
// entry's Path key, or the launcher's current folder: GIO takes no other. An entry that
// cannot start its program gives the code that says why (TryExec or Exec program not
// installed, an Exec line with an unbalanced quote, no Exec line: open_result::kEntry...);
// 2 when GIO cannot load it for another reason.
int LaunchDesktopApplication(const std::string& desktopFile,
                             const std::vector<std::string>& arguments,
                             const std::string& workingFolder);

// Opens a URI with the default handler of its scheme; 31 when there is none.
int OpenUri(const std::string& uri);

} // namespace tavolin::linuxdesktop
