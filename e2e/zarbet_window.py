#!/usr/bin/env python3
"""The timed test in a real window: from the launcher's F6 a one-minute test chosen
with the pointer in the length menu, digits typed until the real clock ends it, the
missed keys double-clicked away to the result "10級", stored as 2, and a click back."""

import time

import harness
from harness import LAUNCHER_EXIT, MENU_ENTRY_1, check, design_y

TITLE_FACE = (80, design_y(14))          # the set-up screen: face 14
LENGTH_FIELD_FACE = (455, design_y(65))  # sunken, 0
QUIT_FACE = (366, design_y(318))         # 4
ARROW = (514, design_y(72))
OK = (276, design_y(328))
MENU_FACE = (501, design_y(200))         # inside the length menu's box
ITEM_1 = (476, design_y(103))
ITEM_1_FACE = (456, design_y(98))
TRIAL_TITLE_FACE = (210, design_y(78))   # the test screen: face 10
FIRST_CELL = (144, design_y(30))         # lit 11, grey 7 after a wrong key
MISSED_TITLE_FACE = (162, design_y(24))  # the missed-key screen: face 2
GRID_CELL_A = (88, design_y(80))         # 14
RESULT_BARS = {(164, design_y(126 + 32 * j)): 2 * j + 2 for j in range(4)}
RESULT_PANEL = (134, design_y(286))      # 10


def test_a_one_minute_test_typed_wrong_grades_10kyu(s: harness.Session) -> None:
    check(s.record_line("RANK.TXT") == "1", f"RANK.TXT starts as {s.read_record('RANK.TXT')!r}")
    p = harness.launch(s, "F6", "Zarbet")
    w = p.window_showing({TITLE_FACE: 14, LENGTH_FIELD_FACE: 0, QUIT_FACE: 4, MENU_FACE: 0})
    # The arrow opens the menu, the item under the pointer lights, choosing it closes
    # the menu (clicked at another pixel: a synchronous move waits for a move).
    w.click(*ARROW)
    w.wait_for_pixels({MENU_FACE: 14, ITEM_1_FACE: 14})
    w.move_pointer(*ITEM_1)
    w.wait_for_pixels({ITEM_1_FACE: 2})
    w.click(ITEM_1[0] + 4, ITEM_1[1])
    w.wait_for_pixels({MENU_FACE: 0})
    w.click(*OK)
    w.wait_for_pixels({TRIAL_TITLE_FACE: 10, FIRST_CELL: 11})
    w.type("1")
    w.wait_for_pixels({FIRST_CELL: 7})
    started = time.monotonic()
    missed = None
    while missed is None:  # digits only, never a right letter
        check(time.monotonic() - started < 90, "the one-minute test still runs after 90 s")
        w.type("2")
        shot = w.screenshot("typing")
        if shot.index_at(*MISSED_TITLE_FACE) == 2 and shot.index_at(*GRID_CELL_A) == 14:
            missed = time.monotonic() - started
        else:
            time.sleep(1)
    # A minute from the first key, give or take whole seconds and a screenshot's time.
    check(missed >= 55, f"the test ended after {missed:.0f} s, before its minute")
    w.double_click(320, 200)
    w.wait_for_pixels({**RESULT_BARS, RESULT_PANEL: 10})
    s.wait_for_record("RANK.TXT", "2")  # evaluation 0: "10級", better than the starting 1
    w.click(330, 210)
    p.wait_for_program("Velmora")
    p.window_showing({MENU_ENTRY_1: 2}).click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status}")


if __name__ == "__main__":
    harness.run_tests([test_a_one_minute_test_typed_wrong_grades_10kyu])
