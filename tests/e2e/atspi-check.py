#!/usr/bin/python3
# What a screen reader gets of the running program over the real AT-SPI bus: the tree (roles, names, texts) of the
# main window and the music window, and what is announced as it happens (a rejected entry, a new caption, the alarm).
# Usage: atspi-check.py X-WINDOW-ID   (the program's main window, on $DISPLAY, with the AT-SPI bus running)
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

window = sys.argv[1]
heard = []  # (event, role, name) in order


def fail(message):
    print(f"FAIL: screen reader: {message}", file=sys.stderr)
    sys.exit(1)


def keys(*names):
    subprocess.run(["timeout", "5", "xdotool", "key", "--window", window, *names], check=True,
                   stderr=subprocess.DEVNULL)


def listen(event):
    try:
        source = event.source
        if source.getApplication().name != "Tovin's Timer":
            return
        if not event.type.startswith("object:state-changed:showing"):
            heard.append(("name", source.getRoleName(), source.name))
        elif event.detail1:
            heard.append(("show", source.getRoleName(), source.name))
    except Exception:  # an object gone before its event was read
        pass


def wait_until(done, seconds):
    """Runs the event loop until done() holds, for at most `seconds`."""
    deadline = time.monotonic() + seconds

    def check():
        if done() or time.monotonic() > deadline:
            pyatspi.Registry.stop()
            return False
        return True

    GLib.timeout_add(50, check)
    pyatspi.Registry.start()
    return done()


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "Tovin's Timer":
            return app
    return None


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return None


def tree(node, depth=0):
    """The tree as lines: role, name, text where there is one."""
    line = "  " * depth + f"[{node.getRoleName()}] {node.name!r}"
    if text_of(node) is not None:
        line += f" text={text_of(node)!r}"
    lines = [line]
    for child in node:
        if child is not None:
            lines += tree(child, depth + 1)
    return lines


def find(root, role, name):
    found = pyatspi.findDescendant(root, lambda n: n.getRoleName() == role and n.name == name)
    if found is None:
        fail(f"no {role} named '{name}' in\n" + "\n".join(tree(root)))
    return found


pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing", "object:property-change:accessible-name")
if not wait_until(lambda: application() is not None, 10):
    fail("the program is not on the AT-SPI bus")
app = application()

keys("ctrl+a", "x", "Return")
if not wait_until(lambda: ("show", "notification", "Invalid entry") in heard, 5):
    fail(f"a rejected entry was not announced: {heard}")
keys("ctrl+a", "2", "0", "Return")
if not wait_until(lambda: any(h[:2] == ("name", "frame") for h in heard), 5):
    fail(f"the new caption was not told: {heard}")

frame = pyatspi.findDescendant(app, lambda n: n.getRoleName() == "frame")
if frame is None:
    fail("the main window is no frame:\n" + "\n".join(tree(app)))
caption = subprocess.run(["timeout", "5", "xdotool", "getwindowname", window], capture_output=True,
                         text=True).stdout.strip()
if frame.name != caption and not wait_until(lambda: frame.name == caption, 2):
    fail(f"the frame is named '{frame.name}', the caption is '{caption}'")
clock = text_of(find(frame, "label", "Clock"))
if not re.fullmatch(r"[ 1]\d:\d\d:\d\d [ap]m", clock or ""):
    fail(f"the clock reads '{clock}'")
if text_of(find(frame, "label", "Alarm")) != "20":
    fail("the alarm display does not read 20")
for name, description in (("Go", "Play songs (shortcut key = G)"), ("Minimize", "Minimize")):
    if find(frame, "menu item", name).description != description:
        fail(f"the menu item {name} is not described as '{description}'")
print("main window:\n" + "\n".join(tree(frame)))

keys("ctrl+a", "0", "Return")
if not wait_until(lambda: ("show", "notification", "Time is up!") in heard, 5):
    fail(f"the alarm was not announced: {heard}")

keys("f")
if not wait_until(lambda: pyatspi.findDescendant(app, lambda n: n.getRoleName() == "dialog") is not None, 5):
    fail("the music window did not open")
dialog = pyatspi.findDescendant(app, lambda n: n.getRoleName() == "dialog")
for field in ("Folder for MP3 songs:", "Alarm message"):
    find(dialog, "text", field)
print("music window:\n" + "\n".join(tree(dialog)))
print("announced: " + "; ".join(f"{kind} {role} '{name}'" for kind, role, name in heard if role == "notification"))
