#!/usr/bin/env python3
"""The symbol-key course in a real window: F8 from the launcher, the 20 lines
typed with real key events, the pass verdict, and a click that records
"クリアー" in KIGO.TXT and starts the launcher again."""

import harness
from harness import HOME_CAP, MENU_ENTRY_1, check, design_y

TITLE_BAR = (4, design_y(16))                 # face 13
CURSOR_CELL = (141, design_y(61))             # the first cell's area, 11
PASS_BOX = (132, design_y(254))               # the verdict box, face 10 on a pass


def test_tesmar_passed_records_the_course(s: harness.Session) -> None:
    p = harness.launch(s, "F8", "Tesmar")
    w = p.window_showing({TITLE_BAR: 13, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({CURSOR_CELL: 11})
    w.type(s.drill_lines("keygroups/material.h", "kTesmarLines"), delay_ms=12)
    w.wait_for_pixels({PASS_BOX: 10}, timeout=30)
    check(s.record_line("KIGO.TXT") == "未 達 成", "KIGO.TXT changed before the click")
    w.click(320, 225)
    w = p.handed_over_to("Velmora")
    s.wait_for_record("KIGO.TXT", "クリアー")
    w.wait_for_pixels({MENU_ENTRY_1: 2})


if __name__ == "__main__":
    harness.run_tests([test_tesmar_passed_records_the_course])
