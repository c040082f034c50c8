#!/usr/bin/env python3
"""Alarm and Go latency of the real program, heard from outside: a private
PulseAudio null sink's monitor is recorded with parec, every read stamped
with the wall clock; the first audible sample is compared with the alarm's
due second (a clock time typed a few seconds before a new minute, or "0":
the next second) and with the moment "g" was sent, for each case below.
Prints each run and the medians; asserts nothing.
Usage: measure.py PROGRAM [RUNS] [CASE,...]   (needs Xvfb, xdotool, pulseaudio, parec, sox)"""
import ctypes, os, shutil, statistics, subprocess, sys, tempfile, threading, time

RATE, FRAME = 44100, 4           # s16le stereo
THRESHOLD = 64                   # |sample| above this is heard (about -54 dBFS)


class Recorder:
    """Reads the monitor in small pieces; knows the wall time of each sample."""

    def __init__(self, env):
        self.proc = subprocess.Popen(["parec", "-d", "null.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
                                      "--channels=2", "--latency-msec=5"], stdout=subprocess.PIPE, env=env)
        self.heard = []  # wall times of reads that held a sound, with the sample's offset back from the read
        self.lock = threading.Lock()
        threading.Thread(target=self.run, daemon=True).start()

    def run(self):
        while True:
            data = self.proc.stdout.read1(1024 * FRAME)
            if not data:
                return
            now = time.time()
            frames = len(data) // FRAME
            for i in range(0, frames * FRAME, 2):
                if abs(int.from_bytes(data[i:i + 2], "little", signed=True)) > THRESHOLD:
                    with self.lock:
                        self.heard.append(now - (frames - i // FRAME) / RATE)
                    break

    def first_after(self, t, timeout, since=None):
        """The first sound heard from `since` on (half a second before t unless given)."""
        end = time.time() + timeout
        since = t - 0.5 if since is None else since
        while time.time() < end:
            with self.lock:
                later = [h for h in self.heard if h >= since]
            if later:
                return later[0]
            time.sleep(0.05)
        return None

    def stop(self):
        self.proc.kill()


class KeyPresser:
    """Presses a key through XTest in this process, so the stamp taken just before it is not delayed by starting a
    program (xdotool takes several milliseconds to start)."""

    def __init__(self, display):
        self.x11, self.xtst = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.x11.XOpenDisplay(display.encode())

    def press(self, name):
        """Presses and releases the key; returns the wall time just before the press reached the server."""
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name.encode()))
        sent = time.time()
        self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        self.x11.XSync(self.display, 0)
        self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XSync(self.display, 0)
        return sent


# The cases: (settings, entry, action before the alarm, message typed in the music dialog).
# tunes: the built-in tunes; mp3: a folder of good songs; broken-first: a folder of broken songs but one, so the first
# song tried is most likely broken; zero: "0" typed, due at the next second; stop: Go, then Stop just before the
# alarm; message: an alarm message (its box and the notification on the alarm's path); go, go-mp3: Go alone, with the
# tunes or the songs (no alarm: a run takes seconds, not a minute).
CASES = {
    "go": ({}, None, None, None),
    "go-mp3": ({"UseMidi": "0", "MP3Folder": "{work}/good/"}, None, None, None),
    "tunes": ({}, "clock", None, None),
    "mp3": ({"UseMidi": "0", "MP3Folder": "{work}/good/"}, "clock", None, None),
    "broken-first": ({"UseMidi": "0", "MP3Folder": "{work}/broken/"}, "clock", None, None),
    "zero": ({}, "zero", None, None),
    "stop": ({}, "clock", "stop", None),
    "message": ({}, "clock", None, "Tea"),
}


def make_songs(work):
    os.makedirs(work + "/good"), os.makedirs(work + "/broken")
    for folder, name in (("good", "a.mp3"), ("good", "b.mp3"), ("broken", "z.mp3")):
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "-t", "wav", f"{work}/{folder}/{name}",
                        "synth", "30", "sine", "440", "gain", "-12"], check=True)
    for n in range(7):
        with open(f"{work}/broken/broken{n}.mp3", "wb") as f:
            f.write(b"\xff\xfb\x90\x64" + b" " * 2000)


def write_settings(work, values):
    folder = work + "/config/TimerZqv2010"
    os.makedirs(folder, exist_ok=True)
    with open(folder + "/Timer.ini", "w") as f:
        for name, value in values.items():
            f.write(f"[{name}]\nString%20Value={value.format(work=work)}\n")


