#!/usr/bin/env python3
"""The Debian package, unpacked into a folder as apt would install it under /,
started by its velmora command as two users would start it from the menu: each
gets a program tree and records of their own, the launcher works in that tree,
Ulvane shows that user's records, and nothing is written where the package is,
nor in a learner's tree from a checkout. Run with --package DEB."""

import os
import subprocess
from pathlib import Path

import harness
from harness import MENU_ENTRY_1, check
from ulvane_window import NO_FACE, PANEL, YES_FACE

# The stage being challenged, as Ulvane prints it: 8 cells from column 36 of
# row 3, each cell 8 x 18 pixels.
STAGE_FIELD = [(x, y) for x in range(288, 352) for y in range(54, 72)]


def files_of(folder: Path) -> dict[str, tuple[int, int]]:
    """Every file and link under a folder: (size, modification time)."""
    found = {}
    for parent, dirs, files in os.walk(folder):
        for name in dirs + files:
            st = os.lstat(os.path.join(parent, name))
            found[os.path.relpath(os.path.join(parent, name), folder)] = (st.st_size,
                                                                          st.st_mtime_ns)
    return found


def records(s: harness.Session) -> dict[str, str | None]:
    return {name: s.record_line(name) for name in harness.STARTING_RECORDS}


def start_menu(s: harness.Session, home: Path, **where) -> harness.Program:
    """velmora started for `home`; its menu drawn, the launcher working in the
    user's tree, which reaches the installed programs by links."""
    p = s.start_installed(home, **where)
    p.window_showing({MENU_ENTRY_1: 2})
    check(p.cwd() == s.tree.resolve(), f"the launcher works in {p.cwd()}, not in {s.tree}")
    programs = (s.installed / "usr/lib/velmora").resolve()
    for name in ("Velmora", "M1"):
        check((s.tree / name).is_symlink() and (s.tree / name).resolve() == programs / name,
              f"{s.tree / name} is not a link to {programs / name}")
    return p


def stage_shown(s: harness.Session, p: harness.Program) -> tuple:
    """F10 from the menu: Ulvane's stage field, which must show something;
    いいえ then leads back to the menu."""
    p.window().key("F10")
    p.wait_for_program("Ulvane")
    w = p.window_showing({PANEL: 14, YES_FACE: 14, NO_FACE: 2})
    shot = w.screenshot("ulvane")
    field = tuple(shot.index_at(x, y) for x, y in STAGE_FIELD)
    check(3 in field, "Ulvane shows no stage")  # in magenta
    w.key("Return")
    p.handed_over_to("Velmora").wait_for_pixels({MENU_ENTRY_1: 2})
    return field


def test_each_user_keeps_records_of_their_own(s: harness.Session) -> None:
    installed = files_of(s.installed)
    # A learner's tree from a checkout, and velmora typed in that checkout.
    checkout = s.root / "checkout"
    learner = {"step.TXT": "4\n", "RANK.TXT": "12\n"}
    (checkout / "tutor/M0/data").mkdir(parents=True)
    for name, text in learner.items():
        (checkout / "tutor/M0/data" / name).write_text(text, encoding="utf-8")

    first = s.root / "first"
    p = start_menu(s, first, cwd=checkout)
    first_tree = s.tree
    check(first_tree == first / ".local/share/velmora", f"first user's tree is {first_tree}")
    check(records(s) == harness.STARTING_RECORDS, f"first user's records: {records(s)}")
    starting_stage = stage_shown(s, p)
    p.stop()
    s.write_record("step.TXT", "3")  # the learner has reached stage 3

    second = s.root / "second"
    p = start_menu(s, second, data_home=second / "data")
    check(s.tree == second / "data/velmora", f"second user's tree is {s.tree}")
    check(records(s) == harness.STARTING_RECORDS, f"second user's records: {records(s)}")
    p.stop()

    # The package unpacked again over itself, as an upgrade or reinstall does.
    s.unpack()
    p = start_menu(s, first)
    reached = dict(harness.STARTING_RECORDS, **{"step.TXT": "3"})
    check(records(s) == reached, f"first user's records after the second unpack: {records(s)}")
    check(stage_shown(s, p) != starting_stage, "Ulvane shows stage 3 as it showed stage 1")
    p.stop()

    check(files_of(s.installed) == installed, "files changed where the package is unpacked")
    check({f.name: f.read_text(encoding="utf-8") for f in (checkout / "tutor/M0/data").iterdir()}
          == learner, "the records of the checkout's tree changed")
    check(sorted(os.listdir(checkout)) == ["tutor"], f"the checkout now holds {os.listdir(checkout)}")


def test_a_relative_home_is_refused(s: harness.Session) -> None:
    """HOME=rel would make a tree beside wherever velmora is typed."""
    somewhere = s.root / "somewhere"
    somewhere.mkdir()
    env = {k: v for k, v in s.program_env.items() if not k.startswith("XDG_")}
    for name, value in (("HOME", "rel"), ("XDG_DATA_HOME", "data")):
        run = subprocess.run([str(s.installed / "usr/bin/velmora")], cwd=somewhere,
                             env={**env, "HOME": str(s.root / "home"), name: value},
                             capture_output=True, text=True, timeout=30, check=False)
        check(run.returncode == 1 and "not an absolute folder" in run.stderr,
              f"{name}={value}: status {run.returncode}, said {run.stderr!r}")
        check(os.listdir(somewhere) == [], f"{name}={value} made {os.listdir(somewhere)}")


if __name__ == "__main__":
    harness.run_tests([test_each_user_keeps_records_of_their_own, test_a_relative_home_is_refused])
