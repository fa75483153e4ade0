#pragma once

#include <chrono>
#include <string>

namespace tavolin::linuxdesktop {

// Ending the session over D-Bus. Every call connects privately to the bus, waits a bounded
// time for each answer and disconnects: a missing bus, a missing service, an error reply
// and a late reply all end in a false result with `error` saying which.

struct SessionEndTimeouts {
    // Connecting to a bus and each plain call.
    std::chrono::milliseconds call{5000};
    // A reboot or power-off that needs the user's authorisation: the authentication agent
    // asks for a password while the call waits.
    std::chrono::milliseconds authorisation{120000};
};

// The session bus address: $DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when that
// socket exists, else empty (no session bus; nothing is ever started to provide one).
std::string SessionBusAddress();
// The system bus address: $DBUS_SYSTEM_BUS_ADDRESS, else the standard socket.
std::string SystemBusAddress();

// Logs the user out through the session manager of the running desktop, without its own
// confirmation (the launcher has asked already): GNOME (and desktops sharing its
// interface), KDE Plasma, or Xfce, whichever owns its name on the session bus.
bool LogOut(const std::string& sessionBus, const SessionEndTimeouts& timeouts, std::string& error);

enum class PowerAction { Reboot, PowerOff };

// Asks logind on the system bus to reboot or power off, letting the user authorise it
// when the policy asks for that.
bool RequestPowerAction(PowerAction action, const std::string& systemBus,
                        const SessionEndTimeouts& timeouts, std::string& error);

} // namespace tavolin::linuxdesktop
