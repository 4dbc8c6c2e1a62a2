#!/usr/bin/env python3
"""The shift-key course in a real window: from the launcher's F9 its 20 lines typed with
real key events (xdotool holds Shift for the shifted characters), SFT.TXT and the progress
history holding the evaluation that the real clock gives, Enter back to the launcher,
then the F12 button to the progress program and Escape back."""

import math
import sqlite3
import time

import harness
from harness import HOME_CAP, LAUNCHER_EXIT, MENU_ENTRY_1, check, design_y

TITLE_BAR = (100, design_y(20))               # the home position screen's title bar, 10
FIRST_CELL = (141, design_y(70))
KEY_5 = (243, design_y(173))                  # "％"
KEY_F = (235, design_y(236))
LEFT_SHIFT = (89, design_y(268))
RIGHT_SHIFT = (499, design_y(268))
RESULT_BARS = {(164, design_y(126 + 32 * i)): face for i, face in enumerate((2, 4, 6))}
VERDICT_BOX = (125, design_y(260))            # empty: the course gives no verdict
VIEW_BUTTON_1 = (18, design_y(350))           # the progress program's buttons
F12_BUTTON = (475, design_y(360))          # the launcher's F12 button
VIEW_BUTTON_4 = (414, design_y(350))
PROGRESS_EXIT = (558, design_y(350))


def test_typing_the_course_stores_its_evaluation(s: harness.Session) -> None:
    check(s.record_line("SFT.TXT") == "0", f"SFT.TXT starts as {s.read_record('SFT.TXT')!r}")
    p = harness.launch(s, "F9", "Brandel")
    w = p.window_showing({TITLE_BAR: 10, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({HOME_CAP: 0, FIRST_CELL: 11, KEY_5: 11, RIGHT_SHIFT: 11,
                       LEFT_SHIFT: 14})
    text = s.drill_lines("shift/drill_lines.h", "kBrandelLines")
    before_first = time.monotonic()
    w.type(text[0])  # "%": "F" is next, with no Shift
    w.wait_for_pixels({KEY_5: 14, KEY_F: 11, RIGHT_SHIFT: 14, LEFT_SHIFT: 14})
    first_seen = time.monotonic()
    w.type(text[1:-1])
    time.sleep(2)
    last_sent = time.monotonic()
    w.type(text[-1])
    w.wait_for_pixels({**RESULT_BARS, VERDICT_BOX: 0}, timeout=30)
    results_seen = time.monotonic()

    # Stored before the result screen waits for its click: 400 right keystrokes a
    # minute over the whole seconds from the first keystroke to the last.
    line = s.record_line("SFT.TXT")
    check(line is not None and line != "0", f"SFT.TXT holds {s.read_record('SFT.TXT')!r}")
    stored = float(line)
    low = max(1, math.floor(last_sent - first_seen) - 1)
    high = math.ceil(results_seen - before_first) + 1
    check(any(abs(stored - 24000 / t) <= 0.051 for t in range(low, high + 1)),
          f"SFT.TXT holds {line!r}, not 24000 / t to one decimal for a block of {low}-{high} s")

    w.key("x")  # keys typed on do not leave the result screen; Enter starts the launcher
    time.sleep(0.5)
    check(p.exe() == "Brandel", f"a key left the result screen for {p.exe()}")
    w.key("Return")
    p.wait_for_program("Velmora")
    menu = p.window_showing({MENU_ENTRY_1: 2})
    check(s.record_line("SFT.TXT") == line, "the launcher changed SFT.TXT")
    with sqlite3.connect(f"file:{s.data / 'progress.sqlite3'}?mode=ro", uri=True) as db:
        kept = db.execute("SELECT program, evaluation, typed_right FROM blocks").fetchall()
    check(len(kept) == 1 and kept[0][0] == "Brandel" and kept[0][2] == 400
          and float(kept[0][1].replace(",", "")) == stored, f"the progress history holds {kept}")
    menu.double_click(*F12_BUTTON)
    p.wait_for_program("Progress")
    p.window_showing({VIEW_BUTTON_1: 2, VIEW_BUTTON_4: 14, PROGRESS_EXIT: 4}).key("Escape")
    p.wait_for_program("Velmora")
    p.window_showing({MENU_ENTRY_1: 2}).click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status}")


if __name__ == "__main__":
    harness.run_tests([test_typing_the_course_stores_its_evaluation])
