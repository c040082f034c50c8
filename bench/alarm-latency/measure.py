#!/usr/bin/env python3
"""Alarm and Go latency of the real program, heard from outside: a private
PulseAudio null sink's monitor is recorded with parec, every read stamped
with the wall clock; the first audible sample is compared with the alarm's
due second (a clock time typed a few seconds before a new minute) and with
the moment "g" was sent. Prints each run and the median; asserts nothing.
Usage: measure.py PROGRAM [RUNS]   (needs Xvfb, xdotool, pulseaudio, parec)"""
import os, shutil, statistics, subprocess, sys, tempfile, threading, time

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

    def first_after(self, t, timeout):
        end = time.time() + timeout
        while time.time() < end:
            with self.lock:
                later = [h for h in self.heard if h >= t - 0.5]
            if later:
                return later[0]
            time.sleep(0.05)
        return None

    def stop(self):
        self.proc.kill()


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = tempfile.mkdtemp()
    env = dict(os.environ, HOME=work + "/home", XDG_CONFIG_HOME=work + "/config", XDG_CACHE_HOME=work + "/cache",
               XDG_RUNTIME_DIR=work + "/run", SDL_AUDIODRIVER="pulseaudio", DISPLAY=":83",
               DBUS_SESSION_BUS_ADDRESS="unix:path=" + work + "/no-bus")
    for d in ("home", "config", "cache", "run"):
        os.makedirs(work + "/" + d, mode=0o700)
    procs = []
    try:
        procs.append(subprocess.Popen(["Xvfb", ":83", "-noreset", "-nolisten", "tcp"], stderr=subprocess.DEVNULL))
        subprocess.run(["pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1", "-L", "module-null-sink",
                        "-L", "module-native-protocol-unix", "-L", "module-stream-restore"], env=env,
                       stderr=subprocess.DEVNULL, check=True)
        time.sleep(1)
        rec = Recorder(env)
        procs.append(subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
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
        alarms, goes = [], []
        for run in range(runs):
            # The next minute, typed with five seconds to go.
            while time.time() % 60 < 54 or time.time() % 60 > 55:
                time.sleep(0.2)
            due = (int(time.time()) // 60 + 1) * 60
            focus()
            typed = time.strftime("%H:%M", time.localtime(due))
            key("ctrl+a", *["colon" if c == ":" else c for c in typed], "Return")
            heard = rec.first_after(due, 10)
            alarms.append(None if heard is None else (heard - due) * 1000)
            time.sleep(2)
            key("s")
            time.sleep(2)
            focus()
            sent = time.time()
            key("g")
            heard = rec.first_after(sent, 10)
            goes.append(None if heard is None else (heard - sent) * 1000)
            time.sleep(1)
            key("s")
            shown = lambda v: "never" if v is None else f"{v:.0f} ms"
            print(f"run {run + 1}: alarm heard {shown(alarms[-1])} after its second, Go heard {shown(goes[-1])}"
                  " after the key", flush=True)
        ok = lambda v: [x for x in v if x is not None]
        print(f"alarm: median {statistics.median(ok(alarms)):.0f} ms, max {max(ok(alarms)):.0f} ms"
              f" (goal: median <= 50, max <= 100)")
        print(f"Go:    median {statistics.median(ok(goes)):.0f} ms, max {max(ok(goes)):.0f} ms (goal <= 100)")
        rec.stop()
    finally:
        for p in reversed(procs):
            p.kill()
        subprocess.run(["pulseaudio", "--kill"], env=env, stderr=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
