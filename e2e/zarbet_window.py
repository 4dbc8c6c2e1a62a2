#!/usr/bin/env python3
"""The timed test in a real window: from the launcher's F6 the length chosen with the
pointer in its menu, the test started, a digit typed as a wrong key, and the quit
button back to the launcher with nothing recorded."""

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
TEST_QUIT = (592, design_y(328))


def test_the_length_menu_follows_the_pointer_and_quitting_records_nothing(
        s: harness.Session) -> None:
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
    w.click(*TEST_QUIT)
    p.wait_for_program("Velmora")
    p.window_showing({MENU_ENTRY_1: 2}).click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status}")
    check(s.record_line("RANK.TXT") == "1", f"RANK.TXT holds {s.read_record('RANK.TXT')!r}")


if __name__ == "__main__":
    harness.run_tests([test_the_length_menu_follows_the_pointer_and_quitting_records_nothing])
