#!/usr/bin/env python3
"""The tutor's programs against the floor, a bare SDL2 window that draws one
line of Japanese text (bench/floor.cpp): first frame, exec hand-over, key
press to changed pixels, peak memory, idle CPU and wake-ups.

    python3 bench/latency.py <build> [--floor <floor>] [--runs 5] [--idle-seconds 10]

<build> holds the program tree (tree/, with Velmora and M1/Ostrin) and, unless
--floor names another, the floor (bench/floor). Measure a release build.

Everything runs in one Xvfb of the script's own (1920x1080x24) with its own
copies of the tree and the floor, under one D-Bus session (dbus-run-session) that the X probe
(bench/x_probe.cpp, built by bench/build_probe.sh) runs in; the probe starts
each program in a process group of its own, so floor and tutor meet the same
bus. After one unrecorded start of each (the first start of all reads the
libraries and the font from disk), runs of the floor and of the tutor take
turns at going first. Each run:

  floor:  start `floor <IPAGothic> --exec 1`; first frame; idle; F1 (it execs
          itself); idle again; "f" (echoed); peak memory.
  tutor:  start Velmora in the tree's root; first frame; idle on the menu; F1
          (it execs M1/Ostrin); "x" past the home-position prompt; idle on
          the drill screen; "f" (the first drill character); peak memory.

All times come from X events as the probe takes them: a process's start is
the moment before the probe forks it, a window's first frame its first
Damage, a window going its UnmapNotify (or DestroyNotify), a key press the
moment before the XTest request. Before every step the window must have drawn
nothing for 0.5 s. Idle CPU is the on-CPU time of the program's threads
(/proc/PID/task/*/schedstat), wake-ups their voluntary context switches
(/proc/PID/task/*/status), both over --idle-seconds of wall time. Peak memory
is VmHWM from /proc/PID/status after the key press; an exec starts it afresh,
so it is the started program's own.

Progress goes to stderr; stdout gets the machine, the load and one table of
medians with [min-max] and the ratio of the medians (tutor / floor).
"""

from __future__ import annotations

import argparse
import contextlib
import ctypes
import os
import platform
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent

RECORDS = {"step.TXT": "1", "RANK.TXT": "1", "SUU.TXT": "未 達 成", "KIGO.TXT": "未 達 成",
           "SFT.TXT": "0"}
QUIET_MS = 500      # nothing drawn for this long: the screen is up and waiting
TIMEOUT_MS = 20000  # for any one step


class BenchError(RuntimeError):
    pass


def log(text: str) -> None:
    print(text, file=sys.stderr, flush=True)


# ---------------------------------------------------------------------------
# Processes


def _prctl(option: int, value: int) -> None:
    with contextlib.suppress(Exception):
        ctypes.CDLL(None, use_errno=True).prctl(option, value)


def _die_with_parent() -> None:
    """In a child before exec: SIGTERM when the script dies, however it dies."""
    _prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def _stat(pid: int) -> list[str] | None:
    """The fields of /proc/PID/stat after the command name: state, ppid, pgrp, session..."""
    try:
        raw = Path(f"/proc/{pid}/stat").read_text(errors="replace")
    except OSError:
        return None
    return raw.rpartition(")")[2].split()


def _in_sessions(sessions: set[int]) -> list[int]:
    """Live (not zombie) processes of the given sessions."""
    found = []
    for name in os.listdir("/proc"):
        if name.isdigit():
            st = _stat(int(name))
            if st is not None and st[0] != "Z" and int(st[3]) in sessions:
                found.append(int(name))
    return found


def _reap() -> None:
    """Waits for every ended child, the orphans this script adopted included."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def _end_sessions(sessions: set[int], grace_s: float = 3.0) -> list[int]:
    """SIGTERM, then SIGKILL, to every process of the sessions this script
    started; returns what is still there afterwards."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in _in_sessions(sessions):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.kill(pid, sig)
        deadline = time.monotonic() + grace_s
        while time.monotonic() < deadline:
            _reap()
            if not _in_sessions(sessions):
                return []
            time.sleep(0.05)
    _reap()
    return _in_sessions(sessions)


