#!/usr/bin/env python3
"""Idle CPU of the launcher waiting for a key, as % of one core.

    python3 bench/idle_cpu.py <program tree> [--seconds 10]

Starts the launcher in an Xvfb of its own, waits until its menu is drawn, lets
it settle for a second, then measures the CPU time it uses (utime + stime from
/proc/PID/stat) over the given wall time. Prints that, the same from the
nanosecond counter of /proc/PID/schedstat, and the X server's share (which
shows whether the launcher keeps drawing).
"""

from __future__ import annotations

import argparse
import os
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
import harness  # noqa: E402

MENU_DRAWN = {(61, 125): 2, (303, 145): 2, (61, 161): 14}
TICKS = os.sysconf("SC_CLK_TCK")


def stat_ticks(pid: int) -> int:
    """utime + stime of a process, in clock ticks."""
    raw = Path(f"/proc/{pid}/stat").read_text()
    fields = raw.rpartition(")")[2].split()
    return int(fields[11]) + int(fields[12])  # fields 14 and 15 of the whole line


def schedstat_ns(pid: int) -> int:
    return int(Path(f"/proc/{pid}/schedstat").read_text().split()[0])


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tree", type=Path, help="the build's program tree (holds Velmora)")
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()

    with harness.Session(args.tree, HERE.parent, name="idle") as s:
        p = s.start()
        w = p.window()
        w.wait_for_pixels(MENU_DRAWN)
        time.sleep(1.0)
        xvfb = s._xvfb.pid  # noqa: SLF001 (the bench reads the server's share too)
        t0 = time.monotonic()
        ticks0, ns0, x0 = stat_ticks(p.pid), schedstat_ns(p.pid), schedstat_ns(xvfb)
        time.sleep(args.seconds)
        ticks1, ns1, x1 = stat_ticks(p.pid), schedstat_ns(p.pid), schedstat_ns(xvfb)
        wall = time.monotonic() - t0
        harness.check(p.running() and p.exe() == "Velmora", "the launcher did not stay idle")
        p.stop()
    stat_pct = 100.0 * (ticks1 - ticks0) / TICKS / wall
    sched_pct = 100.0 * (ns1 - ns0) / 1e9 / wall
    x_pct = 100.0 * (x1 - x0) / 1e9 / wall
    print(f"launcher idle over {wall:.1f} s: {stat_pct:.2f}% of one core "
          f"({ticks1 - ticks0} ticks of 1/{TICKS} s from /proc/PID/stat)")
    print(f"  from /proc/PID/schedstat: {sched_pct:.3f}%; X server meanwhile: {x_pct:.3f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
