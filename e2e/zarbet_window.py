#!/usr/bin/env python3
"""The timed test in a real window: from the launcher's F6, a one-minute test
chosen with the arrow button and the length menu, typed with digits only,
through the missed-key screen to the result graded "10級", which beats the
starting record and is stored as 2; a click goes back to the launcher."""

import time

import harness
from harness import LAUNCHER_EXIT, MENU_ENTRY_1, check, design_y


def centre(x1: int, y1: int, x2: int, y2: int) -> tuple[int, int]:
    """The middle of a design rectangle in surface pixels."""
    return (x1 + x2) // 2, design_y((y1 + y2) // 2)


# The set-up screen (faces in design units as the timed test draws them).
TITLE_FACE = (80, design_y(14))          # face 14
LENGTH_FIELD_FACE = (455, design_y(65))  # sunken, face 0
QUIT_FACE = (366, design_y(318))         # face 4
ARROW = centre(507, 63, 521, 81)
OK = centre(234, 314, 318, 342)
MENU_FACE = (501, design_y(200))         # right of the items, inside the menu box
ITEM_1 = centre(454, 96, 499, 111)
ITEM_1_FACE = (456, design_y(98))

# The test screen.
TRIAL_TITLE_FACE = (210, design_y(78))   # face 10
FIRST_CELL = (120 + 24, design_y(30))    # position 1, lit 11, grey 7 after a wrong key

# The missed-key screen.
MISSED_TITLE_FACE = (162, design_y(24))  # face 2
GRID_CELL_A = (88, design_y(80))         # face 14

# The result screen: four bars with faces 2, 4, 6, 8 and the closing panel 10.
RESULT_BARS = {(164, design_y(126 + 32 * j)): 2 * j + 2 for j in range(4)}
RESULT_PANEL = (134, design_y(286))


def test_a_one_minute_test_typed_wrong_grades_10kyu(s: harness.Session) -> None:
    check(s.record_line("RANK.TXT") == "1", f"RANK.TXT starts as {s.read_record('RANK.TXT')!r}")
    p = harness.launch(s, "F6", "Zarbet")
    w = p.window_showing({TITLE_FACE: 14, LENGTH_FIELD_FACE: 0, QUIT_FACE: 4, MENU_FACE: 0})

    # The arrow opens the menu; the item under the pointer lights; choosing
    # it closes the menu.
    w.click(*ARROW)
    w.wait_for_pixels({MENU_FACE: 14, ITEM_1_FACE: 14})
    w.move_pointer(*ITEM_1)
    w.wait_for_pixels({ITEM_1_FACE: 2})
    # xdotool's synchronous move waits for the pointer to move, so the click
    # goes to another pixel of the same item.
    w.click(ITEM_1[0] + 4, ITEM_1[1])
    w.wait_for_pixels({MENU_FACE: 0})

    w.click(*OK)
    w.wait_for_pixels({TRIAL_TITLE_FACE: 10, FIRST_CELL: 11})
    w.type("1")
    w.wait_for_pixels({FIRST_CELL: 7})
    started = time.monotonic()

    # Digits only, never a right letter, until the minute is up.
    missed = None
    while missed is None:
        check(time.monotonic() - started < 90, "the one-minute test still runs after 90 s")
        w.type("2")
        shot = w.screenshot("typing")
        if shot.index_at(*MISSED_TITLE_FACE) == 2 and shot.index_at(*GRID_CELL_A) == 14:
            missed = time.monotonic() - started
        else:
            time.sleep(1)
    # A minute from the first key, give or take the clock's whole seconds and
    # the time a screenshot takes.
    check(missed >= 55, f"the test ended after {missed:.0f} s, before its minute")

    w.double_click(320, 200)
    w.wait_for_pixels({**RESULT_BARS, RESULT_PANEL: 10})
    # Evaluation 0 is grade 2, "10級", which beats the starting 1.
    s.wait_for_record("RANK.TXT", "2")

    w.click(330, 210)
    p.wait_for_program("Velmora")
    menu = p.window_showing({MENU_ENTRY_1: 2})
    menu.click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status}")


if __name__ == "__main__":
    harness.run_tests([test_a_one_minute_test_typed_wrong_grades_10kyu])
