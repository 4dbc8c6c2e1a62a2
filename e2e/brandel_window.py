#!/usr/bin/env python3
"""The shift-key course in a real window: from the launcher's F9, the home
position screen, the drill with the next key and the Shift key of the other
hand lit, its 20 lines typed with real key events (xdotool types the shifted
characters as the keyboard layout produces them, Shift held), the result screen
without a verdict, SFT.TXT holding the evaluation, and a click back to the
launcher. Then the block in the progress history, the launcher's F12 button
showing it in the progress program, and Escape back to the launcher."""

import math
import sqlite3
import struct
import time

import harness
from harness import HOME_CAP, LAUNCHER_EXIT, MENU_ENTRY_1, check, design_y

# The home position screen: the title bar (face 10) left of the title.
TITLE_BAR = (100, design_y(20))

# The drill screen: the first strip cell, key 5 ("％"), both Shift keys, each
# point left of the legend.
FIRST_CELL = (141, design_y(70))
KEY_5 = (243, design_y(173))
LEFT_SHIFT = (89, design_y(268))
RIGHT_SHIFT = (499, design_y(268))
# Key 29 ("Ｆ") and key 8 ("（").
KEY_F = (235, design_y(236))
KEY_8 = (339, design_y(173))

# The result screen: three bars with faces 2, 4 and 6, and where a verdict box
# would stand.
# The launcher's F12 button, and the progress program's first and last view
# buttons and its exit button.
F12_BUTTON = (320, design_y(360))
VIEW_BUTTON_1 = (18, design_y(350))
VIEW_BUTTON_4 = (414, design_y(350))
PROGRESS_EXIT = (558, design_y(350))

RESULT_BARS = {(164, design_y(126 + 32 * i)): face for i, face in enumerate((2, 4, 6))}
VERDICT_BOX = (125, design_y(260))

LINES = [
    "%F(J &F'J &F'J %F(J ", "'J(J %F&F 'J&F %F(J ", "%F'J (J&F 'J%F &F(J ", "(J&F 'J%F %F(J &F'J ",
    "$D)K <K$D )K<K $D)K ", "<K$D )K<K $D)K <K$D ", "<K)K $D<K )K$D <K$D ", "<K)K $D<K $D<K $D)K ",
    "#S>L >L#S >L#S #S>L ", "#S>L #S>L >L#S >L#S ", "#S>L >L#S >L#S #S>L ", "#S>L #S>L >L#S >L#S ",
    "!A=+ *+?+ =+!A !A?+ ", "*+!A =+!A =+?+ !A=+ ", "?+!A =+!A !A?+ =+!A ", "!A?+ !A*+ ?+*+ !A=+ ",
    "%F(J &F'J &F'J %F(J ", "$D)K <K$D )K<K $D)K ", "#S>L >L#S >L#S #S>L ", "!A?+ !A*+ ?+*+ !A=+ ",
]


def f32(x: float) -> float:
    return struct.unpack("f", struct.pack("f", x))[0]


def shown_evaluation(seconds: int) -> float:
    """400 characters without an error in `seconds`, as the result screen shows
    it: single precision, one decimal."""
    minutes = f32(f32(seconds // 60) + f32(f32(seconds % 60) / 60))
    return float(f"{f32(400 / minutes):.1f}")


def test_typing_the_course_stores_its_evaluation(s: harness.Session) -> None:
    check(s.record_line("SFT.TXT") == "0", f"SFT.TXT starts as {s.read_record('SFT.TXT')!r}")
    p = harness.launch(s, "F9", "Brandel")
    w = p.window_showing({TITLE_BAR: 10, HOME_CAP: 11})

    w.key("x")
    w.wait_for_pixels({HOME_CAP: 0, FIRST_CELL: 11, KEY_5: 11, RIGHT_SHIFT: 11,
                       LEFT_SHIFT: 14})
    # "%" typed: "F" is next, with no Shift; "F" typed: "(" with the left Shift.
    text = "".join(LINES)
    before_first = time.monotonic()
    w.type(text[0])
    w.wait_for_pixels({KEY_5: 14, KEY_F: 11, RIGHT_SHIFT: 14, LEFT_SHIFT: 14})
    first_seen = time.monotonic()
    w.type(text[1])
    w.wait_for_pixels({KEY_F: 14, KEY_8: 11, LEFT_SHIFT: 11, RIGHT_SHIFT: 14})

    w.type(text[2:-1])
    time.sleep(2)
    last_sent = time.monotonic()
    w.type(text[-1])
    w.wait_for_pixels({**RESULT_BARS, VERDICT_BOX: 0}, timeout=30)
    results_seen = time.monotonic()

    # The record is written before the result screen waits for its click. The
    # block's time is whole seconds of the clock, from the first keystroke to
    # the last; with no wrong keystroke the evaluation is 400 per minute.
    line = s.record_line("SFT.TXT")
    check(line is not None and line != "0", f"SFT.TXT holds {s.read_record('SFT.TXT')!r}")
    stored = float(line)
    low = max(1, math.floor(last_sent - first_seen) - 1)
    high = math.ceil(results_seen - before_first) + 1
    possible = {t: shown_evaluation(t) for t in range(low, high + 1)}
    check(any(abs(stored - v) < 1e-3 for v in possible.values()),
          f"SFT.TXT holds {line!r}; a block of {low}-{high} s shows one of {possible}")
    print(f"  SFT.TXT holds {line} after a block of {low}-{high} s", flush=True)

    # Keys do not leave the result screen; a click starts the launcher.
    w.key("Return")
    time.sleep(0.5)
    check(p.exe() == "Brandel", f"a key left the result screen for {p.exe()}")
    w.click(320, 225)
    p.wait_for_program("Velmora")
    menu = p.window_showing({MENU_ENTRY_1: 2})
    check(s.record_line("SFT.TXT") == line, "the launcher changed SFT.TXT")

    # The progress history kept the block as the result screen showed it.
    with sqlite3.connect(f"file:{s.data / 'progress.sqlite3'}?mode=ro", uri=True) as db:
        kept = db.execute("SELECT program, evaluation, typed_right FROM blocks").fetchall()
    check(len(kept) == 1 and kept[0][0] == "Brandel" and kept[0][2] == 400
          and float(kept[0][1].replace(",", "")) == stored, f"the progress history holds {kept}")
    menu.double_click(*F12_BUTTON)
    p.wait_for_program("Progress")
    views = p.window_showing({VIEW_BUTTON_1: 2, VIEW_BUTTON_4: 14, PROGRESS_EXIT: 4})
    views.key("Left")  # round to the last view, the totals
    views.wait_for_pixels({VIEW_BUTTON_1: 14, VIEW_BUTTON_4: 2})
    views.key("Escape")
    p.wait_for_program("Velmora")
    menu = p.window_showing({MENU_ENTRY_1: 2})
    menu.click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status}")


if __name__ == "__main__":
    harness.run_tests([test_typing_the_course_stores_its_evaluation])