# ---------------------------------------------------------------------------
# /proc figures


def _tasks(pid: int) -> list[Path]:
    return [p for p in Path(f"/proc/{pid}/task").iterdir()]


def cpu_ns(pid: int) -> int:
    """On-CPU time of all threads of a process, in ns."""
    total = 0
    for task in _tasks(pid):
        with contextlib.suppress(OSError):
            total += int((task / "schedstat").read_text().split()[0])
    return total


def status_field(path: Path, name: str) -> int:
    for line in path.read_text().splitlines():
        if line.startswith(name + ":"):
            return int(line.split()[1])
    raise BenchError(f"no {name} in {path}")


def voluntary_switches(pid: int) -> int:
    total = 0
    for task in _tasks(pid):
        with contextlib.suppress(OSError):
            total += status_field(task / "status", "voluntary_ctxt_switches")
    return total


def peak_rss_mb(pid: int) -> float:
    return status_field(Path(f"/proc/{pid}/status"), "VmHWM") / 1024


def exe_of(pid: int) -> str:
    try:
        return os.readlink(f"/proc/{pid}/exe")
    except OSError:
        return "(gone)"


# ---------------------------------------------------------------------------
# The probe


class Probe:
    """The X probe under its own D-Bus session; one command, one reply."""

    def __init__(self, path: Path, env: dict[str, str], log_path: Path):
        with open(log_path, "wb") as err:
            self.proc = subprocess.Popen(
                ["dbus-run-session", "--", str(path)], stdin=subprocess.PIPE,
                stdout=subprocess.PIPE, stderr=err, env=env, text=True, bufsize=1,
                start_new_session=True, preexec_fn=_die_with_parent)
        self.log_path = log_path
        self.session = self.proc.pid
        ready = self._read(20)
        if ready != "ok ready":
            raise BenchError(f"the probe did not start: {ready!r}\n" + self._log())

    def _log(self) -> str:
        with contextlib.suppress(OSError):
            return self.log_path.read_text(errors="replace")
        return ""

    def _read(self, timeout: float) -> str:
        assert self.proc.stdout is not None
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            raise BenchError("the probe did not answer")
        line = self.proc.stdout.readline()
        if not line:
            raise BenchError("the probe ended\n" + self._log())
        return line.rstrip("\n")

    def cmd(self, *fields: object) -> dict[str, str]:
        assert self.proc.stdin is not None
        self.proc.stdin.write("\t".join(str(f) for f in fields) + "\n")
        self.proc.stdin.flush()
        answer = self._read(TIMEOUT_MS / 1000 + 10)
        if not answer.startswith("ok"):
            raise BenchError(f"{fields[0]} {' '.join(str(f) for f in fields[1:])}: {answer}")
        return dict(part.split("=", 1) for part in answer.split()[1:])

    def close(self) -> None:
        with contextlib.suppress(Exception):
            assert self.proc.stdin is not None
            self.proc.stdin.close()
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(10)


# ---------------------------------------------------------------------------
# The runs


@dataclass
class Figures:
    values: dict[str, dict[str, list[float]]] = field(default_factory=dict)

    def add(self, figure: str, who: str, value: float) -> None:
        self.values.setdefault(figure, {}).setdefault(who, []).append(value)


