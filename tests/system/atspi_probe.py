#!/usr/bin/python3
"""What a screen reader sees of a running program, over AT-SPI.

    atspi_probe.py registry                wait for the accessibility registry
    atspi_probe.py walk APP                check every shown window of APP
    atspi_probe.py press APP NAME          press the control NAME, report announcements
    atspi_probe.py tab APP WINDOW COUNT    press Tab COUNT times in WINDOW (or the active
                                           window when empty), report the focus after each

Each prints one JSON object on stdout and exits 0; a fault of the program is
data in that object, for the caller to judge. Exit status 2: the program or
the control was not found.
"""
import json
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# Roles that say nothing about what a control does: wrong for anything pressable.
GENERIC = {pyatspi.ROLE_FILLER, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_PANEL, pyatspi.ROLE_INVALID,
           pyatspi.ROLE_REDUNDANT_OBJECT}


def out(obj):
    print(json.dumps(obj))
    sys.exit(0)


def fail(why):
    print(json.dumps({"error": why}))
    sys.exit(2)


def find_app(name, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    fail("no application %r on the accessibility bus" % name)


def actions(obj):
    try:
        a = obj.queryAction()
    except NotImplementedError:
        return []
    return [a.getName(i) for i in range(a.nActions)]


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def shown_tree(obj):
    """The object and its shown descendants; a hidden subtree is skipped whole."""
    yield obj
    for child in obj:
        if child is not None and showing(child):
            yield from shown_tree(child)


def describe(obj):
    return "%s:%s" % (obj.getRoleName(), obj.name)


def windows(app):
    return [w for w in app if w is not None and showing(w)]


def walk(app):
    faults, seen = [], []
    for window in windows(app):
        seen.append(describe(window))
        if not window.name:
            faults.append("window %s has no name" % describe(window))
        for obj in shown_tree(window):
            state = obj.getState()
            acts = [a for a in actions(obj) if a != "SetFocus"]
            focusable = state.contains(pyatspi.STATE_FOCUSABLE)
            if not (focusable or acts):
                continue
            path = describe(window) + " > " + describe(obj)
            if not obj.name.strip():
                faults.append("no name: %s (actions %s)" % (path, acts))
            if acts and obj.getRole() in GENERIC:
                faults.append("generic role: %s (actions %s)" % (path, acts))
    out({"windows": seen, "faults": faults})


def focused(app):
    """The innermost object with the focus that says what it is (a tab rather
    than its strip, an editor rather than its viewport)."""
    found = None
    for window in windows(app):
        for obj in shown_tree(window):
            if obj.getState().contains(pyatspi.STATE_FOCUSED) and obj.getRole() not in GENERIC:
                found = obj
    return found


def find(app, name):
    for window in windows(app):
        for obj in shown_tree(window):
            if obj.name == name and "Press" in actions(obj):
                return obj
    fail("no pressable %r" % name)


def do_press(obj):
    a = obj.queryAction()
    names = [a.getName(i) for i in range(a.nActions)]
    a.doAction(names.index("Press"))


def press(app, name):
    target = find(app, name)
    before = focused(app)
    announced, renamed = [], []

    def on_event(event):
        try:
            role = event.source.getRole()
            text = event.source.name
        except Exception:
            return
        if event.type.startswith("object:state-changed:showing") and event.detail1 == 1 \
                and role == pyatspi.ROLE_NOTIFICATION:
            announced.append(text)
        elif event.type.startswith("object:property-change:accessible-name") and role == pyatspi.ROLE_NOTIFICATION:
            renamed.append(text)

    kinds = ["object:state-changed:showing", "object:property-change:accessible-name"]
    pyatspi.Registry.registerEventListener(on_event, *kinds)
    GLib.timeout_add(200, lambda: do_press(target) and False)
    # Long enough for a run to begin and end; the caller hears the sound meanwhile.
    GLib.timeout_add(8000, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    after = focused(app)
    out({"pressed": describe(target), "announced": announced, "renamed": len(renamed),
         "focusBefore": describe(before) if before else "", "focusAfter": describe(after) if after else ""})


def tab(app, window_name, count):
    order = []
    if window_name:  # else the keys go to the window that has them
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^%s$" % window_name,
                        "windowactivate", "--sync"], check=False, capture_output=True, timeout=15)
    for _ in range(count):
        subprocess.run(["xdotool", "key", "Tab"], check=False, timeout=15)
        now, deadline = None, time.monotonic() + 5
        while time.monotonic() < deadline:
            time.sleep(0.15)
            now = focused(app)
            if now is not None and (not order or describe(now) != order[-1]):
                break
        order.append(describe(now) if now else "")
    out({"order": order})


def main():
    command = sys.argv[1]
    if command == "registry":
        pyatspi.Registry.getDesktop(0)  # starts the bus and the registry on demand
        out({"registry": True})
    app = find_app(sys.argv[2])
    if command == "walk":
        walk(app)
    elif command == "press":
        press(app, sys.argv[3])
    elif command == "tab":
        tab(app, sys.argv[3], int(sys.argv[4]))
    fail("unknown command %r" % command)


if __name__ == "__main__":
    main()
