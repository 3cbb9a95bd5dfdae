#!/usr/bin/env python3
"""A long session: LOADS page loads (local pages of 10 KB to 2 MB, with
frames and pictures), typed into the address box or followed from a link,
with the reading on and pauses and link jumps in between. It must end with
no crash and no hang, and the memory after the last load within 15 % of
that after load 20 (resident set of the program, and the proportional set
of the program with its web engine's processes).

    bench/soak.py [LOADS]
"""
import os
import random
import shutil
import sys
import tempfile
import time

import pages
from harness import Display, Sonavia, wait_for

SIZES = [10 * 1024, 50 * 1024, 200 * 1024, 600 * 1024, 2 * 1024 * 1024]
TOLERANCE = 0.15


def said_at(run, text, start, timeout):
    """Where the first utterance from `start` on that holds `text` stands."""
    def find():
        for n, said in enumerate(run.texts(start)):
            if text in said:
                return start + n
        return None
    wait_for(lambda: find() is not None, timeout)
    return find()


def main():
    loads = int(sys.argv[1]) if len(sys.argv) > 1 else 200
    rng = random.Random(2026)  # the reading's pace between loads
    display = Display()
    folder = tempfile.mkdtemp(prefix="sonavia-soak-")
    pages.common(folder)
    for n, size in enumerate(SIZES):
        # Each page links to the next, so that a link can be followed.
        pages.write(folder, f"p{n}.htm", pages.article(f"Pagina {n}", size, links=[f"p{(n + 1) % len(SIZES)}.htm"],
                                                       frames=n % 2 == 1))
    pages.write(folder, "index.htm", pages.article("Inici", 10 * 1024, links=["p0.htm"]))
    run = Sonavia(display, folder, settings={"Velocitat de lectura": "254"})
    figures = {}
    began = time.monotonic()
    try:
        if not run.find_window() or not run.wait_to_say("inici", 0, 60):
            print("the program did not start", file=sys.stderr)
            return 1
        run.focus()
        for load in range(1, loads + 1):
            # Each page's first link leads to the next size: Tab onto it and
            # Enter, as a listener would. Every twentieth load is the same page.
            start = len(run.rows())
            run.key("Tab")
            time.sleep(0.3)
            run.key("Return")
            # The new page's own title, once it has loaded: the old page's
            # reading may go on while it loads, and the pointer resting on
            # the new page's first link may take the reading past "Títol".
            loaded = said_at(run, "pàgina carregada", start, 90)
            title = f"pagina {(load - 1) % len(SIZES)}"
            if loaded is None or not run.wait_to_say(title, loaded, 30):
                print(f"load {load}: no reading; said {run.texts(start)[:12]}, focus on "
                      f"{run.display.xdotool('getwindowfocus', 'getwindowname', check=False)!r}; "
                      f"the program wrote: {run.stderr()[-2000:]}", file=sys.stderr)
                return 1
            if run.process.poll() is not None:
                print(f"load {load}: the program ended ({run.process.returncode})", file=sys.stderr)
                return 1
            time.sleep(rng.uniform(0.5, 2.0))  # reading on
            if load % 4 == 0:
                run.key("F3")  # a pause, and on again
                time.sleep(0.4)
                run.key("F3")
            if load % 5 == 0:
                run.key("F4")  # links only, and back
                time.sleep(0.4)
                run.key("F4")
            if load in (1, 20) or load % 20 == 0 or load == loads:
                time.sleep(2)
                figures[load] = (pages.memory_kb(run.process.pid, "Rss") / 1024,
                                 pages.tree_memory_kb(run.process.pid) / 1024)
                print(f"load {load}: program RSS {figures[load][0]:.0f} MB, "
                      f"with the engine {figures[load][1]:.0f} MB Pss, {time.monotonic() - began:.0f} s",
                      flush=True)
        run.close_from_menu()
        ended = run.wait_exit(30)
    finally:
        run.end()
        display.close()
        shutil.rmtree(folder, ignore_errors=True)
    if ended != 0:
        print(f"the close did not end the program cleanly ({ended})", file=sys.stderr)
        return 1
    if 20 not in figures:
        print("fewer than 20 loads: no comparison")
        return 0
    last = figures[loads]
    growth = [(last[i] - figures[20][i]) / figures[20][i] for i in range(2)]
    verdict = all(g <= TOLERANCE for g in growth)
    print(f"after load {loads} against load 20: program RSS {growth[0]:+.1%}, with the engine "
          f"{growth[1]:+.1%} (limit +{TOLERANCE:.0%}): {'met' if verdict else 'MISSED'}")
    return 0 if verdict else 1


if __name__ == "__main__":
    sys.exit(main())
