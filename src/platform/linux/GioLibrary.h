#pragma once

#include <string>

namespace tavolin::linuxdesktop {

// GIO (with GObject) is not linked: it is loaded the first time a command needs it
// (opening a document, trashing, the file manager, ending the session), which keeps it
// out of the launcher's start-up. These calls need no GIO header.

// The library file loaded, by its soname.
inline constexpr const char* kGioLibraryFile = "libgio-2.0.so.0";

// Loads GIO if it is not loaded yet; true when it is usable, otherwise `whyNot` gets a
// sentence for the user ("GIO (libgio-2.0.so.0) could not be loaded: ..."). Thread-safe;
// the library is loaded once and never unloaded.
bool LoadGio(std::string& whyNot);

// Makes the next use load `file` instead (an empty name restores kGioLibraryFile), so that
// a test can see what every command does without the library. Not for use while another
// thread is calling GIO.
void UseGioLibraryFile(const std::string& file);

} // namespace tavolin::linuxdesktop
