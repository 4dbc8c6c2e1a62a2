"""Real-window test harness: the tutor's programs in real SDL windows under Xvfb.

Every test runs in a Session of its own:

- its own Xvfb on a free display (picked by the server itself through
  -displayfd, so parallel sessions never race for a number), started with
  -noreset;
- a fresh program tree in a temporary folder, copied from the build's program
  tree, with M0/data holding the five starting records;
- every program run under a D-Bus session of its own (dbus-run-session), in a
  process group of its own, so that everything it leaves behind can be found
  and ended.

A program that hands over by exec keeps its process id; Program.exe() tells
which program it is now, and Program.window() finds the window of that program
(window ids are reused across a hand-over, so an id alone tells nothing).

Teardown ends every process the session started, even when the test failed or
the harness itself was told to stop, and then checks that nothing is left. When
a test fails, its last screenshot, a screenshot of the whole screen and the
programs' output are kept in a folder the failure message names.

Positions are given in surface pixels of the 640x450 surface and converted with
the window's position and whole-number scale. Pixels read back as palette
indices; the palette is read from console/colour.h so there is one source of
truth for its values.

A test script calls run_tests() with its test functions; each takes a Session:

    def test_something(s):
        p = s.start()
        w = p.window()
        ...

    if __name__ == "__main__":
        harness.run_tests([test_something])

Programs run with "detect_leaks=0" added to ASAN_OPTIONS (theirs only): leak
reports from the SDL, X and font libraries at exit would fail clean runs of
sanitizer builds; any other sanitizer report in a program's output fails the
test.

Standard library only; the outside tools are Xvfb, xdotool, xprop (x11-utils),
ImageMagick's import and convert, and dbus-run-session.
"""

from __future__ import annotations

import argparse
import contextlib
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Iterable, Mapping, Sequence

SURFACE_WIDTH = 640
SURFACE_HEIGHT = 450

STARTING_RECORDS = {
    "step.TXT": "1",
    "RANK.TXT": "1",
    "SUU.TXT": "未 達 成",
    "KIGO.TXT": "未 達 成",
    "SFT.TXT": "0",
}

LAUNCHER = "Velmora"
TOOLS = ("Xvfb", "xdotool", "xprop", "import", "convert", "dbus-run-session")

# How often waits look again.
POLL_S = 0.05


class HarnessError(AssertionError):
    """A check of the harness failed: the test fails with this message."""


def drill_lines(source_dir: Path, header: str, name: str, count: int = 20) -> str:
    """The drill lines of the table `name` in a material header of the source
    tree, joined as they are typed; each line is 20 characters."""
    text = (Path(source_dir) / header).read_text(encoding="utf-8")
    block = text.split(f" {name} = ", 1)[1].split("}};", 1)[0]
    found = re.findall(r'"([^"]*)"', block)
    if len(found) != count or any(len(line) != 20 for line in found):
        raise HarnessError(f"read {len(found)} lines of {name} from {header}")
    return "".join(found)


def design_y(y: int) -> int:
    """A design y (400-line space) as a pixel row: y * 9/8 rounded half up."""
    return (9 * 2 * y + 8) // 16


# ---------------------------------------------------------------------------
# Palette


def read_palette(source_dir: Path) -> list[tuple[int, int, int]]:
    """The 16 palette RGB values as console/colour.h defines them."""
    header = (Path(source_dir) / "console" / "colour.h").read_text(encoding="utf-8")
    block = re.search(r"kPalette\s*\[\s*16\s*\]\s*=\s*\{(.*?)\};", header, re.S)
    if block is None:
        raise HarnessError("console/colour.h: no kPalette[16] table found")
    body = re.sub(r"//[^\n]*", "", block.group(1))
    entries = re.findall(r"\{\s*(0x[0-9a-fA-F]+|\d+)\s*,\s*(0x[0-9a-fA-F]+|\d+)\s*,"
                         r"\s*(0x[0-9a-fA-F]+|\d+)\s*\}", body)
    palette = [tuple(int(v, 0) for v in e) for e in entries]
    if len(palette) != 16:
        raise HarnessError(f"console/colour.h: kPalette has {len(palette)} entries, not 16")
    if len(set(palette)) != 16:
        raise HarnessError("console/colour.h: two palette entries share one RGB value")
    return palette  # type: ignore[return-value]


