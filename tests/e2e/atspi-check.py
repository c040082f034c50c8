#!/usr/bin/python3
# What a screen reader is told of the running program over the real AT-SPI bus as it happens: a rejected entry, a new
# caption and the alarm (the trees of both windows are the Qt shell test's).
# Usage: atspi-check.py X-WINDOW-ID   (the program's main window, on $DISPLAY, with the AT-SPI bus running)
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
    return next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Tovin's Timer"), None)


def enter(*typed):
    subprocess.run(["timeout", "5", "xdotool", "key", "--window", window, "ctrl+a", *typed, "Return"], check=True,
                   stderr=subprocess.DEVNULL)


pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing", "object:property-change:accessible-name")
if not wait_until(lambda: application() is not None, 10):
    fail("the program is not on the AT-SPI bus")
enter("x")
if not wait_until(lambda: ("show", "notification", "Invalid entry") in heard, 5):
    fail(f"a rejected entry was not announced: {heard}")
enter("2", "0")
if not wait_until(lambda: any(h[:2] == ("name", "frame") for h in heard), 5):
    fail(f"the new caption was not told: {heard}")
frame = pyatspi.findDescendant(application(), lambda n: n.getRoleName() == "frame")
caption = subprocess.run(["timeout", "5", "xdotool", "getwindowname", window], capture_output=True,
                         text=True).stdout.strip()
if frame is None or frame.name != caption and not wait_until(lambda: frame.name == caption, 2):
    fail(f"the frame is named '{frame and frame.name}', the caption is '{caption}'")
enter("0")
if not wait_until(lambda: ("show", "notification", "Time is up!") in heard, 5):
    fail(f"the alarm was not announced: {heard}")
print("announced: " + "; ".join(f"{kind} {role} '{name}'" for kind, role, name in heard if role == "notification"))