class Bench:
    def __init__(self, args: argparse.Namespace, probe: Probe, root: Path, font: str):
        self.args = args
        self.probe = probe
        self.root = root
        self.tree = root / "tree"
        self.font = font
        self.figures = Figures()

    def _idle(self, pid: int, exe: str) -> tuple[float, float]:
        """% of one core and wake-ups a second over the idle time."""
        t0, c0, v0 = time.monotonic(), cpu_ns(pid), voluntary_switches(pid)
        time.sleep(self.args.idle_seconds)
        t1, c1, v1 = time.monotonic(), cpu_ns(pid), voluntary_switches(pid)
        if exe_of(pid) != exe:
            raise BenchError(f"process {pid} is {exe_of(pid)} after idling, not {exe}")
        wall = t1 - t0
        return 100 * (c1 - c0) / 1e9 / wall, (v1 - v0) / wall

    def _settle(self, wid: str) -> None:
        self.probe.cmd("settle", wid, QUIET_MS, TIMEOUT_MS)

    def _check_exe(self, pid: int, exe: Path) -> str:
        found = exe_of(pid)
        if Path(found) != exe.resolve():
            raise BenchError(f"process {pid} runs {found}, not {exe}")
        return found

    def warm_up(self) -> None:
        """Starts each program once to its first frame, unrecorded: the first
        start of all reads the libraries and the font from disk."""
        p = self.probe
        self._write_records()
        for log_name, cwd, command in (
                ("floor.log", self.root, (self.root / "floor", self.font)),
                ("tutor.log", self.tree, ("./Velmora",))):
            pid = int(p.cmd("start", self.root / log_name, cwd, *command)["pid"])
            try:
                self._settle(p.cmd("window", pid, TIMEOUT_MS)["wid"])
            finally:
                p.cmd("stop", pid)

    def _write_records(self) -> None:
        data = self.tree / "M0" / "data"
        data.mkdir(parents=True, exist_ok=True)
        for name, value in RECORDS.items():
            (data / name).write_text(value + "\n", encoding="utf-8")

    def run_floor(self, run: int) -> None:
        p = self.probe
        floor = self.root / "floor"
        started = p.cmd("start", self.root / "floor.log", self.root, floor, self.font,
                        "--exec", "1")
        pid, t0 = int(started["pid"]), int(started["t0"])
        try:
            w = p.cmd("window", pid, TIMEOUT_MS)
            first = (int(w["drawn"]) - t0) / 1e6
            self._settle(w["wid"])
            exe = self._check_exe(pid, floor)
            cpu_a, wake_a = self._idle(pid, exe)
            h = p.cmd("handover", w["wid"], "F1", pid, TIMEOUT_MS)
            self._settle(h["new"])
            cpu_b, wake_b = self._idle(pid, exe)
            k = p.cmd("key", h["new"], "f", TIMEOUT_MS)
            self._settle(h["new"])
            rss = peak_rss_mb(pid)
        finally:
            p.cmd("stop", pid)
        self._record("floor", first, h, float(k["ms"]), rss, cpu_a, wake_a, cpu_b, wake_b)
        log(f"floor run {run}: first frame {first:.1f} ms, gap {float(h['gap_ms']):.1f} ms, "
            f"key {float(k['ms']):.1f} ms, {rss:.1f} MB, idle {cpu_a:.3f}%/{cpu_b:.3f}%, "
            f"{wake_a:.2f}/{wake_b:.2f} wake-ups/s")

    def run_tutor(self, run: int) -> None:
        p = self.probe
        self._write_records()
        started = p.cmd("start", self.root / "tutor.log", self.tree, "./Velmora")
        pid, t0 = int(started["pid"]), int(started["t0"])
        try:
            w = p.cmd("window", pid, TIMEOUT_MS)
            first = (int(w["drawn"]) - t0) / 1e6
            self._settle(w["wid"])
            launcher = self._check_exe(pid, self.tree / "Velmora")
            cpu_a, wake_a = self._idle(pid, launcher)
            h = p.cmd("handover", w["wid"], "F1", pid, TIMEOUT_MS)
            lesson = self._check_exe(pid, self.tree / "M1" / "Ostrin")
            self._settle(h["new"])
            p.cmd("key", h["new"], "x", TIMEOUT_MS)  # past the home-position prompt
            self._settle(h["new"])
            cpu_b, wake_b = self._idle(pid, lesson)
            k = p.cmd("key", h["new"], "f", TIMEOUT_MS)
            self._settle(h["new"])
            rss = peak_rss_mb(pid)
        finally:
            p.cmd("stop", pid)
        self._record("tutor", first, h, float(k["ms"]), rss, cpu_a, wake_a, cpu_b, wake_b)
        log(f"tutor run {run}: first frame {first:.1f} ms, gap {float(h['gap_ms']):.1f} ms, "
            f"key {float(k['ms']):.1f} ms, {rss:.1f} MB, idle {cpu_a:.3f}%/{cpu_b:.3f}%, "
            f"{wake_a:.2f}/{wake_b:.2f} wake-ups/s")

    def _record(self, who: str, first: float, h: dict[str, str], key_ms: float, rss: float,
                cpu_a: float, wake_a: float, cpu_b: float, wake_b: float) -> None:
        f = self.figures
        f.add("first", who, first)
        f.add("gap", who, float(h["gap_ms"]))
        f.add("f1", who, float(h["drawn_ms"]))
        f.add("key", who, key_ms)
        f.add("rss", who, rss)
        f.add("cpu_a", who, cpu_a)
        f.add("cpu_b", who, cpu_b)
        f.add("wake_a", who, wake_a)
        f.add("wake_b", who, wake_b)


