#!/usr/bin/python3
"""A stand-in for the desktop portal's GlobalShortcuts interface, for the hot key's tests.

    fake_portal.py ADDRESS READY_FILE LOG_FILE MODE

Connects to the bus at ADDRESS, takes org.freedesktop.portal.Desktop, creates READY_FILE once
it owns the name, and appends each call to LOG_FILE as one line (the method and its
arguments, separated by spaces). Each request answers through the Response signal of its
Request object, as the portal does. MODE: accept (the shortcut is bound and, half a second
later, activated once) or refuse (BindShortcuts answers 1, as when the user declines)."""

import sys

import dbus
import dbus.bus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

ADDRESS, READY, LOG, MODE = sys.argv[1:5]
PATH = "/org/freedesktop/portal/desktop"
IFACE = "org.freedesktop.portal.GlobalShortcuts"


def record(*words):
    with open(LOG, "a", encoding="utf-8") as log:
        log.write(" ".join(str(w) for w in words) + "\n")


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        record("Close", self.__dbus_object_path__)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus

    def request(self, sender, token, response, results):
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        req = Request(self.bus, path)

        def answer():
            req.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
            req.remove_from_connection()
            return False

        GLib.timeout_add(50, answer)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss",
                         out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1, variant_level=1)

    @dbus.service.method(IFACE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        token = str(options["session_handle_token"])
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        Session(self.bus, session)
        record("CreateSession", session)
        return self.request(sender, str(options["handle_token"]), 0,
                            {"session_handle": dbus.String(session)})

    @dbus.service.method(IFACE, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        for shortcut_id, props in shortcuts:
            record("BindShortcuts", session, shortcut_id, props.get("preferred_trigger", ""))
        if MODE == "refuse":
            return self.request(sender, str(options["handle_token"]), 1, {})

        def activate():
            self.Activated(dbus.ObjectPath(session), "show", dbus.UInt64(0),
                           dbus.Dictionary({}, signature="sv"))
            return False

        GLib.timeout_add(500, activate)
        return self.request(sender, str(options["handle_token"]), 0, {})

    @dbus.service.signal(IFACE, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(ADDRESS)
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus, do_not_queue=True)
    portal = Portal(bus)
    with open(READY, "w", encoding="utf-8"):
        pass
    loop = GLib.MainLoop()
    bus.call_on_disconnection(lambda _: loop.quit())
    GLib.timeout_add_seconds(300, loop.quit)  # never outlive a test run
    loop.run()
    del name, portal


if __name__ == "__main__":
    main()