# ---------------------------------------------------------------------------
# Processes


def _die_with_parent() -> None:
    """Run in a child before exec: it gets SIGTERM when the harness dies, even
    by SIGKILL, so an Xvfb can never outlive its test."""
    with contextlib.suppress(Exception):
        libc = ctypes.CDLL(None, use_errno=True)
        pr_set_pdeathsig = 1
        libc.prctl(pr_set_pdeathsig, signal.SIGTERM)


def _proc_stat(pid: int) -> tuple[str, str, int, int] | None:
    """(comm, state, ppid, pgrp) of a process, or None when it is gone."""
    try:
        raw = Path(f"/proc/{pid}/stat").read_text(encoding="utf-8", errors="replace")
    except OSError:
        return None
    head, _, tail = raw.rpartition(")")
    comm = head.partition("(")[2]
    fields = tail.split()
    return comm, fields[0], int(fields[1]), int(fields[2])


def _all_pids() -> list[int]:
    return [int(name) for name in os.listdir("/proc") if name.isdigit()]


def _children(pid: int) -> list[tuple[int, str]]:
    found = []
    for p in _all_pids():
        st = _proc_stat(p)
        if st is not None and st[2] == pid:
            found.append((p, st[0]))
    return found


def _group_members(pgid: int, zombies: bool = False) -> list[tuple[int, str, str]]:
    """Processes of a process group, (pid, comm, state); zombies only if asked."""
    found = []
    for p in _all_pids():
        st = _proc_stat(p)
        if st is not None and st[3] == pgid and (zombies or st[1] != "Z"):
            found.append((p, st[0], st[1]))
    return found


def _become_subreaper() -> None:
    """Orphans of the programs' sessions (dbus-run-session does not wait for
    the bus it ends) become children of the harness, which reaps them."""
    with contextlib.suppress(Exception):
        libc = ctypes.CDLL(None, use_errno=True)
        pr_set_child_subreaper = 36
        libc.prctl(pr_set_child_subreaper, 1)


def _reap_orphans(own: Iterable[int]) -> None:
    """Waits for ended children of the harness that no Popen owns."""
    keep = set(own)
    for pid, _ in _children(os.getpid()):
        if pid in keep:
            continue
        st = _proc_stat(pid)
        if st is not None and st[1] == "Z":
            with contextlib.suppress(ChildProcessError):
                os.waitpid(pid, os.WNOHANG)


def _end_group(pgid: int, grace_s: float = 3.0) -> None:
    """SIGTERM to a whole process group we created, then SIGKILL after a grace."""
    with contextlib.suppress(ProcessLookupError, PermissionError):
        os.killpg(pgid, signal.SIGTERM)
    deadline = time.monotonic() + grace_s
    while time.monotonic() < deadline and _group_members(pgid):
        time.sleep(POLL_S)
    if _group_members(pgid):
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(pgid, signal.SIGKILL)


def _wait_until(what: str, timeout: float, probe: Callable[[], object]):
    """Calls probe until it returns something true; that value, or a failure
    naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(POLL_S)


# ---------------------------------------------------------------------------
# Screenshots


@dataclass
class Shot:
    """A screenshot of one window: raw RGB bytes, row by row."""

    path: Path
    width: int
    height: int
    rgb: bytes
    scale: int
    palette: Sequence[tuple[int, int, int]]

    def rgb_at_window(self, x: int, y: int) -> tuple[int, int, int]:
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise HarnessError(f"pixel ({x}, {y}) outside the {self.width}x{self.height} shot")
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def rgb_at(self, sx: int, sy: int) -> tuple[int, int, int]:
        """RGB of surface pixel (sx, sy): the middle of its scale x scale block."""
        if not (0 <= sx < SURFACE_WIDTH and 0 <= sy < SURFACE_HEIGHT):
            raise HarnessError(f"surface pixel ({sx}, {sy}) outside 640x450")
        half = self.scale // 2
        return self.rgb_at_window(sx * self.scale + half, sy * self.scale + half)

    def index_at(self, sx: int, sy: int) -> int | None:
        """Palette index of surface pixel (sx, sy); None for a colour outside the
        palette (an anti-aliased glyph edge)."""
        rgb = self.rgb_at(sx, sy)
        for i, entry in enumerate(self.palette):
            if tuple(entry) == rgb:
                return i
        return None


def _png_size(png: Path) -> tuple[int, int]:
    """Width and height from a PNG's header chunk."""
    head = png.read_bytes()[:24]
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise HarnessError(f"{png} is not a PNG file")
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


