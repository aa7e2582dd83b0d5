#!/usr/bin/python3
"""What a screen reader sees of a running program, over AT-SPI.

    atspi_probe.py registry                wait for the accessibility registry
    atspi_probe.py walk APP                check every shown window of APP
    atspi_probe.py press APP NAME          press the control NAME, report announcements
    atspi_probe.py tab APP WINDOW COUNT [states]
                                           press Tab COUNT times in WINDOW (or the active
                                           window when empty), report the focus after each
                                           (with states, also what the states say: held)
    atspi_probe.py keys APP WINDOW KEY...  the same for the keys given (xdotool's names)
    atspi_probe.py text APP NAME           the text of the object NAME
    atspi_probe.py outline APP             the shown windows, the menu bar's menus with
                                           their items and keys, each list box's name and
                                           the item a reader takes for its value, and the
                                           focused object with the objects around it that
                                           say what they are
    atspi_probe.py menu APP KEY            press KEY in an open popup menu, report the
                                           focused entry and all the menu's entries
    atspi_probe.py pauseresume APP TAB     choose the document tab TAB, read it aloud,
                                           pause, resume and stop; report what was told
    atspi_probe.py value APP NAME [SET]    the value of the slider NAME, after setting it to SET

Each prints one JSON object on stdout and exits 0; a fault of the program is
data in that object, for the caller to judge. Exit status 2: the program or
the control was not found.
"""
import json
import subprocess
import sys
import time

import pyatspi
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Roles that say nothing about what a control does: wrong for anything pressable.
GENERIC = {pyatspi.ROLE_FILLER, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_PANEL, pyatspi.ROLE_INVALID,
           pyatspi.ROLE_REDUNDANT_OBJECT}

# The rows of a tree or a list (Qt gives a tree's rows as table cells): a reader says each one's name as the user moves.
ROWS = {pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL}


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
            if obj.getRole() in ROWS and not obj.name.strip():
                faults.append("no name: %s > %s" % (describe(window), describe(obj)))
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


def held(app):
    """What the objects' own states say has the focus: each focused object that
    holds no focused object itself. A screen reader asks this of a window it
    comes back to; it should name the one control the focus events named."""
    def visit(obj):
        inner = []
        for child in obj:
            if child is not None and showing(child):
                inner += visit(child)
        if not inner and obj.getState().contains(pyatspi.STATE_FOCUSED) and obj.getRole() not in GENERIC:
            return [describe(obj)]
        return inner
    found = []
    for window in windows(app):
        found += visit(window)
    return "|".join(found)


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


def panel_told(event, role):
    """What the status panel's event says to a screen reader: "announced" when it
    shows a notification, "renamed" when its name changes, else None."""
    if role != pyatspi.ROLE_NOTIFICATION:
        return None
    if event.type.startswith("object:state-changed:showing") and event.detail1 == 1:
        return "announced"
    if event.type.startswith("object:property-change:accessible-name"):
        return "renamed"
    return None


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
        told = panel_told(event, role)
        if told == "announced":
            announced.append(text)
        elif told == "renamed":
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


def spoken(obj):
    """What a screen reader says for a focused object: a tab list by its current tab."""
    if obj.getRole() == pyatspi.ROLE_PAGE_TAB_LIST:
        tabs = [c for c in obj if c is not None and c.getRole() == pyatspi.ROLE_PAGE_TAB]
        for mark in (pyatspi.STATE_SELECTED, pyatspi.STATE_FOCUSED):
            for child in tabs:
                if child.getState().contains(mark):
                    return describe(child)
    return describe(obj)


