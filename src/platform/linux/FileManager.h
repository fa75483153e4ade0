#pragma once

#include <string>
#include <vector>

namespace tavolin::linuxdesktop {

// Asks the desktop's file manager, through the org.freedesktop.FileManager1 service on the
// session bus, to show folders ("ShowFolders") or to show items selected in their folders
// ("ShowItems"). True when the service accepted the call; false when there is no session
// bus, the service is neither running nor activatable, it answered with an error, or it did
// not answer in time (3 s when it runs, 10 s when the bus has to start it first).
//
// The bus is only used where it is known: DBUS_SESSION_BUS_ADDRESS or
// $XDG_RUNTIME_DIR/bus. No bus is started for the call (no dbus-launch), and the
// connection is private to the call, so a bus that goes away cannot take the launcher with it.
bool CallFileManager(const char* method, const std::vector<std::string>& uris);

} // namespace tavolin::linuxdesktop
