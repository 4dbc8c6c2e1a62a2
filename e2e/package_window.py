#!/usr/bin/env python3
"""The Debian package, unpacked into a folder as apt would install it under /,
started by its velmora command as two users would start it from the menu: each
gets a program tree and records of their own, the launcher works in that tree,
Ulvane shows that user's records, and nothing is written where the package is,
nor in a learner's tree from a checkout. A teacher's velmora --csv writes the
learner's own history, wherever it is typed. Run with --package DEB."""

import os
import re
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


def velmora(s: harness.Session, home: Path, *options: str,
            cwd: Path) -> subprocess.CompletedProcess:
    """The unpacked package's velmora command with options, for the user of
    `home`, with no display to open a window on."""
    env = {k: v for k, v in s.program_env.items()
           if not k.startswith("XDG_") and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    return subprocess.run([str(s.installed / "usr/bin/velmora"), *options], cwd=cwd,
                          env={**env, "HOME": str(home)}, capture_output=True, timeout=60,
                          check=False)


def test_velmora_csv_writes_the_learners_own_history(s: harness.Session) -> None:
    learner = s.root / "learner"
    learner.mkdir()
    # A learner's tree from a checkout, where the teacher types the command:
    # its history is no history at all, so reading it would fail.
    checkout = s.root / "checkout/tutor"
    (checkout / "M0/data").mkdir(parents=True)
    (checkout / "M0/data/progress.sqlite3").write_text("not a history", encoding="utf-8")

    before = velmora(s, learner, "--csv", cwd=checkout)
    check(before.returncode == 1 and b"never been started" in before.stderr,
          f"before the first start: status {before.returncode}, said {before.stderr!r}")
    check(os.listdir(learner) == [], f"--csv made {os.listdir(learner)}")

    # The learner clears the records in Ulvane: the history keeps the mark.
    p = start_menu(s, learner)
    p.window().key("F10")
    p.wait_for_program("Ulvane")
    w = p.window_showing({PANEL: 14, YES_FACE: 14, NO_FACE: 2})
    w.key("Right")
    w.wait_for_pixels({YES_FACE: 2, NO_FACE: 14})
    w.key("Return")
    p.handed_over_to("Velmora").wait_for_pixels({MENU_ENTRY_1: 2})
    p.stop()
    tree = files_of(s.tree)

    blocks = velmora(s, learner, "--csv", cwd=checkout)
    rows = blocks.stdout.decode("utf-8").split("\r\n")
    check(blocks.returncode == 0 and len(rows) == 3 and rows[2] == ""
          and rows[0] == "ended_at,program,step,seconds,right,wrong,evaluation,result,lesson,input"
          and re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d,,,,,,,records cleared,,",
                           rows[1]) is not None,
          f"velmora --csv: status {blocks.returncode}, wrote {blocks.stdout!r}, "
          f"said {blocks.stderr!r}")
    for options in (("--csv", "--excel"), ("--excel",)):
        excel = velmora(s, learner, *options, cwd=checkout)
        check(excel.returncode == 0 and excel.stdout == b"\xef\xbb\xbf" + blocks.stdout,
              f"velmora {' '.join(options)}: status {excel.returncode}, wrote {excel.stdout!r}")
    keys = velmora(s, learner, "--csv-keys", cwd=checkout)
    check(keys.returncode == 0 and keys.stdout ==
          b"ended_at,program,step,key,legend,right,wrong,typed_instead,count\r\n",
          f"velmora --csv-keys: status {keys.returncode}, wrote {keys.stdout!r}")
    wrong = velmora(s, learner, "--csv", "--csv-keys", cwd=checkout)
    check(wrong.returncode == 2 and b"usage" in wrong.stderr,
          f"velmora --csv --csv-keys: status {wrong.returncode}, said {wrong.stderr!r}")
    check(files_of(s.tree) == tree, "writing the CSV changed the learner's tree")


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
    harness.run_tests([test_each_user_keeps_records_of_their_own,
                       test_velmora_csv_writes_the_learners_own_history,
                       test_a_relative_home_is_refused])
