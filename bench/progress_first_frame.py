#!/usr/bin/env python3
"""A program's first frame against the launcher's, with a history of 10,000
blocks (made by bench/history_bench): the progress program's first view, or
with --program M1/Kotoba the word course's menu.

    python3 bench/progress_first_frame.py <build> [--runs 9] [--program M1/Progress]

<build> is a release build holding tree/ and bench/history_bench. Both
programs start in one copy of the tree, in one Xvfb, through the X probe of
bench/latency.py, taking turns at going first after one unrecorded start of
each; a first frame runs from the moment before the probe forks the program
to the window's first Damage. Prints the medians [min-max] and their ratio.
"""

from __future__ import annotations

import argparse
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

import latency
from latency import RECORDS, TIMEOUT_MS, BenchError, Probe


def first_frame(probe: Probe, root: Path, tree: Path, command: str) -> float:
    started = probe.cmd("start", root / "program.log", tree, command)
    pid, t0 = int(started["pid"]), int(started["t0"])
    try:
        w = probe.cmd("window", pid, TIMEOUT_MS)
        probe.cmd("settle", w["wid"], latency.QUIET_MS, TIMEOUT_MS)
        return (int(w["drawn"]) - t0) / 1e6
    finally:
        probe.cmd("stop", pid)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", type=Path)
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--program", default="M1/Progress")
    args = parser.parse_args()
    latency._prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
    root = Path(tempfile.mkdtemp(prefix="tutor-progress-bench-"))
    sessions: set[int] = set()
    probe = None
    try:
        tree = root / "tree"
        shutil.copytree(args.build / "tree", tree, ignore=shutil.ignore_patterns("M0"))
        data = tree / "M0" / "data"
        data.mkdir(parents=True)
        for name, value in RECORDS.items():
            (data / name).write_text(value + "\n", encoding="utf-8")
        made = subprocess.run([str(args.build / "bench" / "history_bench"), str(data)],
                              capture_output=True, text=True, check=True)
        print(made.stdout, end="")
        xvfb, display = latency.start_xvfb(root)
        sessions.add(xvfb.pid)
        env = {k: v for k, v in latency.os.environ.items()
               if k not in ("DBUS_SESSION_BUS_ADDRESS", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                            "XAUTHORITY")}
        env["DISPLAY"] = display
        env["XDG_CONFIG_HOME"] = str(root / "config")
        probe = Probe(latency.build_probe(), env, root / "probe.log")
        sessions.add(probe.session)
        name = Path(args.program).name.lower()
        programs = {"launcher": "./Velmora", name: f"./{args.program}"}
        times: dict[str, list[float]] = {name: [] for name in programs}
        for name, command in programs.items():
            first_frame(probe, root, tree, command)  # unrecorded
        for run in range(args.runs):
            order = list(programs.items())
            for name, command in order if run % 2 else reversed(order):
                times[name].append(first_frame(probe, root, tree, command))
        medians = {name: statistics.median(v) for name, v in times.items()}
        for name, v in times.items():
            print(f"{name} first frame: {medians[name]:.1f} ms [{min(v):.1f}-{max(v):.1f}]")
        print(f"ratio {name} / launcher: {medians[name] / medians['launcher']:.2f} "
              f"({args.runs} runs each, load {latency.loadavg()})")
    except (BenchError, subprocess.CalledProcessError) as e:
        print(f"failed: {e}", file=sys.stderr)
        return 1
    finally:
        if probe is not None:
            probe.close()
        latency._end_sessions(sessions)
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
