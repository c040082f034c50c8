#!/usr/bin/python3
# What a screen reader is told of the running program over the real AT-SPI bus: the timer's start, announced by a
# notification that shows, and the frame named by the new caption (the trees and the announcements are the Qt shell
# test's; what Orca makes of them, the Orca session's).
# Usage: atspi-check.py X-WINDOW-ID   (the program's main window, on $DISPLAY, with the AT-SPI bus running)
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

window, heard = sys.argv[1], []  # heard: the objects shown, as "role: name", in order


def listen(event):
    try:
        if event.detail1 and event.source.getApplication().name == "Tovin's Timer":
            heard.append(f"{event.source.getRoleName()}: {event.source.name}")
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


pyatspi.Registry.registerEventListener(listen, "object:state-changed:showing")
application = lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Tovin's Timer"), None)
if not wait_until(lambda: application() is not None, 10):
    sys.exit("FAIL: screen reader: the program is not on the AT-SPI bus")
xdotool("key", "--window", window, "ctrl+a", "2", "0", "Return")
said = "notification: Timer started, 20 minutes left"
if not wait_until(lambda: said in heard, 5):
    sys.exit(f"FAIL: screen reader: the timer's start was not told: {heard}")
frame = pyatspi.findDescendant(application(), lambda n: n.getRoleName() == "frame")
caption = xdotool("getwindowname", window)
if frame is None or frame.name != caption and not wait_until(lambda: frame.name == caption, 2):
    sys.exit(f"FAIL: screen reader: the frame is named '{frame and frame.name}', the caption is '{caption}'")
print(f"told: '{said}', the caption '{caption}'")