ROWS = (
    ("first", "first frame: start -> first Damage", "ms", 1),
    ("gap", "hand-over gap: old window gone -> new window's first Damage", "ms", 1),
    ("f1", "hand-over: F1 -> new window's first Damage", "ms", 1),
    ("key", "key press -> first changed pixel (drill screen / echo)", "ms", 1),
    ("rss", "peak RSS (VmHWM) after the key press", "MB", 1),
    ("cpu_a", "idle CPU: launcher menu / floor before its exec", "%", 3),
    ("cpu_b", "idle CPU: drill screen / floor after its exec", "%", 3),
    ("wake_a", "wake-ups: launcher menu / floor before its exec", "/s", 2),
    ("wake_b", "wake-ups: drill screen / floor after its exec", "/s", 2),
)


def table(figures: Figures) -> str:
    def cell(values: list[float], digits: int) -> str:
        return (f"{statistics.median(values):.{digits}f} "
                f"[{min(values):.{digits}f}-{max(values):.{digits}f}]")

    lines = []
    no_ratio = False
    head = f"{'figure':<62} {'unit':<4} {'floor':>22} {'tutor':>22} {'tutor/floor':>11}"
    lines += [head, "-" * len(head)]
    for key, label, unit, digits in ROWS:
        per = figures.values.get(key, {})
        floor, tutor = per.get("floor", []), per.get("tutor", [])
        if not floor or not tutor:
            continue
        f_med, t_med = statistics.median(floor), statistics.median(tutor)
        ratio = f"{t_med / f_med:.2f}" if f_med > 0 else "-"
        no_ratio = no_ratio or f_med <= 0
        lines.append(f"{label:<62} {unit:<4} {cell(floor, digits):>22} "
                     f"{cell(tutor, digits):>22} {ratio:>11}")
    if no_ratio:
        lines.append("(-: the floor's median is 0, so there is no ratio)")
    return "\n".join(lines)


# ---------------------------------------------------------------------------
# Set-up


def machine() -> str:
    model = "?"
    with contextlib.suppress(OSError):
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    debian = "?"
    with contextlib.suppress(OSError):
        debian = Path("/etc/debian_version").read_text().strip()
    return (f"{os.cpu_count()} CPUs (nproc {len(os.sched_getaffinity(0))}), {model}, "
            f"Debian {debian}, kernel {platform.release()}")


def loadavg() -> str:
    with contextlib.suppress(OSError):
        return " ".join(Path("/proc/loadavg").read_text().split()[:3])
    return "?"


def build_probe() -> Path:
    done = subprocess.run(["bash", str(HERE / "build_probe.sh")], stdout=subprocess.PIPE,
                          text=True, check=False)
    if done.returncode != 0:
        raise BenchError("bench/build_probe.sh failed")
    return Path(done.stdout.strip().splitlines()[-1])


def find_font() -> str:
    done = subprocess.run(["fc-match", "-f", "%{file}", "IPAGothic"], capture_output=True,
                          text=True, check=False)
    if done.returncode != 0 or not done.stdout or not Path(done.stdout).is_file():
        raise BenchError("fc-match finds no IPAGothic: install fonts-ipafont-gothic")
    return done.stdout


