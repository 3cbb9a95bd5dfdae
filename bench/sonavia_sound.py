#!/usr/bin/env python3
"""The whole program's close with its sound server running and with it
stopped (SIGSTOP) in the middle of a sentence: from SIGTERM to the end of
the process, which includes the close's own 1.5 s wait. A PulseAudio server
of its own (Debian's pulseaudio, a null sink, a private folder) stands in
for the desktop's. Target: the same close time either way.

    bench/sonavia_sound.py [RUNS]
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

import pages  # noqa: F401 (puts the harness on the path)
from harness import Display, Sonavia, page, wait_for

TEXT = page("So", "<p>Primera frase. Una frase molt llarga que dura prou per tancar el programa "
            "mentre es diu, i encara continua una bona estona mes per si de cas.</p>")


class Server:
    """A PulseAudio server with a null sink in a private folder."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="sonavia-pulse-")
        self.socket = os.path.join(self.dir, "native")
        env = {"HOME": self.dir, "XDG_RUNTIME_DIR": self.dir, "PATH": "/usr/bin:/bin",
               "PULSE_RUNTIME_PATH": os.path.join(self.dir, "runtime"),
               "PULSE_STATE_PATH": os.path.join(self.dir, "state"),
               "XDG_CONFIG_HOME": os.path.join(self.dir, "config")}
        self.process = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--load=module-null-sink sink_name=sonavia_bench rate=22050 channels=1",
             f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(self.answers, 10, 0.05):
            raise RuntimeError("pulseaudio did not start")

    def answers(self):
        with socket.socket(socket.AF_UNIX) as s:
            try:
                s.connect(self.socket)
                return True
            except OSError:
                return False

    def end(self):
        self.process.send_signal(signal.SIGCONT)
        self.process.terminate()
        self.process.wait(10)
        shutil.rmtree(self.dir, ignore_errors=True)


def close_time(display, folder, stall):
    server = Server()
    os.environ["PULSE_SERVER"] = "unix:" + server.socket
    display.env["PULSE_SERVER"] = os.environ["PULSE_SERVER"]
    run = Sonavia(display, folder, settings={"Velocitat de lectura": "120"})
    try:
        if not wait_for(lambda: any("primera frase" in t for t in run.texts()), 30):
            raise RuntimeError(f"nothing said: {run.texts()}")
        time.sleep(2.5)  # into the long sentence
        if stall:
            server.process.send_signal(signal.SIGSTOP)
            time.sleep(0.5)
        start = time.monotonic()
        os.kill(run.process.pid, signal.SIGTERM)
        code = run.wait_exit(30)
        took = (time.monotonic() - start) * 1000
        if code != 0:
            raise RuntimeError(f"exit {code}")
        return took
    finally:
        run.end()
        server.end()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    display = Display()
    folder = tempfile.mkdtemp(prefix="sonavia-sound-")
    with open(os.path.join(folder, "index.htm"), "w", encoding="utf-8") as out:
        out.write(TEXT)
    figures = {False: [], True: []}
    try:
        for _ in range(runs):
            for stall in (False, True):
                figures[stall].append(close_time(display, folder, stall))
    finally:
        display.close()
        shutil.rmtree(folder, ignore_errors=True)
    for stall, name in ((False, "server running"), (True, "server stopped")):
        times = " ".join(f"{ms:.0f}" for ms in figures[stall])
        print(f"close with the {name}: {times} ms (worst {max(figures[stall]):.0f})")
    gap = max(figures[True]) - max(figures[False])
    print(f"a stopped server adds {gap:.0f} ms to the worst close")
    return 0 if gap < 250 else 1


if __name__ == "__main__":
    sys.exit(main())
