#!/usr/bin/python3
"""A stand-in for the desktop's file manager, started by a private session bus through
D-Bus activation. Every org.freedesktop.FileManager1 call is appended to a log as one line
(method, startup id, URIs, separated by tabs). The mode file decides the answer: "ok"
replies, "fail" replies with an error, "hang" never replies."""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

LOG, MODE = sys.argv[1], sys.argv[2]
INTERFACE = "org.freedesktop.FileManager1"


def current_mode():
    try:
        with open(MODE, encoding="utf-8") as mode:
            return mode.read().strip()
    except OSError:
        return "ok"


class FileManager(dbus.service.Object):
    def _answer(self, method, uris, startup_id, reply, error):
        with open(LOG, "a", encoding="utf-8") as log:
            log.write("\t".join([method, str(startup_id)] + [str(uri) for uri in uris]) + "\n")
        mode = current_mode()
        if mode == "fail":
            error(dbus.exceptions.DBusException(
                "refused by the test", name="org.freedesktop.DBus.Error.Failed"))
        elif mode != "hang":
            reply()

    @dbus.service.method(INTERFACE, in_signature="ass", out_signature="",
                         async_callbacks=("reply", "error"))
    def ShowFolders(self, uris, startup_id, reply, error):
        self._answer("ShowFolders", uris, startup_id, reply, error)

    @dbus.service.method(INTERFACE, in_signature="ass", out_signature="",
                         async_callbacks=("reply", "error"))
    def ShowItems(self, uris, startup_id, reply, error):
        self._answer("ShowItems", uris, startup_id, reply, error)

    @dbus.service.method(INTERFACE, in_signature="ass", out_signature="",
                         async_callbacks=("reply", "error"))
    def ShowItemProperties(self, uris, startup_id, reply, error):
        self._answer("ShowItemProperties", uris, startup_id, reply, error)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.StarterBus()  # the bus that activated us; we exit when it goes away
    name = dbus.service.BusName(INTERFACE, bus)
    FileManager(bus, "/org/freedesktop/FileManager1")
    loop = GLib.MainLoop()
    GLib.timeout_add_seconds(300, loop.quit)  # never outlive a test run
    loop.run()
    del name


if __name__ == "__main__":
    main()
