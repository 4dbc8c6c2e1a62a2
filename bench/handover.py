#!/usr/bin/env python3
"""Key press to first frame: F1 in the launcher until the started program's
window is mapped and first drawn, timed from X events by handover_probe.

    python3 bench/handover.py <program tree> --probe <handover_probe> [--runs N]

(bench/handover.sh builds the probe and calls this.) Each run starts the
launcher afresh in an Xvfb of its own, waits until its menu is drawn and idle,
and lets the probe press F1. Prints every run, then min/median/max in ms.
"""

from __future__ import annotations

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
import harness  # noqa: E402

# The first button's face, drawn in the highlight colour once the menu is up.
MENU_DRAWN = {(61, 125): 2, (303, 145): 2, (61, 161): 14}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tree", type=Path, help="the build's program tree (holds Velmora)")
    parser.add_argument("--probe", type=Path, required=True, help="the built handover_probe")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--settle", type=float, default=0.5,
                        help="seconds to leave the drawn menu idle before F1")
    args = parser.parse_args()

    maps: list[float] = []
    paints: list[float] = []
    with harness.Session(args.tree, HERE.parent, name="handover") as s:
        started = "Ostrin"
        if not (s.tree / "M1" / "Ostrin").exists():
            # No lesson program built yet: a second copy of the launcher opens a
            # window and draws its menu, which is all this needs.
            s.install_program("M1/Ostrin", "Velmora")
            started = "Ostrin (a copy of Velmora)"
        print(f"tree {args.tree}, F1 starts {started}, {args.runs} runs", flush=True)
        for run in range(1, args.runs + 1):
            p = s.start()
            w = p.window()
            w.wait_for_pixels(MENU_DRAWN)
            time.sleep(args.settle)
            done = subprocess.run([str(args.probe), str(w.wid), "10000"], env=s.tool_env,
                                  capture_output=True, text=True, timeout=60, check=False)
            if done.returncode != 0:
                print(f"run {run}: probe failed: {done.stderr.strip()}\n{p.output()}")
                return 1
            fields = dict(f.split("=", 1) for f in done.stdout.split())
            new = p.handed_over_to("Ostrin", 10)
            if f"{new.wid:#x}" != fields["window"]:
                print(f"run {run}: the probe timed window {fields['window']}, "
                      f"but Ostrin's window is {new.wid:#x}")
                return 1
            maps.append(float(fields["map_ms"]))
            paints.append(float(fields["paint_ms"]))
            print(f"run {run:2}: mapped {maps[-1]:7.1f} ms, first frame {paints[-1]:7.1f} ms",
                  flush=True)
            p.stop()
    for label, values in (("key press to map        ", maps),
                          ("key press to first frame", paints)):
        print(f"{label}: min {min(values):6.1f}  median {statistics.median(values):6.1f}  "
              f"max {max(values):6.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
