#pragma once

#include <glib.h>

#include <string>

namespace tavolin::linuxdesktop {

// The text the user is shown for a failed call: the common faults (no permission, no space,
// a read-only file system, not found, not a regular file) in our own words with the system's
// text after them, anything else in the system's words (see SystemErrorText).
std::string ErrnoText(int error);
// The same for a GLib or GIO error, by its file and I/O error codes.
std::string GErrorText(const GError* error);

// Whether `error` is in GIO's I/O error domain (G_IO_ERROR). Never loads GIO, which is
// loaded on first use: such an error can only exist once GIO has registered its domain.
bool IsIoError(const GError* error);

} // namespace tavolin::linuxdesktop