def keys(app, window_name, pressed, states=False):
    """Presses each key of PRESSED and, as a screen reader does, follows the
    focus events the program sends; with STATES, also what the objects' states
    say after each key (see held)."""
    if window_name:  # else the keys go to the window that has them
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^%s$" % window_name,
                        "windowactivate", "--sync"], check=False, capture_output=True, timeout=15)
    order, states_held = [], []
    walk = {"pressed": 0, "focus": None, "quiet": 0, "waited": 0}

    def on_focus(event):
        if event.type.startswith("object:state-changed:focused") and event.detail1 != 1:
            return
        try:
            if event.source.getApplication().name != app.name or event.source.getRole() in GENERIC:
                return
            walk["focus"] = spoken(event.source)
        except Exception:
            return
        walk["quiet"] = 0

    def step():
        if walk["pressed"]:
            walk["waited"] += 1
            # The focus has moved when its events have come and then stopped for a
            # moment; a key that moves nothing is given up on after 3 s.
            if walk["focus"] is None and walk["waited"] < 60:
                return True
            walk["quiet"] += 1
            # A menu opened from the keys has the focus a moment before its
            # first command.
            settled = 10 if (walk["focus"] or "").startswith("popup menu:") else 5
            if walk["focus"] is not None and walk["quiet"] < settled:
                return True
            order.append(walk["focus"] or "")
            if states:
                states_held.append(held(app))
        if walk["pressed"] == len(pressed):
            pyatspi.Registry.stop()
            return False
        walk.update(focus=None, quiet=0, waited=0)
        subprocess.run(["xdotool", "key", pressed[walk["pressed"]]], check=False, timeout=15)
        walk["pressed"] += 1
        return True

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused", "focus:")
    GLib.timeout_add(50, step)
    pyatspi.Registry.start()
    out({"order": order, "held": states_held})


def menu(app, key):
    """Presses KEY in an open popup menu and reports the entry the focus moved
    to and every entry of its menu, as a screen reader lists them (a popup is
    no window of the application: it is found through the focus event)."""
    seen = {}

    def on_focus(event):
        if event.type.startswith("object:state-changed:focused") and event.detail1 != 1:
            return
        try:
            if event.source.getRole() != pyatspi.ROLE_MENU_ITEM or event.source.getApplication().name != app.name:
                return
            seen["focus"] = describe(event.source)
            seen["entries"] = [describe(entry) for entry in event.source.parent
                               if entry is not None and entry.getRole() != pyatspi.ROLE_SEPARATOR]
        except Exception:
            return
        pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused", "focus:")
    GLib.timeout_add(100, lambda: subprocess.run(["xdotool", "key", key], check=False, timeout=15) and False)
    GLib.timeout_add(5000, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    out({"focus": seen.get("focus", ""), "entries": seen.get("entries", [])})


def text(app, name):
    for window in windows(app):
        for obj in shown_tree(window):
            if obj.name == name:
                try:
                    t = obj.queryText()
                except NotImplementedError:
                    continue
                out({"text": t.getText(0, -1)})
    fail("no text %r" % name)


def key_of(obj):
    try:
        a = obj.queryAction()
    except NotImplementedError:
        return ""
    return a.getKeyBinding(0) if a.nActions else ""


def combo_value(obj):
    """The item a screen reader says for a list box: the selected row of its
    list, else the box's own text."""
    for holder in [obj] + [c for c in obj if c is not None]:
        try:
            selection = holder.querySelection()
        except NotImplementedError:
            continue
        if selection.nSelectedChildren == 1:
            return selection.getSelectedChild(0).name
    try:
        t = obj.queryText()
    except NotImplementedError:
        return None
    return t.getText(0, -1)


def outline(app):
    result = {"windows": [], "menubar": [], "menus": {}, "combos": [], "context": []}
    for window in windows(app):
        result["windows"].append(describe(window))
        for obj in shown_tree(window):
            role = obj.getRole()
            if role == pyatspi.ROLE_MENU_BAR:
                for title in obj:
                    result["menubar"].append(describe(title))
                    items = []
                    for menu in title:
                        items += ["%s|%s" % (describe(i), key_of(i)) for i in menu
                                  if i is not None and i.getRole() != pyatspi.ROLE_SEPARATOR]
                        result["menus"][title.name] = describe(menu)
                    result["menus"][title.name + " items"] = items
            elif role == pyatspi.ROLE_COMBO_BOX:
                result["combos"].append("%s=%s" % (obj.name, combo_value(obj)))
    # The control with the focus; a tab of a tab row may say it is focused
    # while the row has not the focus, so another focused control comes first.
    candidates = [obj for window in windows(app) for obj in shown_tree(window)
                  if obj.getState().contains(pyatspi.STATE_FOCUSED) and obj.getRole() not in GENERIC]
    controls = [obj for obj in candidates if obj.getRole() != pyatspi.ROLE_PAGE_TAB]
    found = (controls or candidates or [None])[-1]
    while found is not None and found.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG,
                                                      pyatspi.ROLE_APPLICATION):
        if found.getRole() not in GENERIC:
            result["context"].append(describe(found))
        found = found.parent
    out(result)


