"""The real program driven from outside, as its users drive it.

A virtual display with a window manager, the program started as a process
with its own configuration and recording folders, and only what a user
does: keys and pointer clicks sent to the display (xdotool). What it said
is read from the speech library's recording, what it shows from the
window's title and the screen's pixels, what it wrote from its settings.
"""
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("SONAVIA_BUILD", os.path.join(os.path.dirname(__file__), "../../build/release"))
PROGRAM = os.path.abspath(os.environ.get("SONAVIA_PROGRAM", os.path.join(BUILD, "bin/sonavia")))
SETTINGS_SECTION = "[Ombrix Sonavia]"


def wait_for(predicate, timeout=30.0, step=0.1):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            return value
        time.sleep(step)


class Display:
    """Xvfb and openbox, for a whole test class."""

    def __init__(self, width=1280, height=1024):
        self.width, self.height = width, height
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.name = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError(f"xdotool {args}: {result.stderr}")
        return result.stdout.strip()

    def pointer(self):
        fields = dict(part.split(":") for part in self.xdotool("getmouselocation").split())
        return int(fields["x"]), int(fields["y"])

    def pixel(self, x, y):
        """The colour (r, g, b) of a point of the screen, from an xwd dump."""
        data = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                              timeout=30).stdout
        header = struct.unpack(">25I", data[:100])
        header_size, bits_per_pixel, line_bytes, ncolors = header[0], header[11], header[12], header[19]
        offset = header_size + ncolors * 12 + y * line_bytes + x * bits_per_pixel // 8
        b, g, r = data[offset], data[offset + 1], data[offset + 2]  # little-endian 32-bit pixels
        return r, g, b

    def close(self):
        for process in (self.wm, self.xvfb):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


