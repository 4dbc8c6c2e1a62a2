"""Real-window tests: each test's Session is an Xvfb of its own, a fresh program tree
(or, with --package, the unpacked package) and every program under dbus-run-session
in a process group of its own; teardown fails on leftovers, a failure keeps screenshots
and logs. Positions are surface pixels (640x450), pixels read back as palette indices.
A test may set `test.xvfb_args`, `test.screen` and `test.window_manager` (openbox)."""

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
from typing import Callable, Mapping, Sequence

SURFACE_WIDTH, SURFACE_HEIGHT = 640, 450
STARTING_RECORDS = {"step.TXT": "1", "RANK.TXT": "1", "SUU.TXT": "未 達 成",
                    "KIGO.TXT": "未 達 成", "SFT.TXT": "0"}
LAUNCHER = "Velmora"
TOOLS = ("Xvfb", "xdotool", "xprop", "import", "convert", "dbus-run-session")
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "ERROR: UndefinedBehaviorSanitizer")
POLL_S = 0.05


def design_y(y: int) -> int:
    """A design y (400-line space) as a pixel row: y * 9/8 rounded half up."""
    return (9 * 2 * y + 8) // 16


# The launcher's entry 1 (face 2 while the menu waits), its exit box; the home prompt's cap (11).
MENU_ENTRY_1 = (62, design_y(112))
LAUNCHER_EXIT = (592, 369)
HOME_CAP = (228, design_y(46))


class HarnessError(AssertionError):
    """A check of the harness failed: the test fails with this message."""


def check(condition: object, message: str) -> None:
    if not condition:
        raise HarnessError(message)


def wait_until(what: str | Callable[[], str], timeout: float, probe: Callable[[], object]):
    """probe()'s first true value; on time out a failure naming `what` (or what())."""
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:g} s waiting for "
                               f"{what() if callable(what) else what}")
        time.sleep(POLL_S)
    return value


def read_palette(source_dir: Path) -> list[tuple[int, int, int]]:
    """The 16 entries of kPalette in console/colour.h."""
    header = (source_dir / "console" / "colour.h").read_text(encoding="utf-8")
    block = re.search(r"kPalette\s*\[\s*16\s*\]\s*=\s*\{(.*?)\};", header, re.S)
    check(block, "console/colour.h: no kPalette[16] table found")
    number = r"\s*(0x[0-9a-fA-F]+|\d+)\s*"
    palette = [tuple(int(v, 0) for v in e) for e in re.findall(
        rf"\{{{number},{number},{number}\}}", re.sub(r"//[^\n]*", "", block.group(1)))]
    check(len(palette) == 16, f"console/colour.h: kPalette has {len(palette)} entries, not 16")
    check(len(set(palette)) == 16, "console/colour.h: two palette entries share one RGB value")
    return palette  # type: ignore[return-value]


def _prctl(option: int, value: int) -> None:
    with contextlib.suppress(Exception):
        ctypes.CDLL(None, use_errno=True).prctl(option, value)


def _stat(pid: int) -> tuple[str, str, int] | None:
    """(comm, state, process group), None when it is gone."""
    with contextlib.suppress(OSError):
        head, _, tail = Path(f"/proc/{pid}/stat").read_text(errors="replace").rpartition(")")
        return head.partition("(")[2], tail.split()[0], int(tail.split()[2])
    return None


def _group(pgid: int, zombies: bool = True) -> list[tuple[int, str, str]]:
    stats = ((pid, _stat(pid)) for pid in map(int, filter(str.isdigit, os.listdir("/proc"))))
    return [(pid, st[0], st[1]) for pid, st in stats
            if st and st[2] == pgid and (zombies or st[1] != "Z")]


def _children(pid: int) -> list[int]:
    try:
        return [int(c) for c in Path(f"/proc/{pid}/task/{pid}/children").read_text().split()]
    except OSError:
        return []


def _end_group(pgid: int) -> None:
    """SIGTERM to a process group we created, SIGKILL after 3 s."""
    with contextlib.suppress(ProcessLookupError, PermissionError):
        os.killpg(pgid, signal.SIGTERM)
    with contextlib.suppress(HarnessError):
        wait_until("", 3, lambda: not _group(pgid, zombies=False))
    if _group(pgid, zombies=False):
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(pgid, signal.SIGKILL)


