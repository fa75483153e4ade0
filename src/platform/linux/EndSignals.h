#pragma once

namespace tavolin::linuxdesktop {

// The signals that end the program through its close path, the session's (SIGTERM, SIGHUP)
// and Ctrl+C in a terminal (SIGINT), turned into bytes on a descriptor for an event loop to
// watch. SIGQUIT keeps its default, a quit without saving. The handlers are the process's:
// one caller at a time has them.

// Catches the signals; the descriptor that becomes readable when one arrives, or -1 when
// they are caught already or cannot be.
int CatchEndSignals();
// Reads what the signals wrote, so that the descriptor is quiet again.
void DrainEndSignals();
// Gives the signals their default again (they end the process) and closes the descriptor.
void ReleaseEndSignals();

} // namespace tavolin::linuxdesktop
