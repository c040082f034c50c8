#!/usr/bin/python3
# What a screen reader is told of the running program over the real AT-SPI bus: a new caption, and the alarm ("Time
# is up!"), which only reach a real bus (the trees are the Qt shell test's).
# Usage: atspi-check.py X-WINDOW-ID CLOCK-FILE   (the program's main window, on $DISPLAY, with the AT-SPI bus running;
# the program's clock offset is read from CLOCK-FILE, as libfaketime's FAKETIME_TIMESTAMP_FILE)
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

window, clock, heard = sys.argv[1], sys.argv[2], []  # heard: roles whose objects' names changed, in order
shown = []  # the names of the notifications that turned showing


def notified(event):
    try:
        if event.detail1 and event.source.getRoleName() == "notification":
            shown.append(event.source.name)
    except Exception:
        pass


def listen(event):
    try:
        if event.source.getApplication().name == "Tovin's Timer":
            heard.append(event.source.getRoleName())
    except Exception:  # an object gone before its event was read
        pass


def wait_until(done, seconds):
    """Runs the event loop until done() holds, for at most `seconds`."""
    deadline = time.monotonic() + seconds
    GLib.timeout_add(50, lambda: not (done() or time.monotonic() > deadline) or pyatspi.Registry.stop())
    pyatspi.Registry.start()
    return done()


def xdotool(*args):
    return subprocess.run(["timeout", "5", "xdotool", *args], check=True, capture_output=True, text=True).stdout.strip()


pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-name")
pyatspi.Registry.registerEventListener(notified, "object:state-changed:showing")
application = lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Tovin's Timer"), None)
if not wait_until(lambda: application() is not None, 10):
    sys.exit("FAIL: screen reader: the program is not on the AT-SPI bus")
xdotool("key", "--window", window, "ctrl+a", "2", "0", "Return")
if not wait_until(lambda: "frame" in heard, 5):
    sys.exit(f"FAIL: screen reader: the new caption was not told: {heard}")
frame = pyatspi.findDescendant(application(), lambda n: n.getRoleName() == "frame")
caption = xdotool("getwindowname", window)
if frame is None or frame.name != caption and not wait_until(lambda: frame.name == caption, 2):
    sys.exit(f"FAIL: screen reader: the frame is named '{frame and frame.name}', the caption is '{caption}'")
print(f"told: the caption '{caption}'")
# The clock jumps past the twenty minutes: the alarm, told at the next tick.
with open(clock, "w", encoding="utf-8") as f:
    f.write("+21m\n")
if not wait_until(lambda: "Time is up!" in shown, 10):
    sys.exit(f"FAIL: screen reader: the alarm was not told: {shown}")
print("told: the alarm, 'Time is up!'")