class Viewport:
    """The surface in a window as the console places it: largest of its shape, centred."""

    def __init__(self, width: int, height: int):
        self.cw = min(width, (height * 1280 + 450) // 900)
        self.ch = min(height, (self.cw * 900 + 640) // 1280)
        self.left, self.top = (width - self.cw) // 2, (height - self.ch) // 2

    def centre(self, sx: int, sy: int) -> tuple[int, int]:
        x0, x1 = (self.left + x * self.cw // SURFACE_WIDTH for x in (sx, sx + 1))
        y0, y1 = (self.top + y * self.ch // SURFACE_HEIGHT for y in (sy, sy + 1))
        return (x0 + x1 - 1) // 2, (y0 + y1 - 1) // 2


@dataclass
class Shot:
    width: int
    rgb: bytes
    view: Viewport
    palette: Sequence[tuple[int, int, int]]

    def index_at(self, sx: int, sy: int) -> int | None:
        """Palette index at surface pixel (sx, sy); None outside the palette (glyph edges)."""
        check(0 <= sx < SURFACE_WIDTH and 0 <= sy < SURFACE_HEIGHT,
              f"surface pixel ({sx}, {sy}) outside 640x450")
        x, y = self.view.centre(sx, sy)
        i = (y * self.width + x) * 3
        rgb = tuple(self.rgb[i:i + 3])
        return self.palette.index(rgb) if rgb in self.palette else None

    def wrong(self, expected: Mapping[tuple[int, int], int]) -> dict:
        """point -> (seen, wanted) for each pixel of `expected` that differs."""
        seen = {p: self.index_at(*p) for p in expected}
        return {p: (seen[p], want) for p, want in expected.items() if seen[p] != want}


class Window:

    def __init__(self, session: Session, wid: int):
        self.session, self.wid = session, wid
        v = session.xdotool_values("getwindowgeometry", "--shell", str(wid))
        self.x, self.y, self.width, self.height = v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]
        self.view = Viewport(self.width, self.height)
        check(self.view.cw >= SURFACE_WIDTH and self.view.ch >= SURFACE_HEIGHT,
              f"window {wid:#x} is {self.width}x{self.height}, smaller than 640x450")

    def __repr__(self) -> str:
        return f"Window({self.wid:#x} {self.width}x{self.height}+{self.x}+{self.y})"

    def title(self) -> str:
        return self.session.window_title(self.wid)

    def exists(self) -> bool:
        return self.wid in self.session.top_level_windows()

    def key(self, *names: str, delay_ms: int = 30) -> None:
        self.session.press(self.wid, *names, delay_ms=delay_ms)

    def type(self, text: str, delay_ms: int = 1) -> None:
        self.session.xdotool("windowfocus", "--sync", str(self.wid))
        self.session.xdotool("type", "--delay", str(delay_ms), "--", text)

    def move_pointer(self, sx: int, sy: int) -> None:
        """(`mousemove --sync` would wait forever when the pointer is there already.)"""
        cx, cy = self.view.centre(sx, sy)
        x, y = self.x + cx, self.y + cy
        self.session.xdotool("mousemove", str(x), str(y))
        wait_until(f"the pointer to reach ({x}, {y})", 10, lambda: self.session.xdotool_values(
            "getmouselocation", "--shell").items() >= {"X": x, "Y": y}.items())

    def click(self, sx: int, sy: int) -> None:
        self.move_pointer(sx, sy)
        self.session.xdotool("click", "1")

    def double_click(self, sx: int, sy: int) -> None:
        self.move_pointer(sx, sy)
        self.session.xdotool("click", "--repeat", "2", "--delay", "60", "1")

    def screenshot(self, name: str = "window") -> Shot:
        s = self.session
        s.shots += 1
        path = s.root / "shots" / f"{s.shots:04d}-{name}.png"
        s.run_tool("import", "-window", str(self.wid), str(path))
        s.last_screenshot = path
        ppm = s.run_tool("convert", str(path), "-depth", "8", "ppm:-", text=False)
        head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        size = (int(head[1]), int(head[2])) if head else None
        check(size == (self.width, self.height) and len(ppm) - head.end() == 3 * self.width *
              self.height, f"screenshot of {self!r} is {size}, {len(ppm)} bytes of PPM")
        return Shot(self.width, ppm[head.end():], self.view, s.palette)

    def wait_for_pixels(self, expected: Mapping[tuple[int, int], int],
                        timeout: float = 10.0) -> Shot:
        last = {}

        def probe():
            shot = self.screenshot()
            last["wrong"] = shot.wrong(expected)
            return shot if not last["wrong"] else None
        return wait_until(lambda: f"the pixels of {self!r}; (seen, wanted): {last['wrong']}",
                           timeout, probe)


class Program:
    """A program under dbus-run-session; after an exec hand-over, another program."""

    def __init__(self, session: Session, runner: subprocess.Popen, log: Path, started_as: str):
        self.session, self.runner, self.log_path, self.started_as = session, runner, log, started_as
        self.pid = 0
        self.returncode: int | None = None
        self.final_output: str | None = None

    def output(self) -> str:
        if self.final_output is None and self.log_path.exists():
            return self.log_path.read_text(encoding="utf-8", errors="replace")
        return self.final_output or ""

    def running(self) -> bool:
        return self.runner.poll() is None and (_stat(self.pid) or ("", "Z"))[1] != "Z"

    def exe(self) -> str | None:
        with contextlib.suppress(OSError):
            return os.path.basename(os.readlink(f"/proc/{self.pid}/exe").removesuffix(" (deleted)"))
        return None

    def cwd(self) -> Path | None:
        with contextlib.suppress(OSError):
            return Path(os.readlink(f"/proc/{self.pid}/cwd"))
        return None

    def window(self, timeout: float = 20.0) -> Window:
        """The mapped window of this pid whose WM_CLASS is the program's name: after a
        hand-over the new window may reuse the old one's id."""
        def probe():
            if not self.running():
                raise HarnessError(f"{self.started_as} ended (status {self.wait_exit(5)}) "
                                   f"before showing a window:\n{self.output()}")
            program = self.exe()
            for wid in self.session.xdotool("search", "--onlyvisible", "--pid", str(self.pid),
                                            check=False).split():
                wm_class = self.session.window_property(int(wid), "WM_CLASS") or ""
                if re.findall(r'"([^"]*)"', wm_class)[:1] == [program]:
                    return int(wid)
            return None
        return Window(self.session, wait_until(f"a window of {self.exe()} (pid {self.pid})",
                                                timeout, probe))

    def window_showing(self, pixels: Mapping[tuple[int, int], int],
                       timeout: float = 20.0) -> Window:
        """The program's window once it shows `pixels`, looked up afresh until then."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                w = self.window()
                w.wait_for_pixels(pixels, timeout=2)
                return w
            except HarnessError:
                if time.monotonic() >= deadline:
                    raise

    def wait_for_program(self, name: str, timeout: float = 20.0) -> None:
        def probe():
            if not self.running():
                raise HarnessError(f"the process ended (status {self.wait_exit(5)}) instead "
                                   f"of becoming {name}:\n{self.output()}")
            return self.exe() == name
        wait_until(lambda: f"pid {self.pid} to become {name} (it is {self.exe()})", timeout,
                    probe)

    def handed_over_to(self, name: str, timeout: float = 20.0) -> Window:
        self.wait_for_program(name, timeout)
        return self.window(timeout)

    def wait_exit(self, timeout: float = 20.0) -> int:
        """The exit status (negative: a signal); fails on a sanitizer report."""
        if self.returncode is None:
            try:
                self.returncode = self.runner.wait(timeout)
            except subprocess.TimeoutExpired:
                raise HarnessError(f"{self.exe() or self.started_as} (pid {self.pid}) "
                                   f"still running after {timeout:g} s") from None
            self.check_sanitizers()
        return self.returncode

    def check_sanitizers(self) -> None:
        text = self.output()
        check(not any(mark in text for mark in SANITIZER_MARKS),
              f"sanitizer report from {self.started_as}:\n{text}")

    def stop(self) -> None:
        """SIGTERM to the program (dbus-run-session then ends its bus), then to the group."""
        if self.runner.poll() is None and self.pid:
            with contextlib.suppress(ProcessLookupError):
                os.kill(self.pid, signal.SIGTERM)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.runner.wait(3)
        _end_group(self.runner.pid)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.runner.wait(5)


def launch(s: Session, key: str, program: str) -> Program:
    p = s.start()
    p.window_showing({MENU_ENTRY_1: 2}).key(key)
    p.wait_for_program(program)
    return p


class Session:
    def __init__(self, tree_source: Path, source_dir: Path, name: str = "session",
                 keep_dir: Path | None = None, screen: tuple[int, int] = (1920, 1080),
                 xvfb_args: Sequence[str] = (), window_manager: bool = False,
                 package: Path | None = None):
        self.tree_source = Path(tree_source).resolve()
        self.package = Path(package).resolve() if package else None
        self.source_dir = Path(source_dir).resolve()
        self.name, self.screen, self.xvfb_args = name, screen, list(xvfb_args)
        self.window_manager = window_manager
        self.keep_dir = Path(keep_dir) if keep_dir else None
        self.palette = read_palette(self.source_dir)
        self.programs: list[Program] = []
        self.last_screenshot = self.kept = self._xvfb = self._wm = self._tmp = None
        self._root_window: int | None = None
        self.shots, self.display = 0, ""

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
        _prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: the harness reaps the buses left behind
        missing = [t for t in TOOLS if shutil.which(t) is None]
        check(not missing, f"missing tools: {' '.join(missing)} "
                           "(bash scripts/deps.sh test installs them)")
        if self.package:
            check(self.package.is_file(), f"no package {self.package}: run scripts/package.sh")
        else:
            check((self.tree_source / LAUNCHER).is_file(),
                  f"no {LAUNCHER} in {self.tree_source}: build the programs first")
        self._tmp = tempfile.mkdtemp(prefix=f"tutor-e2e-{self.name}-")
        self.root = Path(self._tmp)
        self.elsewhere = self.root / "elsewhere"
        for folder in (self.root / "shots", self.elsewhere):
            folder.mkdir()
        self.tree = self.root / "tree"
        self.data = self.tree / "M0" / "data"
        if self.package:
            self.installed = self.root / "installed"
            self.unpack()
        else:
            shutil.copytree(self.tree_source, self.tree, ignore=shutil.ignore_patterns("M0"))
            (self.tree / "M1").mkdir(exist_ok=True)
            self.data.mkdir(parents=True)
            for file, value in STARTING_RECORDS.items():
                self.write_record(file, value)

        read_end, write_end = os.pipe()
        with open(self.root / "xvfb.log", "wb") as log:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", f"{self.screen[0]}x{self.screen[1]}x24", *self.xvfb_args],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True,
                preexec_fn=lambda: _prctl(1, signal.SIGTERM))  # PR_SET_PDEATHSIG
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n"):
                check(select.select([pipe], [], [], 20)[0], "Xvfb gave no display in 20 s")
                if not (chunk := pipe.read(64)):
                    raise HarnessError("Xvfb ended at start:\n" +
                                       (self.root / "xvfb.log").read_text(errors="replace"))
                number += chunk
        self.display = ":" + number.decode().strip()
        self.tool_env = {k: v for k, v in os.environ.items() if k not in (
            "DBUS_SESSION_BUS_ADDRESS", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "XAUTHORITY")}
        self.tool_env["DISPLAY"] = self.display
        # The SDL, X and font libraries leak at exit: no leak checking in the programs.
        asan = os.environ.get("ASAN_OPTIONS", "")
        self.program_env = {**self.tool_env, "XDG_CONFIG_HOME": str(self.root / "config"),
                            "ASAN_OPTIONS": (asan + ":" if asan else "") + "detect_leaks=0"}
        if self.window_manager:
            with open(self.root / "openbox.log", "wb") as log:
                self._wm = subprocess.Popen(["openbox"], env=self.tool_env,
                                            stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                            start_new_session=True)
            # Its theme is named once it is ready to map windows.
            wait_until("openbox to manage the screen", 20, lambda: "=" in self.run_tool(
                "xprop", "-root", "_OB_THEME", check=False))

    def close(self, failed: bool = False) -> None:
        """Ends everything started; unless already failed, fails on leftovers and reports."""
        if failed:
            self._keep_evidence()
        for p in self.programs:
            with contextlib.suppress(Exception):
                p.stop()
        groups = [p.runner.pid for p in self.programs]
        for server in (self._wm, self._xvfb):
            if server is not None:
                _end_group(server.pid)
                with contextlib.suppress(subprocess.TimeoutExpired):
                    server.wait(5)
                groups.append(server.pid)

        def settled(pgid: int) -> bool:
            for pid in set(_children(os.getpid())) - set(groups):  # orphans, not Popen's
                with contextlib.suppress(ChildProcessError):
                    os.waitpid(pid, os.WNOHANG)
            return not _group(pgid)
        leftovers = []
        for pgid in groups:
            with contextlib.suppress(HarnessError):
                wait_until("", 5, lambda: settled(pgid))  # noqa: B023 (called at once)
            leftovers += _group(pgid)
        problem = None
        if not failed:
            problem = (HarnessError(f"processes left running after the session: {leftovers}")
                       if leftovers else None)
            for p in self.programs:  # a program ended by teardown may have reported
                try:
                    p.check_sanitizers()
                except HarnessError as e:
                    problem = problem or e
            if problem is not None:
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
        with contextlib.suppress(Exception):
            keep = self.keep_dir / self.name
            shutil.rmtree(keep, ignore_errors=True)
            keep.mkdir(parents=True)
            copies = {self.last_screenshot: "last-window.png", self.root / "xvfb.log": "xvfb.log",
                      self.root / "openbox.log": "openbox.log"}
            copies.update({p.log_path: f"program-{i}-{p.started_as}.log"
                           for i, p in enumerate(self.programs)})
            for source, name in copies.items():
                with contextlib.suppress(OSError, TypeError):
                    shutil.copy2(source, keep / name)
            if self.display:
                self.run_tool("import", "-window", "root", str(keep / "screen.png"), check=False)
            self.kept = keep

    def run_tool(self, *args: str, check: bool = True, text: bool = True) -> str | bytes:
        done = subprocess.run(args, env=self.tool_env, capture_output=True, timeout=30,
                              check=False)
        if check and done.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed ({done.returncode}): "
                               f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode(errors="replace") if text else done.stdout

    def xdotool(self, *args: str, check: bool = True) -> str:
        return self.run_tool("xdotool", *args, check=check)

    def xdotool_values(self, *args: str) -> dict[str, int]:
        return {k: int(v) for k, _, v in (line.partition("=")
                                          for line in self.xdotool(*args).split()) if v}

    def top_level_windows(self) -> list[int]:
        """Every mapped top-level window (a name search misses SDL's UTF-8 message box)."""
        if self._root_window is None:
            out = self.xdotool("search", "--maxdepth", "0", "--classname", "", check=False)
            self._root_window = int(out.split()[0]) if out.split() else -1
        out = self.xdotool("search", "--onlyvisible", "--maxdepth", "1", "--classname", "",
                           check=False)
        return [int(v) for v in out.split() if int(v) != self._root_window]

    def window_property(self, wid: int, name: str) -> str | None:
        text = self.run_tool("xprop", "-id", str(wid), name, check=False).strip()
        return text.split("=", 1)[1].strip() if "=" in text else None

    def window_title(self, wid: int) -> str:
        for prop in ("_NET_WM_NAME", "WM_NAME"):
            value = self.window_property(wid, prop)
            if value is not None:
                m = re.fullmatch(r'"(.*)"', value, re.S)
                return m.group(1).replace('\\"', '"') if m else value
        return ""

    def press(self, wid: int, *names: str, delay_ms: int = 30) -> None:
        self.xdotool("windowfocus", "--sync", str(wid))
        self.xdotool("key", "--delay", str(delay_ms), *names)

    def start(self, program: str = LAUNCHER, cwd: Path | None = None) -> Program:
        """A program of the tree started by a path relative to `cwd` (default: outside it)."""
        exe = self.tree / program
        check(os.access(exe, os.X_OK), f"{exe} is not an executable")
        cwd = cwd or self.elsewhere
        return self._run(os.path.relpath(exe, cwd), exe.resolve(), cwd, self.program_env)

    def _run(self, command: str, exe: Path, cwd: Path, env: Mapping[str, str]) -> Program:
        log = self.root / f"program-{len(self.programs)}.log"
        with open(log, "wb") as out:
            runner = subprocess.Popen(["dbus-run-session", "--", command], cwd=str(cwd), env=env,
                                      stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                      start_new_session=True)
        p = Program(self, runner, log, exe.name)
        self.programs.append(p)  # before it is looked for, so teardown ends it whatever happens

        def probe():  # dbus-run-session forks the bus and the program: find the program
            if runner.poll() is not None:
                raise HarnessError(f"{exe.name} ended before it could be found "
                                   f"(status {runner.returncode}):\n{p.output()}")
            for pid in _children(runner.pid):
                with contextlib.suppress(OSError):
                    if Path(os.readlink(f"/proc/{pid}/exe")) == exe:
                        return pid
            return None
        p.pid = wait_until(f"{exe.name} to start", 10, probe)
        return p

    def unpack(self) -> None:
        done = subprocess.run(["dpkg-deb", "-x", str(self.package), str(self.installed)],
                              capture_output=True, text=True, timeout=60, check=False)
        check(done.returncode == 0, f"dpkg-deb -x {self.package} failed: {done.stderr.strip()}")

    def start_installed(self, home: Path, data_home: Path | None = None,
                        cwd: Path | None = None) -> Program:
        """velmora started for a user of `home` (and `data_home`); the tree becomes theirs."""
        home.mkdir(exist_ok=True)
        env = {k: v for k, v in self.program_env.items() if not k.startswith("XDG_")}
        env.update(HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                   XDG_CACHE_HOME=str(home / ".cache"))
        if data_home:
            env["XDG_DATA_HOME"] = str(data_home)
        self.tree = (data_home or home / ".local" / "share") / "velmora"
        self.data = self.tree / "M0" / "data"
        exe = (self.installed / "usr/lib/velmora" / LAUNCHER).resolve()
        return self._run(str(self.installed / "usr/bin/velmora"), exe, cwd or self.elsewhere,
                         env)

    def install_program(self, relative: str, copy_of: str) -> None:
        (self.tree / relative).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.tree / copy_of, self.tree / relative)

    def drill_lines(self, header: str, name: str, count: int = 20) -> str:
        """The 20-character lines of table `name` in a material header, joined."""
        text = (self.source_dir / header).read_text(encoding="utf-8")
        found = re.findall(r'"([^"]*)"', text.split(f" {name} = ", 1)[1].split("}};", 1)[0])
        check(len(found) == count and all(len(line) == 20 for line in found),
              f"read {len(found)} lines of {name} from {header}")
        return "".join(found)

    def read_record(self, name: str) -> str | None:
        """A record file as stored, whole; None when missing."""
        with contextlib.suppress(FileNotFoundError):
            return (self.data / name).read_text(encoding="utf-8")
        return None

    def record_line(self, name: str) -> str | None:
        text = self.read_record(name)
        return None if text is None else text.rstrip("\r\n")

    def write_record(self, name: str, value: str) -> None:
        (self.data / name).write_text(value + "\n", encoding="utf-8")

    def wait_for_record(self, name: str, value: str, timeout: float = 15.0) -> None:
        wait_until(lambda: f"{name} to hold {value!r}; it holds {self.read_record(name)!r}",
                    timeout, lambda: self.record_line(name) == value)


def run_tests(tests: Sequence[Callable[[Session], None]],
              argv: Sequence[str] | None = None) -> None:
    parser = argparse.ArgumentParser(description="real-window tests")
    parser.add_argument("tree", type=Path, help="the build's program tree (holds Velmora)")
    parser.add_argument("source", type=Path, nargs="?", default=Path(__file__).resolve().parents[1])
    parser.add_argument("--keep", type=Path, help="where a failed test keeps its evidence",
                        default=Path(tempfile.gettempdir()) / "tutor-window-failures")
    parser.add_argument("-k", dest="only", help="run only tests whose name has this")
    parser.add_argument("--package", type=Path, help="the Debian package, for its tests")
    args = parser.parse_args(argv)

    def stop(signum, frame):  # noqa: ARG001 (teardown still runs)
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)
    chosen = [t for t in tests if not args.only or args.only in t.__name__]
    failures = 0
    for test in chosen:
        started = time.monotonic()
        session = Session(args.tree, args.source, name=f"{Path(sys.argv[0]).stem}.{test.__name__}",
                          keep_dir=args.keep, xvfb_args=getattr(test, "xvfb_args", ()),
                          screen=getattr(test, "screen", (1920, 1080)),
                          window_manager=getattr(test, "window_manager", False),
                          package=args.package)
        try:
            with session:
                test(session)
            print(f"PASS {test.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
        except Exception:  # noqa: BLE001 (reported, then the next test runs)
            failures += 1
            print(f"FAIL {test.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
            traceback.print_exc(file=sys.stdout)
            for p in session.programs:
                if p.output().strip():
                    print(f"--- output of {p.started_as} (pid {p.pid}):\n{p.output().rstrip()}")
            if session.kept:
                print(f"screenshots and logs kept in {session.kept}", flush=True)
    print(f"{len(chosen) - failures} of {len(chosen)} passed" if chosen else "no test ran",
          flush=True)
    sys.exit(1 if failures or not chosen else 0)
