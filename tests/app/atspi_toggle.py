#!/usr/bin/python3
"""What a screen reader does with the panel over the AT-SPI bus.

Finds the running quorel-panel among the desktop's applications, walks its
accessible tree to the control named NAME with role ROLE, checks it is
enabled, and runs its action ACTION; a Toggle must be announced by a
checked-state event. With --value V it sets the control's value instead and
waits for the value-change event the panel announces. With --alert TEXT
it also waits, after the action, for an alert saying TEXT to start showing,
as a screen reader waits to read it.

Prints what it found; exits 0 on success, 1 when the control or its action
cannot be had within the time allowed.
    atspi_toggle.py NAME ROLE ACTION [--value V] [--alert TEXT] [--timeout SECONDS]
"""
import argparse
import sys
import time

import pyatspi
from gi.repository import GLib


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def role_named(name):
    """The role a name such as "push button" stands for. Roles are matched by
    what they are: libatspi renames them (2.56 says "button" where 2.46 said
    "push button")."""
    return getattr(pyatspi, "ROLE_" + name.upper().replace(" ", "_"))


def find_control(name, role):
    wanted = role_named(role)
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != "quorel-panel":
            continue
        for node in walk(app):
            if node.name == name and node.getRole() == wanted:
                return node
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("name")
    parser.add_argument("role")
    parser.add_argument("action")
    parser.add_argument("--value", type=float)
    parser.add_argument("--alert")
    parser.add_argument("--timeout", type=float, default=20)
    args = parser.parse_args()
    if args.alert is not None:
        alerts = AlertWatch(args.alert)
        try:
            result = act(args)
            if result == 0 and not alerts.wait(args.timeout):
                print(f"no alert saying {args.alert!r} started showing")
                result = 1
        finally:
            alerts.stop()
        return result
    return act(args)


class AlertWatch:
    """Collects alerts that start showing, from the moment it is made."""

    def __init__(self, text):
        self.text = text
        self.seen = None
        self.loop = GLib.MainLoop()
        pyatspi.Registry.registerEventListener(self.on_event, "object:state-changed:showing")

    def on_event(self, event):
        try:
            if event.detail1 != 1 or event.source.getRole() != pyatspi.ROLE_ALERT:
                return
            name = event.source.name
        except Exception:  # the object may be gone by the time it is asked
            return
        if self.text in name:
            self.seen = name
            self.loop.quit()

    def wait(self, timeout):
        if self.seen is None:
            GLib.timeout_add(int(timeout * 1000), self.loop.quit)
            self.loop.run()
        if self.seen is not None:
            print(f"alert: {self.seen!r}")
        return self.seen is not None

    def stop(self):
        pyatspi.Registry.deregisterEventListener(self.on_event, "object:state-changed:showing")


def act(args):

    deadline = time.monotonic() + args.timeout
    control = None
    while control is None and time.monotonic() < deadline:
        control = find_control(args.name, args.role)
        if control is None:
            time.sleep(0.5)
    if control is None:
        print(f"no {args.role} named {args.name!r} in quorel-panel's tree")
        return 1
    states = control.getState()
    print(f"found {args.role} {args.name!r}: enabled={states.contains(pyatspi.STATE_ENABLED)} "
          f"checked={states.contains(pyatspi.STATE_CHECKED)}")
    if not states.contains(pyatspi.STATE_ENABLED):
        print("it is not enabled")
        return 1

    if args.value is not None:
        value = control.queryValue()
        print(f"value {value.currentValue} in {value.minimumValue}..{value.maximumValue}")

        def set_value():
            value.currentValue = args.value
            return True

        if not announced(control, "object:property-change:accessible-value", set_value, args.timeout):
            print("no value-change event arrived")
            return 1
        print(f"value-change event: {control.queryValue().currentValue}")
        return 0

    action = control.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    print(f"actions: {names}")
    for i, name in enumerate(names):
        if name.lower() != args.action.lower():
            continue
        if name.lower() != "toggle":
            return 0 if action.doAction(i) else 1
        if not announced(control, "object:state-changed:checked", lambda: action.doAction(i), args.timeout):
            print("no checked-state event arrived")
            return 1
        print(f"checked-state event: checked={control.getState().contains(pyatspi.STATE_CHECKED)}")
        return 0
    print(f"no action {args.action!r}")
    return 1


def announced(control, event_type, trigger, timeout):
    """Runs trigger and waits for event_type from control."""
    seen = []
    loop = GLib.MainLoop()

    def on_event(event):
        if event.source == control:
            seen.append(event)
            loop.quit()

    pyatspi.Registry.registerEventListener(on_event, event_type)
    try:
        if not trigger():
            return False
        # The event may have been dispatched while the trigger's call ran.
        if not seen:
            GLib.timeout_add(int(timeout * 1000), loop.quit)
            loop.run()
    finally:
        pyatspi.Registry.deregisterEventListener(on_event, event_type)
    return bool(seen)


if __name__ == "__main__":
    sys.exit(main())
