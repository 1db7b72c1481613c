#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader gets from the window: starts a private X server, a session bus and the
accessibility bus, launches the program with accessibility on, and prints its accessibility tree as
AT-SPI gives it (role, name, description, value). With --answer and --grade it first chooses answer A
and grades, through the accessibility actions alone, to show results mode.

Needs: xvfb, dbus-x11, at-spi2-core, python3-pyatspi (Debian packages).
    bench/atspi-tree.py --program build/default/morv [--answer] [--grade]
"""
import argparse
import os
import re
import subprocess
import sys
import time


def start_session(display):
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    os.environ["DISPLAY"] = display
    out = subprocess.run(["dbus-launch", "--sh-syntax"], capture_output=True, text=True, check=True).stdout
    for name in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID"):
        os.environ[name] = re.search(name + r"='?([^';]+)", out).group(1)
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    return [xvfb, bus]


def find_app(pyatspi, name, seconds=15.0):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def value_of(node):
    try:
        return str(node.queryValue().currentValue)
    except Exception:
        return None


def dump(node, depth=0, out=sys.stdout):
    if node is None:
        return
    parts = [node.getRoleName()]
    if node.name:
        parts.append("name=%r" % node.name)
    if node.description:
        parts.append("description=%r" % node.description)
    value = value_of(node)
    if value is not None:
        parts.append("value=%s" % value)
    states = node.getState()
    import pyatspi
    if states.contains(pyatspi.STATE_CHECKED):
        parts.append("checked")
    if not states.contains(pyatspi.STATE_SHOWING):
        return  # hidden controls are not read out
    print("  " * depth + " ".join(parts), file=out)
    for child in node:
        dump(child, depth + 1, out)


def press(pyatspi, app, role, name):
    def matches(node):
        return node is not None and node.getRoleName() == role and node.name == name
    node = pyatspi.findDescendant(app, matches)
    if node is None:
        raise SystemExit("not found: %s %r" % (role, name))
    node.queryAction().doAction(0)
    time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/default/morv")
    parser.add_argument("--display", default=":57")
    parser.add_argument("--answer", action="store_true", help="choose answer A first")
    parser.add_argument("--grade", action="store_true", help="press Grade before listing")
    args = parser.parse_args()

    helpers = start_session(args.display)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    program = subprocess.Popen([os.path.abspath(args.program)], env=env)
    try:
        import pyatspi
        app = find_app(pyatspi, os.path.basename(args.program))
        if app is None:
            raise SystemExit("the program did not appear on the accessibility bus")
        time.sleep(0.5)
        if args.answer:
            press(pyatspi, app, "radio button", "Отговор A")
        if args.grade:
            press(pyatspi, app, "push button", "Оценяване")
        dump(app)
    finally:
        program.terminate()
        program.wait()
        for helper in reversed(helpers):
            helper.terminate()
        subprocess.run(["kill", os.environ.get("DBUS_SESSION_BUS_PID", "")], stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
