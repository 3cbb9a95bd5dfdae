#!/usr/bin/env python3
"""Real documentation pages read aloud for minutes, run after run, while
other processes keep every core busy: the program must never end by itself.
Each run starts the program on one page in the given language and lets it
read for SECONDS; a run counts as a crash when the program has gone before
the end (its exit status is printed).

    bench/reading_soak.py [--runs N] [--seconds S] [--language Castellà|Català] PAGE...

Pages are files (Debian's HTML documentation, say
/usr/share/doc/aptitude/html/es/ch02s01s02.html).
"""
import argparse
import multiprocessing
import os
import shutil
import sys
import tempfile
import time

import pages  # noqa: F401 (puts the harness on the path)
from harness import Display, Sonavia


def burn(stop):
    while not stop.is_set():
        sum(i * i for i in range(10000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--language", default="Castellà")
    parser.add_argument("pages", nargs="+")
    args = parser.parse_args()
    stop = multiprocessing.Event()
    load = [multiprocessing.Process(target=burn, args=(stop,)) for _ in range(os.cpu_count() or 2)]
    for process in load:
        process.start()
    display = Display()
    crashes = 0
    try:
        for path in args.pages:
            folder = tempfile.mkdtemp(prefix="sonavia-soak-")
            for run_number in range(1, args.runs + 1):
                run = Sonavia(display, folder, args=(os.path.abspath(path),),
                              settings={"Llengua": args.language, "Velocitat de lectura": "200"})
                began = time.monotonic()
                while time.monotonic() - began < args.seconds and run.process.poll() is None:
                    time.sleep(0.5)
                code = run.process.poll()
                units = len(run.rows())
                if code is not None:
                    crashes += 1
                    print(f"{path} run {run_number}: ended by itself after "
                          f"{time.monotonic() - began:.0f} s with status {code}, {units} units heard",
                          flush=True)
                else:
                    print(f"{path} run {run_number}: alive after {args.seconds:.0f} s, "
                          f"{units} units heard", flush=True)
                run.end()
            shutil.rmtree(folder, ignore_errors=True)
    finally:
        stop.set()
        for process in load:
            process.join()
        display.close()
    print(f"{crashes} crash(es)")
    return 1 if crashes else 0


if __name__ == "__main__":
    sys.exit(main())