class Sonavia:
    """One run of the program."""

    def __init__(self, display, folder, args=(), config=None, program=PROGRAM, settings=None):
        self.display = display
        self.record = tempfile.mkdtemp(prefix="sonavia-said-")
        self.config = config or tempfile.mkdtemp(prefix="sonavia-config-")
        if settings is not None:
            os.makedirs(os.path.join(self.config, "sonavia"), exist_ok=True)
            lines = [SETTINGS_SECTION] + [f"{k}={v}" for k, v in settings.items()]
            with open(self.settings_path(), "wb") as out:
                out.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
        env = dict(display.env, UPCTV_RECORD_DIR=self.record, XDG_CONFIG_HOME=self.config)
        self.log = open(os.path.join(self.record, "stderr.txt"), "w+")
        self.process = subprocess.Popen([program, *args], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                        stderr=self.log, start_new_session=True)
        self.window = None
        self.report = ""

    def settings_path(self):
        return os.path.join(self.config, "sonavia", "Quelva2001.ini")

    def settings(self):
        values = {}
        try:
            with open(self.settings_path(), "rb") as source:
                for line in source.read().decode("cp1252").splitlines():
                    if "=" in line:
                        key, value = line.split("=", 1)
                        values[key.strip()] = value.strip()
        except FileNotFoundError:
            pass
        return values

    # What it said: (language, speaker, stopped, text folded to lower case,
    # start in ms since the epoch).
    def rows(self):
        try:
            with open(os.path.join(self.record, "utterances.tsv"), encoding="utf-8") as source:
                rows = [line.rstrip("\n").split("\t", 6) for line in source]
        except FileNotFoundError:
            return []
        # The language is its code, or the name of the one heard ("en-us").
        return [(int(r[1]) if r[1].isdigit() else r[1], int(r[2]), r[5] == "1", r[6].strip().lower(),
                 int(r[0])) for r in rows if len(r) == 7]

    def said(self):
        return [row[:4] for row in self.rows()]

    def utterances(self):
        """Every utterance as a dict: start (ms since the epoch), rate, played
        (ms), stopped, text (folded to lower case)."""
        try:
            with open(os.path.join(self.record, "utterances.tsv"), encoding="utf-8") as source:
                rows = [line.rstrip("\n").split("\t", 6) for line in source]
        except FileNotFoundError:
            return []
        return [dict(start=int(r[0]), rate=int(r[3]), played=int(r[4]), stopped=r[5] == "1",
                     text=r[6].strip().lower()) for r in rows if len(r) == 7]

    def texts(self, start=0):
        return [u[3] for u in self.said()[start:]]

    def wait_to_say(self, text, start=0, timeout=40):
        return wait_for(lambda: any(text in t for t in self.texts(start)), timeout)

    def page_processes(self):
        """The web engine's page processes: what its zygotes have forked."""
        parents, commands = {}, {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parents[int(entry)] = int(stat.read().rsplit(")", 1)[1].split()[1])
                with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                    commands[int(entry)] = cmdline.read().split(b"\0")
            except (FileNotFoundError, ProcessLookupError, IndexError, ValueError):
                continue
        ours, todo = set(), [self.process.pid]
        while todo:
            pid = todo.pop()
            ours.add(pid)
            todo.extend(child for child, parent in parents.items() if parent == pid)
        return [pid for pid in ours
                if b"--type=zygote" in commands.get(parents.get(pid), [])
                and b"--type=zygote" in commands.get(pid, [])]

    def find_window(self, timeout=30):
        def search():
            out = self.display.xdotool("search", "--all", "--onlyvisible", "--pid", self.process.pid, "--name",
                                       "^Sonavia", check=False)
            return out.split()[0] if out else None
        self.window = wait_for(search, timeout)
        return self.window

    def title(self):
        return self.display.xdotool("getwindowname", self.window) if self.window else ""

    def geometry(self):
        out = self.display.xdotool("getwindowgeometry", "--shell", self.window)
        fields = dict(line.split("=") for line in out.splitlines())
        return int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"])

    def focus(self):
        self.display.xdotool("windowactivate", "--sync", self.window, check=False)
        self.display.xdotool("windowfocus", "--sync", self.window, check=False)

    def key(self, *keys):
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.display.xdotool("type", "--delay", 30, text)

    def click(self, x, y, button=1):
        self.display.xdotool("mousemove", x, y)
        time.sleep(0.1)
        self.display.xdotool("click", button)

    def click_in_window(self, x, y, button=1):
        """A click at a point of the window's client area."""
        # Not --sync: it waits for a move, forever when the pointer is there.
        self.display.xdotool("mousemove", "--window", self.window, x, y)
        time.sleep(0.1)
        self.display.xdotool("click", button)

    def close_from_menu(self):
        """Control > Sortir, from the keyboard: the menu's last item."""
        self.focus()
        self.key("alt+c")
        time.sleep(0.5)
        self.key("Up")
        time.sleep(0.2)
        self.key("Return")

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stderr(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def end(self):
        if self.log.closed:
            return
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            if self.wait_exit(10) is None:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        self.report = sanitizer_report(self.stderr())
        self.log.close()
        shutil.rmtree(self.record, ignore_errors=True)
        shutil.rmtree(self.config, ignore_errors=True)


# How the sanitizers' reports begin, in a program built with them.
SANITIZER_MARKS = ("runtime error:", "ERROR: AddressSanitizer", "ERROR: LeakSanitizer")


def sanitizer_report(text):
    """The first sanitizer report in a program's error output, or ''."""
    starts = [text.find(mark) for mark in SANITIZER_MARKS if mark in text]
    if not starts:
        return ""
    at = min(starts)
    return text[text.rfind("\n", 0, at) + 1:at + 6000]


def write_pages(folder, pages):
    for name, html in pages.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(html)


def page(title, body, head=""):
    return (f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>{title}</title>{head}</head>"
            f"<body style='margin:0;font-size:28px'>{body}</body></html>")


# Fast speech keeps the journeys short; a test that needs time sets its own.
QUICK = {"Velocitat de lectura": "254"}


class Journey(unittest.TestCase):
    """A test class with one display, and runs that end with each test."""

    @classmethod
    def setUpClass(cls):
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sonavia-pages-")
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.end()
        shutil.rmtree(self.folder, ignore_errors=True)
        # A sanitizer's report fails the journey, even one that went on to
        # its end.
        reports = [run.report for run in self.runs if run.report]
        if reports:
            self.fail("the sanitizers reported:\n" + "\n".join(reports))

    def start(self, pages=None, args=(), folder=None, settings=QUICK, **kwargs):
        if pages:
            write_pages(folder or self.folder, pages)
        run = Sonavia(self.display, folder or self.folder, args=args, settings=settings, **kwargs)
        self.runs.append(run)
        return run

    def started(self, pages=None, **kwargs):
        """A run whose window is up and has the keyboard."""
        run = self.start(pages, **kwargs)
        self.assertTrue(run.find_window(), "the window appears")
        run.focus()
        return run

    def assertSays(self, run, text, start=0, timeout=40):
        self.assertTrue(run.wait_to_say(text, start, timeout),
                        f"{text!r} not said; said {run.texts(start)}")
