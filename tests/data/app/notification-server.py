#!/usr/bin/python3
"""A desktop notification service (org.freedesktop.Notifications) on the session bus, for tests.

Prints "ready" once it owns the name, then one JSON line for each notice it is sent. Ends when
its standard input closes or when it is sent SIGTERM.
"""
import json
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.last_id = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        notice_id = int(replaces_id) if replaces_id else self.last_id + 1
        self.last_id = max(self.last_id, notice_id)
        print(json.dumps({
            "id": notice_id,
            "app_name": str(app_name),
            "replaces_id": int(replaces_id),
            "app_icon": str(app_icon),
            "summary": str(summary),
            "body": str(body),
            "hints": {str(k): (int(v) if isinstance(v, (dbus.Byte, dbus.Int32, dbus.UInt32)) else str(v))
                      for k, v in hints.items()},
            "timeout": int(timeout),
        }, ensure_ascii=False), flush=True)
        return dbus.UInt32(notice_id)

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, notice_id):
        pass

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ["test-notifications", "orlam", "1", "1.2"]


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    loop = GLib.MainLoop()
    request = bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
    if request != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        print("name taken", flush=True)
        return 1
    service = Notifications(bus)
    GLib.io_add_watch(sys.stdin, GLib.IO_HUP | GLib.IO_IN, lambda *args: (loop.quit(), False)[1])
    signal.signal(signal.SIGTERM, lambda *args: loop.quit())
    print("ready", flush=True)
    loop.run()
    del service
    return 0


if __name__ == "__main__":
    sys.exit(main())