def _png_to_rgb(png: Path) -> tuple[int, int, bytes]:
    """The pixels of a PNG as raw RGB, through ImageMagick's convert."""
    width, height = _png_size(png)
    raw = subprocess.run(["convert", str(png), "-depth", "8", "rgb:-"], capture_output=True,
                         timeout=30, check=False)
    if raw.returncode != 0 or len(raw.stdout) != width * height * 3:
        raise HarnessError(f"convert {png} rgb:- gave {len(raw.stdout)} bytes for "
                           f"{width}x{height}: {raw.stderr.decode(errors='replace').strip()}")
    return width, height, raw.stdout


# ---------------------------------------------------------------------------
# Windows and programs


class Window:
    """A top-level window of a program, addressed in surface pixels."""

    def __init__(self, session: Session, wid: int):
        self.session = session
        self.wid = wid
        x, y, w, h = session.geometry(wid)
        self.x, self.y, self.width, self.height = x, y, w, h
        if w % SURFACE_WIDTH != 0 or h % SURFACE_HEIGHT != 0 or \
                w // SURFACE_WIDTH != h // SURFACE_HEIGHT or w == 0:
            raise HarnessError(f"window {wid:#x} is {w}x{h}, not 640x450 times a whole number")
        self.scale = w // SURFACE_WIDTH

    def __repr__(self) -> str:
        return f"Window({self.wid:#x} {self.width}x{self.height}+{self.x}+{self.y})"

    def title(self) -> str:
        return self.session.window_title(self.wid)

    def to_screen(self, sx: int, sy: int) -> tuple[int, int]:
        """Screen position of the middle of surface pixel (sx, sy)."""
        half = self.scale // 2
        return self.x + sx * self.scale + half, self.y + sy * self.scale + half

    def focus(self) -> None:
        self.session.xdotool("windowfocus", "--sync", str(self.wid))

    def key(self, *names: str, delay_ms: int = 30) -> None:
        """Focuses the window and presses keys by X keysym name ("Down", "F1",
        "Return")."""
        self.focus()
        self.session.xdotool("key", "--delay", str(delay_ms), *names)

    def type(self, text: str, delay_ms: int = 1) -> None:
        """Focuses the window and types text (drill text) character by character."""
        self.focus()
        self.session.xdotool("type", "--delay", str(delay_ms), "--", text)

    def move_pointer(self, sx: int, sy: int) -> None:
        """Moves the pointer to surface pixel (sx, sy) and waits until it is
        there (`mousemove --sync` would wait for a move that never comes when
        the pointer already stands there)."""
        x, y = self.to_screen(sx, sy)
        self.session.xdotool("mousemove", str(x), str(y))
        _wait_until(f"the pointer to reach ({x}, {y})", 10,
                    lambda: self.session.pointer() == (x, y))

    def click(self, sx: int, sy: int) -> None:
        """A left click at surface pixel (sx, sy)."""
        self.move_pointer(sx, sy)
        self.session.xdotool("click", "1")

    def double_click(self, sx: int, sy: int) -> None:
        """A left double-click at surface pixel (sx, sy)."""
        self.move_pointer(sx, sy)
        self.session.xdotool("click", "--repeat", "2", "--delay", "60", "1")

    def screenshot(self, name: str | None = None) -> Shot:
        path = self.session.screenshot_path(name or "window")
        done = subprocess.run(["import", "-window", str(self.wid), str(path)],
                              env=self.session.tool_env, capture_output=True, timeout=30,
                              check=False)
        if done.returncode != 0:
            raise HarnessError(f"import -window {self.wid:#x}: "
                               f"{done.stderr.decode(errors='replace').strip()}")
        self.session.last_screenshot = path
        width, height, rgb = _png_to_rgb(path)
        if (width, height) != (self.width, self.height):
            raise HarnessError(f"screenshot of {self!r} is {width}x{height}")
        return Shot(path, width, height, rgb, self.scale, self.session.palette)

    def pixel(self, sx: int, sy: int) -> int | None:
        """Palette index of surface pixel (sx, sy) in a fresh screenshot."""
        return self.screenshot().index_at(sx, sy)

    def wait_for_pixels(self, expected: Mapping[tuple[int, int], int],
                        timeout: float = 10.0) -> Shot:
        """Takes screenshots until every surface pixel given holds its palette
        index; the matching shot, or a failure listing what was seen."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot()
            seen = {p: shot.index_at(*p) for p in expected}
            if all(seen[p] == want for p, want in expected.items()):
                return shot
            if time.monotonic() >= deadline:
                wrong = ", ".join(f"{p}: {seen[p]} (want {want})"
                                  for p, want in expected.items() if seen[p] != want)
                raise HarnessError(f"{self!r}: pixels did not take their colours within "
                                   f"{timeout:g} s: {wrong}")
            time.sleep(POLL_S)

    def exists(self) -> bool:
        return self.wid in self.session.top_level_windows()


class Program:
    """One program run: dbus-run-session with the program as its child. After
    an exec hand-over the same process is another program."""

    def __init__(self, session: Session, runner: subprocess.Popen, log: Path,
                 executable: Path):
        self.session = session
        self.executable = executable.resolve()
        name = executable.name
        self.runner = runner
        self.log_path = log
        self.started_as = name
        self.pid = 0
        self.returncode: int | None = None
        self.final_output: str | None = None

    def find_pid(self) -> None:
        """Finds the program's own process, the child of dbus-run-session."""
        def probe():
            if self.runner.poll() is not None:
                raise HarnessError(f"{self.started_as} ended before it could be found "
                                   f"(status {self.runner.returncode}):\n{self.output()}")
            # dbus-run-session forks twice, for the bus and for the program,
            # and each child is dbus-run-session until it execs: the program is
            # the child that runs its executable.
            for pid, _ in _children(self.runner.pid):
                with contextlib.suppress(OSError):
                    if Path(os.readlink(f"/proc/{pid}/exe")) == self.executable:
                        return pid
            return None
        self.pid = _wait_until(f"{self.started_as} to start", 10, probe)

    def output(self) -> str:
        """Everything the program wrote to stdout and stderr so far."""
        if self.final_output is not None:
            return self.final_output
        try:
            return self.log_path.read_text(encoding="utf-8", errors="replace")
        except OSError:
            return ""

    def running(self) -> bool:
        if self.runner.poll() is not None:
            return False
        st = _proc_stat(self.pid)
        return st is not None and st[1] != "Z"

    def exe(self) -> str | None:
        """Which program the process is now: the file name of /proc/PID/exe."""
        try:
            target = os.readlink(f"/proc/{self.pid}/exe")
        except OSError:
            return None
        return os.path.basename(target.removesuffix(" (deleted)"))

    def cwd(self) -> Path | None:
        try:
            return Path(os.readlink(f"/proc/{self.pid}/cwd"))
        except OSError:
            return None

    def windows(self) -> list[int]:
        """Mapped top-level windows that carry this process's id."""
        out = self.session.xdotool("search", "--onlyvisible", "--pid", str(self.pid),
                                   check=False)
        return [int(v) for v in out.split()]

    def window(self, timeout: float = 20.0) -> Window:
        """The mapped window of the program the process is now: one that carries
        the process's id (as `xdotool search --sync --pid` finds it, polled
        faster) and whose WM_CLASS is the program's file name, as SDL sets it.

        After an exec hand-over the process keeps its id and shows a new
        window, often under the very same window id (the X server hands the
        new connection the old one's id range), so a window cannot be told new
        by its id: the class tells it, and a late old window is never taken."""
        def probe():
            if not self.running():
                raise HarnessError(f"{self.started_as} ended (status {self.wait_exit(5)}) "
                                   f"before showing a window:\n{self.output()}")
            program = self.exe()
            for wid in self.windows():
                wm_class = self.session.window_property(wid, "WM_CLASS") or ""
                if re.findall(r'"([^"]*)"', wm_class)[:1] == [program]:
                    return wid
            return None
        wid = _wait_until(f"a window of {self.exe()} (pid {self.pid})", timeout, probe)
        return Window(self.session, wid)

    def window_showing(self, pixels: Mapping[tuple[int, int], int],
                       timeout: float = 20.0) -> Window:
        """The program's window once it shows `pixels`; after a hand-over the
        new window may reuse the old one's id, so it is looked up again until
        one shows the new screen."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                w = self.window()
                w.wait_for_pixels(pixels, timeout=2)
                return w
            except HarnessError:
                if time.monotonic() >= deadline:
                    raise

    def handed_over_to(self, name: str, timeout: float = 20.0) -> Window:
        """Waits until the process has become program `name` by exec and shows
        its window; that window."""
        self.wait_for_program(name, timeout)
        return self.window(timeout)

    def wait_for_program(self, name: str, timeout: float = 20.0) -> None:
        """Waits until the process has become `name` by exec."""
        def probe():
            if not self.running():
                raise HarnessError(f"the process ended (status {self.wait_exit(5)}) instead "
                                   f"of becoming {name}:\n{self.output()}")
            return self.exe() == name
        _wait_until(f"pid {self.pid} to become {name} (it is {self.exe()})", timeout, probe)

    def wait_exit(self, timeout: float = 20.0) -> int:
        """Waits for the program to end; its exit status (negative: the signal
        that ended it). Fails on any sanitizer report in its output."""
        if self.returncode is None:
            try:
                self.runner.wait(timeout)
            except subprocess.TimeoutExpired:
                raise HarnessError(f"{self.exe() or self.started_as} (pid {self.pid}) "
                                   f"still running after {timeout:g} s") from None
            self.returncode = self.runner.returncode
            self.check_sanitizers()
        return self.returncode

    def check_sanitizers(self) -> None:
        text = self.output()
        for mark in ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                     "ERROR: UndefinedBehaviorSanitizer"):
            if mark in text:
                raise HarnessError(f"sanitizer report from {self.started_as}:\n{text}")

    def stop(self) -> None:
        """Ends the program and its D-Bus session: SIGTERM to the program, so
        that dbus-run-session ends its bus and reaps both, then whatever of the
        group is left."""
        if self.runner.poll() is None and self.pid:
            with contextlib.suppress(ProcessLookupError):
                os.kill(self.pid, signal.SIGTERM)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.runner.wait(3)
        _end_group(self.runner.pid)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.runner.wait(5)


# ---------------------------------------------------------------------------
# Session


class Session:
    """An Xvfb, a fresh program tree and the programs started in it."""

    def __init__(self, tree_source: Path, source_dir: Path, name: str = "session",
                 keep_dir: Path | None = None, screen: tuple[int, int] = (1920, 1080),
                 xvfb_args: Sequence[str] = ()):
        self.tree_source = Path(tree_source).resolve()
        self.source_dir = Path(source_dir).resolve()
        self.name = name
        self.keep_dir = Path(keep_dir) if keep_dir else None
        self.screen = screen
        self.xvfb_args = list(xvfb_args)
        self.palette = read_palette(self.source_dir)
        self.programs: list[Program] = []
        self.last_screenshot: Path | None = None
        self.kept: Path | None = None
        self._shots = 0
        self._xvfb: subprocess.Popen | None = None
        self._tmp: str | None = None
        self.display = ""

    # -- lifecycle ----------------------------------------------------------

    def __enter__(self) -> Session:
        try:
            self.open()
        except BaseException:
            self.close(failed=True)
            raise
        return self

    def __exit__(self, exc_type, exc, tb) -> None:
        self.close(failed=exc_type is not None)

    def open(self) -> None:
        _become_subreaper()
        missing = [t for t in TOOLS if shutil.which(t) is None]
        if missing:
            raise HarnessError(f"missing tools: {' '.join(missing)} "
                               "(bash scripts/deps.sh test installs them)")
        if not (self.tree_source / LAUNCHER).is_file():
            raise HarnessError(f"no {LAUNCHER} in {self.tree_source}: build the programs first")
        self._tmp = tempfile.mkdtemp(prefix=f"tutor-e2e-{self.name}-")
        self.root = Path(self._tmp)
        self.shots_dir = self.root / "shots"
        self.shots_dir.mkdir()
        self.elsewhere = self.root / "elsewhere"
        self.elsewhere.mkdir()
        self.tree = self.root / "tree"
        self.data = self.tree / "M0" / "data"
        self._lay_out_tree()
        self._start_xvfb()

    def _lay_out_tree(self) -> None:
        shutil.copytree(self.tree_source, self.tree, symlinks=False,
                        ignore=shutil.ignore_patterns("M0"))
        (self.tree / "M1").mkdir(exist_ok=True)
        self.data.mkdir(parents=True)
        for file, value in STARTING_RECORDS.items():
            self.write_record(file, value)

    def _start_xvfb(self) -> None:
        read_end, write_end = os.pipe()
        log = open(self.root / "xvfb.log", "wb")  # noqa: SIM115 (kept for the run)
        w, h = self.screen
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", f"{w}x{h}x24", *self.xvfb_args],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True, preexec_fn=_die_with_parent)
        finally:
            os.close(write_end)
            log.close()
        number = b""
        deadline = time.monotonic() + 20
        try:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(left, 0))
                if not ready:
                    raise HarnessError("Xvfb did not report its display within 20 s")
                chunk = os.read(read_end, 64)
                if not chunk:
                    raise HarnessError("Xvfb ended at start:\n" +
                                       (self.root / "xvfb.log").read_text(errors="replace"))
                number += chunk
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()
        env = {k: v for k, v in os.environ.items()
               if k not in ("DBUS_SESSION_BUS_ADDRESS", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY")}
        env["DISPLAY"] = self.display
        env.pop("XAUTHORITY", None)
        self.tool_env = env
        # The programs: leak reports of the SDL and X libraries at exit would
        # turn a clean run into a failure under AddressSanitizer builds, so leak
        # checking is off for them (and only for them; the headless tests keep
        # it). Every other sanitizer report still fails the test.
        program_env = dict(env)
        asan = program_env.get("ASAN_OPTIONS", "")
        program_env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "detect_leaks=0"
        self.program_env = program_env

    def close(self, failed: bool = False) -> None:
        if failed:
            with contextlib.suppress(Exception):
                self._keep_evidence()
        for p in self.programs:
            with contextlib.suppress(Exception):
                p.stop()
        if self._xvfb is not None:
            _end_group(self._xvfb.pid)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self._xvfb.wait(5)
        leftovers = []
        groups = [p.runner.pid for p in self.programs]
        if self._xvfb is not None:
            groups.append(self._xvfb.pid)

        def settled(pgid: int) -> bool:
            _reap_orphans(groups)
            return not _group_members(pgid, zombies=True)
        for pgid in groups:
            with contextlib.suppress(HarnessError):
                _wait_until("", 5, lambda g=pgid: settled(g))
            leftovers += _group_members(pgid, zombies=True)
        problem = None
        if not failed:
            if leftovers:
                problem = HarnessError(f"processes left running after the session: {leftovers}")
            # A program ended by teardown still fails the test with a sanitizer
            # report it wrote while running.
            for p in self.programs:
                try:
                    p.check_sanitizers()
                except HarnessError as e:
                    problem = problem or e
            if problem is not None:
                with contextlib.suppress(Exception):
                    self._keep_evidence()
        for p in self.programs:
            p.final_output = p.output()  # for the report, once the folder is gone
        if self._tmp is not None:
            shutil.rmtree(self._tmp, ignore_errors=True)
        if problem is not None:
            raise problem

    def _keep_evidence(self) -> None:
        if self.keep_dir is None or self._tmp is None:
            return
        keep = self.keep_dir / self.name
        shutil.rmtree(keep, ignore_errors=True)
        keep.mkdir(parents=True)
        if self.last_screenshot is not None and self.last_screenshot.exists():
            shutil.copy2(self.last_screenshot, keep / "last-window.png")
        if self.display:
            subprocess.run(["import", "-window", "root", str(keep / "screen.png")],
                           env=self.tool_env, capture_output=True, timeout=30, check=False)
        for i, p in enumerate(self.programs):
            with contextlib.suppress(OSError):
                shutil.copy2(p.log_path, keep / f"program-{i}-{p.started_as}.log")
        with contextlib.suppress(OSError):
            shutil.copy2(self.root / "xvfb.log", keep / "xvfb.log")
        self.kept = keep

    # -- X tools ------------------------------------------------------------

    def xdotool(self, *args: str, check: bool = True, timeout: float = 30) -> str:
        done = subprocess.run(["xdotool", *args], env=self.tool_env, capture_output=True,
                              timeout=timeout, check=False)
        if check and done.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(args)} failed ({done.returncode}): "
                               f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode(errors="replace")

    def pointer(self) -> tuple[int, int]:
        """Where the pointer is on the screen."""
        out = self.xdotool("getmouselocation", "--shell")
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"])

    def screen_size(self) -> tuple[int, int]:
        w, h = self.xdotool("getdisplaygeometry").split()
        return int(w), int(h)

    def geometry(self, wid: int) -> tuple[int, int, int, int]:
        """Position on the screen and size of a window."""
        out = self.xdotool("getwindowgeometry", "--shell", str(wid))
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def top_level_windows(self) -> list[int]:
        """Every mapped top-level window, named or not (SDL's message box has a
        UTF-8 title that xdotool's name search cannot read, so match all)."""
        out = self.xdotool("search", "--onlyvisible", "--maxdepth", "1", "--classname", "",
                           check=False)
        root = self.root_window()
        return [int(v) for v in out.split() if int(v) != root]

    def root_window(self) -> int:
        if not hasattr(self, "_root_window"):
            out = self.xdotool("search", "--maxdepth", "0", "--classname", "", check=False)
            self._root_window = int(out.split()[0]) if out.split() else -1
        return self._root_window

    def window_property(self, wid: int, name: str) -> str | None:
        """A window property as xprop prints its value, or None when unset."""
        done = subprocess.run(["xprop", "-id", str(wid), name], env=self.tool_env,
                              capture_output=True, timeout=30, check=False)
        text = done.stdout.decode("utf-8", errors="replace").strip()
        if done.returncode != 0 or "=" not in text:
            return None
        return text.split("=", 1)[1].strip()

    def window_title(self, wid: int) -> str:
        """The window's title (_NET_WM_NAME, else WM_NAME), "" when it has none."""
        for prop in ("_NET_WM_NAME", "WM_NAME"):
            value = self.window_property(wid, prop)
            if value is not None:
                m = re.fullmatch(r'"(.*)"', value, re.S)
                return m.group(1).replace('\\"', '"') if m else value
        return ""

    def wait_for_new_window(self, known: Iterable[int], timeout: float = 15.0) -> int:
        """A mapped top-level window not among `known`."""
        skip = set(known)

        def probe():
            fresh = [w for w in self.top_level_windows() if w not in skip]
            return fresh[0] if fresh else None
        return _wait_until("a new top-level window", timeout, probe)

    def wait_for_window_gone(self, wid: int, timeout: float = 15.0) -> None:
        _wait_until(f"window {wid:#x} to go", timeout,
                    lambda: wid not in self.top_level_windows())

    def press(self, wid: int, *names: str) -> None:
        """Focuses any window by id (a message box, say) and presses keys."""
        self.xdotool("windowfocus", "--sync", str(wid))
        self.xdotool("key", "--delay", "30", *names)

    def screenshot_path(self, name: str) -> Path:
        self._shots += 1
        return self.shots_dir / f"{self._shots:04d}-{name}.png"

    # -- programs and records -------------------------------------------------

    def start(self, program: str = LAUNCHER, cwd: Path | None = None) -> Program:
        """Starts a program of the tree (path relative to the tree) under a D-Bus
        session of its own, by default from a folder outside the tree."""
        exe = self.tree / program
        if not os.access(exe, os.X_OK):
            raise HarnessError(f"{exe} is not an executable")
        log = self.root / f"program-{len(self.programs)}.log"
        with open(log, "wb") as out:
            runner = subprocess.Popen(["dbus-run-session", "--", str(exe)],
                                      cwd=str(cwd or self.elsewhere), env=self.program_env,
                                      stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                      start_new_session=True)
        program_run = Program(self, runner, log, exe)
        # Registered before it is looked for, so teardown ends it whatever happens.
        self.programs.append(program_run)
        program_run.find_pid()
        return program_run

    def remove_program(self, relative: str) -> None:
        """Takes a program out of the tree (to see what happens without it)."""
        with contextlib.suppress(FileNotFoundError):
            (self.tree / relative).unlink()

    def install_program(self, relative: str, copy_of: str) -> None:
        """Puts a copy of one program of the tree at another path in it."""
        target = self.tree / relative
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.tree / copy_of, target)

    def record_path(self, name: str) -> Path:
        return self.data / name

    def read_record(self, name: str) -> str | None:
        """A record file as stored, whole ("1\\n"); None when it is missing."""
        try:
            return self.record_path(name).read_text(encoding="utf-8")
        except FileNotFoundError:
            return None

    def record_line(self, name: str) -> str | None:
        """The record's line without its line ending."""
        text = self.read_record(name)
        return None if text is None else text.rstrip("\r\n")

    def write_record(self, name: str, value: str) -> None:
        """Writes a record file as one line ending in a line feed."""
        self.record_path(name).write_text(value + "\n", encoding="utf-8")

    def wait_for_record(self, name: str, value: str, timeout: float = 15.0) -> None:
        """Waits until a record file holds `value` as its line."""
        try:
            _wait_until(f"{name} to hold {value!r}", timeout,
                        lambda: self.record_line(name) == value)
        except HarnessError as e:
            raise HarnessError(f"{e}; it holds {self.read_record(name)!r}") from None


