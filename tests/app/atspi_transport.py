#!/usr/bin/python3
"""Records or plays a file with the panel as a screen reader user does, over
the AT-SPI bus, so it works on any display (X or Wayland) without injecting
input: presses Record (or Play), waits for the save (or open) panel, types
FILE into its file name field and presses Save (or Open).

The button's press runs the panel's modal file panel before the press's call
returns, so it is made by atspi_toggle.py in a process of its own (with a
connection of its own) while this one works the panel.

Prints what it did; exits 0 once the file panel has taken FILE, 1 when a
control cannot be had within the time allowed.
    atspi_transport.py record|play FILE [--timeout SECONDS]
"""
import argparse
import os
import subprocess
import sys
import time

import pyatspi

from atspi_toggle import role_named


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def panel_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "quorel-panel":
            return app
    return None


def find(root, accept):
    for node in walk(root):
        try:
            if accept(node):
                return node
        except Exception:  # a node that went away while walking
            continue
    return None


def wait_for(what, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = what()
        if found is not None:
            return found
        time.sleep(0.3)
    return None


def press(node, action_name):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == action_name:
            return action.doAction(i)
    print(f"{node.name!r} has no action {action_name!r}")
    return False


def file_panel(app, accept_name):
    """The file panel's name field and its accept button, once both show."""
    for window in [app.getChildAtIndex(i) for i in range(app.childCount)]:
        if window is None or window.getRole() not in (role_named("dialog"), role_named("file chooser")):
            continue
        button = find(window, lambda n: n.getRole() == role_named("push button") and n.name == accept_name)
        field = find(window, lambda n: n.getRole() == role_named("text")
                     and n.getState().contains(pyatspi.STATE_EDITABLE)
                     and n.getState().contains(pyatspi.STATE_SHOWING))
        if button is not None and field is not None:
            return field, button
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["record", "play"])
    parser.add_argument("file")
    parser.add_argument("--timeout", type=float, default=30)
    args = parser.parse_args()
    button_name, accept_name = ("Record", "Save") if args.what == "record" else ("Play", "Open")

    app = wait_for(panel_app, args.timeout)
    if app is None:
        print("quorel-panel is not on the accessibility bus")
        return 1
    toggle = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_toggle.py")
    pressing = subprocess.Popen([sys.executable, toggle, button_name, "push button", "Press",
                                 "--timeout", str(args.timeout)])

    found = wait_for(lambda: file_panel(app, accept_name), args.timeout)
    if found is None:
        print(f"no file panel with a name field and a {accept_name!r} button")
        return 1
    field, accept = found
    field.queryEditableText().setTextContents(args.file)
    print(f"typed {field.queryText().getText(0, -1)!r} into {field.name!r}")
    if not press(accept, "press"):
        return 1
    print(f"pressed {accept_name!r}")
    try:
        pressed = pressing.wait(args.timeout)
    except subprocess.TimeoutExpired:
        pressing.kill()
        print("the file panel did not close")
        return 1
    return pressed


if __name__ == "__main__":
    sys.exit(main())