def pauseresume(app, tab_name):
    """Chooses a tab, then reads it aloud, pauses, resumes and stops, as a user
    would, and gathers what a screen reader is told meanwhile."""
    tab = None
    for window in windows(app):
        for obj in shown_tree(window):
            if obj.getRole() == pyatspi.ROLE_PAGE_TAB and obj.name == tab_name:
                tab = obj
    if tab is None:
        fail("no page tab %r" % tab_name)
    got = {"announced": [], "renamed": 0, "selections": 0, "textChanges": 0, "tabsSelected": [], "reading": False}

    def on_event(event):
        try:
            role = event.source.getRole()
            name = event.source.name
        except Exception:
            return
        told = panel_told(event, role)
        if told == "announced":
            got["announced"].append(name)
        elif told == "renamed":
            got["renamed"] += 1
        elif event.type.startswith("object:state-changed:selected") and role == pyatspi.ROLE_PAGE_TAB:
            got["tabsSelected"].append("%s:%d" % (name, event.detail1))
        elif not got["reading"] or role != pyatspi.ROLE_TEXT:
            return
        elif event.type.startswith("object:text-selection-changed"):
            got["selections"] += 1
        elif event.type.startswith("object:text-changed"):
            got["textChanges"] += 1

    def press_named(name):
        do_press(find(app, name))
        return False

    def start_reading():
        got["reading"] = True  # the tab's own document change is behind us
        return press_named("Read Aloud")

    kinds = ["object:state-changed:showing", "object:property-change:accessible-name",
             "object:state-changed:selected", "object:text-selection-changed", "object:text-changed"]
    pyatspi.Registry.registerEventListener(on_event, *kinds)
    GLib.timeout_add(200, lambda: do_press(tab) and False)
    GLib.timeout_add(1200, start_reading)
    GLib.timeout_add(2400, lambda: press_named("Pause/Resume"))
    GLib.timeout_add(3200, lambda: press_named("Pause/Resume"))
    GLib.timeout_add(3800, lambda: press_named("Stop"))
    GLib.timeout_add(5500, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    out(got)


def value(app, name, wanted):
    for window in windows(app):
        for obj in shown_tree(window):
            if obj.name == name and obj.getRole() == pyatspi.ROLE_SLIDER:
                v = obj.queryValue()
                if wanted is not None:
                    v.currentValue = float(wanted)
                    time.sleep(0.3)
                out({"value": v.currentValue, "minimum": v.minimumValue, "maximum": v.maximumValue})
    fail("no slider %r" % name)


def main():
    command = sys.argv[1]
    if command == "registry":
        pyatspi.Registry.getDesktop(0)  # starts the bus and the registry on demand
        out({"registry": True})
    app = find_app(sys.argv[2])
    app.set_cache_mask(Atspi.Cache.NONE)  # states are asked for afresh, never a stale copy
    if command == "walk":
        walk(app)
    elif command == "press":
        press(app, sys.argv[3])
    elif command == "tab":
        keys(app, sys.argv[3], ["Tab"] * int(sys.argv[4]), states=sys.argv[5:] == ["states"])
    elif command == "keys":
        keys(app, sys.argv[3], sys.argv[4:])
    elif command == "text":
        text(app, sys.argv[3])
    elif command == "outline":
        outline(app)
    elif command == "menu":
        menu(app, sys.argv[3])
    elif command == "pauseresume":
        pauseresume(app, sys.argv[3])
    elif command == "value":
        value(app, sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else None)
    fail("unknown command %r" % command)


if __name__ == "__main__":
    main()