# ---------------------------------------------------------------------------
# Running a test script


def check(condition: object, message: str) -> None:
    """A check of the test: fails it with `message` when the condition is false."""
    if not condition:
        raise HarnessError(message)


def parse_args(argv: Sequence[str] | None = None,
               description: str = "real-window tests") -> argparse.Namespace:
    here = Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("tree", type=Path, help="the build's program tree (holds Velmora)")
    parser.add_argument("source", type=Path, nargs="?", default=here.parent,
                        help="the source folder (default: the one holding this harness)")
    parser.add_argument("--keep", type=Path,
                        default=Path(tempfile.gettempdir()) / "tutor-window-failures",
                        help="where a failed test keeps its screenshots and logs")
    parser.add_argument("-k", dest="only", default=None, help="run only tests whose name has this")
    return parser.parse_args(argv)


def _stop_on_sigterm() -> None:
    def handler(signum, frame):  # noqa: ARG001
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, handler)
    signal.signal(signal.SIGHUP, handler)


def run_tests(tests: Sequence[Callable[[Session], None]],
              argv: Sequence[str] | None = None) -> None:
    """Runs each test in a fresh session and exits 0 only when all passed."""
    args = parse_args(argv)
    _stop_on_sigterm()
    script = Path(sys.argv[0]).stem
    failures = 0
    ran = 0
    for test in tests:
        name = test.__name__
        if args.only and args.only not in name:
            continue
        ran += 1
        started = time.monotonic()
        # A test may ask for its own X server options (`test.xvfb_args = [...]`).
        session = Session(args.tree, args.source, name=f"{script}.{name}", keep_dir=args.keep,
                          xvfb_args=getattr(test, "xvfb_args", ()))
        try:
            with session:
                test(session)
        except Exception:  # noqa: BLE001 (every failure is reported, then the next test runs)
            failures += 1
            print(f"FAIL {name} ({time.monotonic() - started:.1f} s)", flush=True)
            traceback.print_exc(file=sys.stdout)
            for p in session.programs:
                out = p.output()
                if out.strip():
                    print(f"--- output of {p.started_as} (pid {p.pid}):\n"
                          f"{out.rstrip()}", flush=True)
            if session.kept:
                print(f"screenshots and logs kept in {session.kept}", flush=True)
            continue
        print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
    if ran == 0:
        print("no test ran", flush=True)
        sys.exit(1)
    print(f"{ran - failures} of {ran} passed", flush=True)
    sys.exit(1 if failures else 0)
