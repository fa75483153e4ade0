#!/usr/bin/python3
"""Stand-ins for the session managers and logind, for the session-end tests.

    fake_session_services.py ADDRESS READY_FILE LOG_FILE SERVICE=MODE [SERVICE=MODE ...]

Connects to the bus at ADDRESS, takes the well-known name of every SERVICE, creates
READY_FILE once all names are owned, and appends each method call to LOG_FILE as one line:
the method name followed by its arguments, separated by spaces.

SERVICE: gnome (org.gnome.SessionManager), plasma (org.kde.Shutdown), ksmserver
(org.kde.ksmserver), xfce (org.xfce.SessionManager), login1 (org.freedesktop.login1).
MODE: accept (reply at once), refuse (reply with an access-denied error), hang (never
reply). For login1 the mode may carry the answer of CanReboot and CanPowerOff after a
colon, e.g. login1=accept:challenge (default "yes")."""

import sys

import dbus
import dbus.bus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

ADDRESS, READY, LOG = sys.argv[1], sys.argv[2], sys.argv[3]
_pending = []  # replies held back in "hang" mode, so they are never sent


def record(method, *args):
    with open(LOG, "a", encoding="utf-8") as log:
        log.write(" ".join([method] + [str(a) for a in args]) + "\n")


def answer(mode, reply, error, value=None):
    if mode == "refuse":
        error(dbus.exceptions.DBusException(
            "refused by the test", name="org.freedesktop.DBus.Error.AccessDenied"))
    elif mode == "hang":
        _pending.append((reply, error))
    elif value is None:
        reply()
    else:
        reply(value)


class Gnome(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/org/gnome/SessionManager")
        self.mode = mode

    @dbus.service.method("org.gnome.SessionManager", in_signature="u", out_signature="",
                         async_callbacks=("reply", "error"))
    def Logout(self, mode, reply, error):
        record("Logout", int(mode))
        answer(self.mode, reply, error)


class Plasma(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/Shutdown")
        self.mode = mode

    @dbus.service.method("org.kde.Shutdown", in_signature="", out_signature="",
                         async_callbacks=("reply", "error"))
    def logout(self, reply, error):
        record("logout")
        answer(self.mode, reply, error)


class Ksmserver(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/KSMServer")
        self.mode = mode

    @dbus.service.method("org.kde.KSMServerInterface", in_signature="iii", out_signature="",
                         async_callbacks=("reply", "error"))
    def logout(self, confirm, kind, how, reply, error):
        record("logout", int(confirm), int(kind), int(how))
        answer(self.mode, reply, error)


class Xfce(dbus.service.Object):
    def __init__(self, bus, mode):
        super().__init__(bus, "/org/xfce/SessionManager")
        self.mode = mode

    @dbus.service.method("org.xfce.Session.Manager", in_signature="bb", out_signature="",
                         async_callbacks=("reply", "error"))
    def Logout(self, show_dialog, allow_save, reply, error):
        record("Logout", bool(show_dialog), bool(allow_save))
        answer(self.mode, reply, error)


class Login1(dbus.service.Object):
    INTERFACE = "org.freedesktop.login1.Manager"

    def __init__(self, bus, mode):
        super().__init__(bus, "/org/freedesktop/login1")
        self.mode, _, can = mode.partition(":")
        self.can = can or "yes"

    @dbus.service.method(INTERFACE, in_signature="", out_signature="s")
    def CanReboot(self):
        record("CanReboot")
        return self.can

    @dbus.service.method(INTERFACE, in_signature="", out_signature="s")
    def CanPowerOff(self):
        record("CanPowerOff")
        return self.can

    @dbus.service.method(INTERFACE, in_signature="b", out_signature="",
                         async_callbacks=("reply", "error"))
    def Reboot(self, interactive, reply, error):
        record("Reboot", bool(interactive))
        answer(self.mode, reply, error)

    @dbus.service.method(INTERFACE, in_signature="b", out_signature="",
                         async_callbacks=("reply", "error"))
    def PowerOff(self, interactive, reply, error):
        record("PowerOff", bool(interactive))
        answer(self.mode, reply, error)


SERVICES = {
    "gnome": ("org.gnome.SessionManager", Gnome),
    "plasma": ("org.kde.Shutdown", Plasma),
    "ksmserver": ("org.kde.ksmserver", Ksmserver),
    "xfce": ("org.xfce.SessionManager", Xfce),
    "login1": ("org.freedesktop.login1", Login1),
}


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(ADDRESS)
    keep = []
    for spec in sys.argv[4:]:
        service, _, mode = spec.partition("=")
        name, cls = SERVICES[service]
        keep.append(dbus.service.BusName(name, bus, do_not_queue=True))
        keep.append(cls(bus, mode or "accept"))
    with open(READY, "w", encoding="utf-8"):
        pass
    loop = GLib.MainLoop()
    bus.call_on_disconnection(lambda _: loop.quit())
    GLib.timeout_add_seconds(300, loop.quit)  # never outlive a test run
    loop.run()


if __name__ == "__main__":
    main()