def run_case(name, program, runs, env, rec, work, presser):
    settings, entry, action, message = CASES[name]
    write_settings(work, settings)
    app = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = ""
        for _ in range(100):
            window = subprocess.run(["xdotool", "search", "--name", "^Timer$"], env=env, capture_output=True,
                                    text=True).stdout.split()
            if window:
                window = window[0]
                break
            time.sleep(0.1)
        focus = lambda: subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, check=True)
        key = lambda *k: subprocess.run(["xdotool", "key", "--delay", "20", *k], env=env, check=True)
        if message:
            focus(), key("f"), time.sleep(1)
            subprocess.run(["xdotool", "key", "--delay", "50", "Tab", "Tab"], env=env, check=True)
            subprocess.run(["xdotool", "type", "--delay", "50", message], env=env, check=True)
            key("alt+d"), time.sleep(1)
        alarms, goes = [], []
        for run in range(runs):
            if entry is None:
                pass
            elif entry == "zero":
                while time.time() % 1 < 0.3 or time.time() % 1 > 0.5:
                    time.sleep(0.01)
                focus()
                due = int(time.time()) + 1
                key("ctrl+a", "0", "Return")
            else:
                # The next minute, typed with five seconds to go.
                while time.time() % 60 < 54 or time.time() % 60 > 55:
                    time.sleep(0.2)
                due = (int(time.time()) // 60 + 1) * 60
                focus()
                typed = time.strftime("%H:%M", time.localtime(due))
                key("ctrl+a", *["colon" if c == ":" else c for c in typed], "Return")
            since = None
            if action == "stop":
                key("g")
                while time.time() < due - 0.4:
                    time.sleep(0.01)
                key("s")
                since = time.time() + 0.1  # what Go played has drained from the sink by then
            heard = None if entry is None else rec.first_after(due, 10, since)
            alarms.append(None if heard is None else (heard - due) * 1000)
            time.sleep(2 if entry else 0.5)
            if message:
                key("Return")  # the message box
                time.sleep(0.5)
            focus(), key("s")
            time.sleep(2)
            focus()
            sent = presser.press("g")
            heard = rec.first_after(sent, 10)
            goes.append(None if heard is None else (heard - sent) * 1000)
            time.sleep(1)
            key("s")
            time.sleep(1)
            shown = lambda v: "never" if v is None else f"{v:.0f} ms"
            print(f"{name} run {run + 1}: alarm heard {shown(alarms[-1])} after its second, Go heard "
                  f"{shown(goes[-1])} after the key", flush=True)
        return alarms, goes
    finally:
        app.kill()
        app.wait()


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    cases = sys.argv[3].split(",") if len(sys.argv) > 3 else list(CASES)
    work = tempfile.mkdtemp()
    display = f":{83 + os.getpid() % 100}"
    env = dict(os.environ, HOME=work + "/home", XDG_CONFIG_HOME=work + "/config", XDG_CACHE_HOME=work + "/cache",
               XDG_RUNTIME_DIR=work + "/run", SDL_AUDIODRIVER="pulseaudio", DISPLAY=display,
               DBUS_SESSION_BUS_ADDRESS="unix:path=" + work + "/no-bus")
    for d in ("home", "config", "cache", "run"):
        os.makedirs(work + "/" + d, mode=0o700)
    procs = []
    try:
        make_songs(work)
        procs.append(subprocess.Popen(["Xvfb", display, "-noreset", "-nolisten", "tcp"], stderr=subprocess.DEVNULL))
        subprocess.run(["pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1", "-L", "module-null-sink",
                        "-L", "module-native-protocol-unix", "-L", "module-stream-restore"], env=env,
                       stderr=subprocess.DEVNULL, check=True)
        time.sleep(1)
        rec, presser = Recorder(env), KeyPresser(display)
        results = {name: run_case(name, program, runs, env, rec, work, presser) for name in cases}
        ok = lambda v: [x for x in v if x is not None]
        summary = lambda v: (f"median {statistics.median(ok(v)):.0f} ms, max {max(ok(v)):.0f} ms" if ok(v) else "never")
        print("case          alarm after its second          Go after the key   (goal: alarm median <= 50, max <= 100;"
              " Go <= 100)")
        for name, (alarms, goes) in results.items():
            alarm = "-" if CASES[name][1] is None else summary(alarms)
            print(f"{name:13} {alarm:31} {summary(goes)}  ({len(ok(alarms))}/{len(alarms)} alarms, "
                  f"{len(ok(goes))}/{len(goes)} Go heard)")
        rec.stop()
    finally:
        for p in reversed(procs):
            p.kill()
        subprocess.run(["pulseaudio", "--kill"], env=env, stderr=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
