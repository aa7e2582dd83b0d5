#!/usr/bin/env python3
"""A stand-in desktop portal offering GlobalShortcuts on the session bus.

It answers CreateSession and BindShortcuts as a portal does (a Request object
whose Response signal carries the result), remembers what was bound, and on
request emits Activated. The test reaches it through org.loqa.PortalTest:
Bound() gives {shortcut id: preferred trigger} of the last bind and
Binds() how many binds arrived; Activate(id) presses a bound shortcut.
Refuse(method, code) makes the next CreateSession or BindShortcuts answer with
that Response code (1: the user cancelled, 2: refused otherwise; 99: no
answer at all), and
CloseSession() ends the session as a desktop does when it revokes the keys.
"""
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
IFACE = "org.freedesktop.portal.GlobalShortcuts"
PROPS = "org.freedesktop.DBus.Properties"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Session", signature="a{sv}")
    def Closed(self, details):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.session = None
        self.bound = {}
        self.binds = 0
        self.requests = []
        self.sessions = []
        self.refusals = {}

    def _request(self, sender, token, results, code=0):
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (
            sender[1:].replace(".", "_"), token)
        req = Request(self.bus, path)
        self.requests.append(req)
        if code == 99:
            return dbus.ObjectPath(path)  # never answered, as a dialog nobody closes
        # The answer follows the call's reply, as the desktop's dialog would.
        GLib.idle_add(lambda: req.Response(dbus.UInt32(code), dbus.Dictionary(results, signature="sv")) and False)
        return dbus.ObjectPath(path)

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == IFACE and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(IFACE, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        code = self.refusals.pop("CreateSession", 0)
        if code:
            return self._request(sender, options["handle_token"], {}, code)
        self.session = dbus.ObjectPath("/org/freedesktop/portal/desktop/session/%s/%s" % (
            sender[1:].replace(".", "_"), options["session_handle_token"]))
        self.sessions.append(Session(self.bus, self.session))
        return self._request(sender, options["handle_token"], {"session_handle": self.session})

    @dbus.service.method(IFACE, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        if session != self.session:
            raise dbus.exceptions.DBusException("unknown session")
        code = self.refusals.pop("BindShortcuts", 0)
        if code:
            return self._request(sender, options["handle_token"], {}, code)
        self.bound = {str(i): str(p.get("preferred_trigger", "")) for i, p in shortcuts}
        self.binds += 1
        return self._request(sender, options["handle_token"], {"shortcuts": dbus.Array(
            [(i, {"description": p.get("description", ""), "trigger_description": p.get("preferred_trigger", "")})
             for i, p in shortcuts], signature="(sa{sv})")})

    @dbus.service.signal(IFACE, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("org.loqa.PortalTest", in_signature="", out_signature="a{ss}")
    def Bound(self):
        return dbus.Dictionary(self.bound, signature="ss")

    @dbus.service.method("org.loqa.PortalTest", in_signature="", out_signature="i")
    def Binds(self):
        return self.binds

    @dbus.service.method("org.loqa.PortalTest", in_signature="su", out_signature="")
    def Refuse(self, method, code):
        self.refusals[str(method)] = int(code)

    @dbus.service.method("org.loqa.PortalTest", in_signature="", out_signature="i")
    def PendingRefusals(self):
        return len(self.refusals)

    @dbus.service.method("org.loqa.PortalTest", in_signature="", out_signature="")
    def CloseSession(self):
        if self.sessions:
            self.sessions[-1].Closed(dbus.Dictionary({}, signature="sv"))
        self.session = None

    @dbus.service.method("org.loqa.PortalTest", in_signature="s", out_signature="")
    def Activate(self, shortcut_id):
        if self.session is None:
            return
        self.Activated(self.session, shortcut_id, dbus.UInt64(1), dbus.Dictionary({}, signature="sv"))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus)
    # Take the name last: once it is there, the portal answers.
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    GLib.MainLoop().run()
    del name, portal


if __name__ == "__main__":
    main()