def start_xvfb(root: Path) -> tuple[subprocess.Popen, str]:
    read_end, write_end = os.pipe()
    with open(root / "xvfb.log", "wb") as out:
        try:
            xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", "1920x1080x24"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                start_new_session=True, preexec_fn=_die_with_parent)
        finally:
            os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    try:
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(deadline - time.monotonic(), 0))
            if not ready:
                raise BenchError("Xvfb did not report its display within 20 s")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise BenchError("Xvfb ended at start:\n" +
                                 (root / "xvfb.log").read_text(errors="replace"))
            number += chunk
    finally:
        os.close(read_end)
    return xvfb, ":" + number.decode().strip()


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", type=Path, help="a build folder holding tree/ (and bench/floor)")
    parser.add_argument("--floor", type=Path, help="the floor (default <build>/bench/floor)")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle-seconds", type=float, default=10.0)
    parser.add_argument("--class-service", action="store_true",
                        help="define the class server's service (a server that refuses), so "
                             "that the programs start the sender")
    args = parser.parse_args()
    tree = args.build / "tree"
    args.floor = args.floor or args.build / "bench" / "floor"
    for needed in (tree / "Velmora", tree / "M1" / "Ostrin", args.floor):
        if not os.access(needed, os.X_OK):
            print(f"no {needed}: build it first", file=sys.stderr)
            return 2
    if args.runs < 1:
        print("--runs must be 1 or more", file=sys.stderr)
        return 2

    probe_path = build_probe()
    font = find_font()
    _prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: orphans of the sessions come back here
    root = Path(tempfile.mkdtemp(prefix="tutor-latency-"))
    sessions: set[int] = set()
    probe: Probe | None = None
    failed = False
    try:
        shutil.copytree(tree, root / "tree", ignore=shutil.ignore_patterns("M0"))
        # A copy, as of the tree: a rebuild during the run leaves both alone.
        shutil.copy2(args.floor, root / "floor")
        xvfb, display = start_xvfb(root)
        sessions.add(xvfb.pid)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DBUS_SESSION_BUS_ADDRESS", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY",
                            "XAUTHORITY")}
        env["DISPLAY"] = display
        env["XDG_CONFIG_HOME"] = str(root / "config")  # no window settings but the defaults
        # The class server's service defined or absent whatever this machine has.
        env["PGSYSCONFDIR"] = str(root / "no-system-services")
        env["PGSERVICEFILE"] = str(root / "pg_service.conf")
        if args.class_service:
            # Port 9 (discard) refuses on loopback: a sender that connects ends at once.
            (root / "pg_service.conf").write_text("[velmora]\nhost=127.0.0.1\nport=9\n"
                                                 "dbname=velmora\n", encoding="utf-8")
        probe = Probe(probe_path, env, root / "probe.log")
        sessions.add(probe.session)
        load_before = loadavg()
        log(f"display {display}, {args.runs} runs of each, {args.idle_seconds:g} s idle, "
            f"load {load_before}")
        bench = Bench(args, probe, root, font)
        bench.warm_up()
        for run in range(1, args.runs + 1):
            # Take turns at going first, so that neither always meets a warm cache.
            order = (bench.run_floor, bench.run_tutor)
            for step in order if run % 2 else reversed(order):
                step(run)
        load_after = loadavg()
        print(f"tutor: {tree.resolve()}")
        print(f"floor: {args.floor.resolve()}")
        print(f"machine: {machine()}")
        print(f"load average (1, 5, 15 min): {load_before} before, {load_after} after")
        print(f"class service: {'defined' if args.class_service else 'absent'}")
        print(f"{args.runs} runs each, idle over {args.idle_seconds:g} s; "
              "median [min-max]; ratio of the medians")
        print()
        print(table(bench.figures))
    except BenchError as e:
        failed = True
        log(f"failed: {e}")
        for name in ("floor.log", "tutor.log", "probe.log"):
            with contextlib.suppress(OSError):
                text = (root / name).read_text(errors="replace").strip()
                if text:
                    log(f"--- {name}\n{text}")
    finally:
        if probe is not None:
            probe.close()
        left = _end_sessions(sessions)
        if left:
            failed = True
            log(f"processes left after ending everything: {left}")
        shutil.rmtree(root, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
