#!/usr/bin/env python3
"""Memory: a 2 MB page loaded and being read; the program and its web
engine's processes together, as the sum of their proportional set sizes
(Pss in /proc/PID/smaps_rollup). Target: under 350 MB.

    bench/sonavia_memory.py [SIZE_MB]
"""
import shutil
import sys
import tempfile
import time

import pages
from harness import Display, Sonavia, wait_for

TARGET_MB = 350


def main():
    size_mb = float(sys.argv[1]) if len(sys.argv) > 1 else 2.0
    display = Display()
    folder = tempfile.mkdtemp(prefix="sonavia-memory-")
    pages.common(folder)
    pages.write(folder, "index.htm", pages.article("Pagina gran", int(size_mb * 1024 * 1024)))
    run = Sonavia(display, folder)
    try:
        if not wait_for(lambda: any(t.startswith("paragraf 1.") or "primera frase" in t
                                    for t in run.texts()), 120):
            print("the page was not read", run.texts(), file=sys.stderr)
            return 1
        time.sleep(5)  # reading on
        reading = run.process.poll() is None
        own = pages.memory_kb(run.process.pid, "Pss") / 1024
        total = pages.tree_memory_kb(run.process.pid) / 1024
        processes = len(pages.process_tree(run.process.pid))
    finally:
        run.end()
        display.close()
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{size_mb:g} MB page loaded and being read: {total:.0f} MB Pss in {processes} processes "
          f"({own:.0f} MB in the program's own), target under {TARGET_MB} MB: "
          f"{'met' if total < TARGET_MB and reading else 'MISSED'}")
    return 0 if total < TARGET_MB and reading else 1


if __name__ == "__main__":
    sys.exit(main())
