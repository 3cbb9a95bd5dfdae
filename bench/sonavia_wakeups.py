#!/usr/bin/env python3
"""Wake-ups of the program's main thread while it reads a page, and while
it is paused: the main thread's context switches a second (voluntary and
involuntary, from /proc), from outside. Target while reading: under 20.

    bench/sonavia_wakeups.py [PAGE] [SECONDS]

PAGE is an HTML file (by default a Debian package's documentation page);
the program is build/release/bin/sonavia, or SONAVIA_PROGRAM.
"""
import os
import sys
import tempfile
import time

import pages  # noqa: F401 (puts the harness on the path)
from harness import Display, Sonavia, wait_for

TARGET = 20
DEFAULT_PAGES = ["/usr/share/doc/zlib1g-dev/examples/zlib_how.html",
                 "/usr/share/doc/python3/python-policy.html"]


def switches(pid):
    """The main thread's context switches so far."""
    total = 0
    with open(f"/proc/{pid}/task/{pid}/status") as status:
        for line in status:
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                total += int(line.split()[1])
    return total


def rate(pid, seconds):
    before, started = switches(pid), time.monotonic()
    time.sleep(seconds)
    return (switches(pid) - before) / (time.monotonic() - started)


def main():
    page = sys.argv[1] if len(sys.argv) > 1 else next((p for p in DEFAULT_PAGES if os.path.exists(p)), None)
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    if page is None:
        print("no page to read: give one", file=sys.stderr)
        return 2
    display = Display()
    folder = tempfile.mkdtemp(prefix="sonavia-wakeups-")
    run = Sonavia(display, folder, args=[os.path.abspath(page)], settings={"Velocitat de lectura": "180"})
    try:
        if not run.find_window() or not run.wait_to_say("títol", timeout=60):
            print("the page was not read:", run.texts(), run.stderr()[-2000:], file=sys.stderr)
            return 1
        time.sleep(1)  # into the body of the page
        said = len(run.said())
        reading = rate(run.process.pid, seconds)
        units = len(run.said()) - said
        if units < 2:
            print(f"only {units} units were spoken while measuring: not a reading", file=sys.stderr)
            return 1
        run.focus()
        run.key("F3")  # pause
        time.sleep(2)
        paused = rate(run.process.pid, seconds / 2)
    finally:
        run.end()
        display.close()
        os.rmdir(folder)
    print(f"page: {page}")
    print(f"reading: {reading:.1f} main-thread wake-ups a second ({units} units spoken in {seconds:.0f} s)")
    print(f"paused:  {paused:.1f} main-thread wake-ups a second")
    met = reading < TARGET
    print(f"target while reading: under {TARGET}: {'met' if met else 'MISSED'}")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
