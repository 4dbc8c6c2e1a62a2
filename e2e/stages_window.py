#!/usr/bin/env python3
"""The lessons typed with real key events in a real window, each from its launcher entry,
through the pass verdict to the hand-over that a click starts."""

import time

import harness
from harness import HOME_CAP, MENU_ENTRY_1, check, design_y

TITLE_BAR = (4, design_y(16))
FIRST_CELL = (143, design_y(61))              # the staged strip's first cell, lit 11
CURSOR_CELL = (141, design_y(61))             # the key groups' cursor cell, 11
COUNTER = (244, design_y(352))                # face 2
STAGE_PASS_BOX = (102, design_y(254))         # face 3 on a pass
OSTRIN_PASS_BOX = (122, design_y(254))        # face 3 on a pass
KEY_GROUP_PASS_BOX = (132, design_y(254))     # face 10 on a pass
RESULT_BARS = {(164, design_y(126 + 32 * i)): face for i, face in enumerate((2, 4, 6))}
LEFT_SHIFT = (90, design_y(269))              # marked (7) for a key no key types
Q_KEY = (134, design_y(205))
KEY_F = (139, design_y(236))                  # absent (0) in the advanced stage
RESULTS = (320, 225)


def test_ostrin_typed_through_to_the_next_stage(s: harness.Session) -> None:
    p = harness.launch(s, "F1", "Ostrin")
    w = p.window_showing({TITLE_BAR: 14, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({FIRST_CELL: 11, COUNTER: 2})
    # Modifier and input-mode keys alone give nothing...
    w.key("Shift_L", "Control_L", "Alt_L", "Muhenkan", "Hiragana_Katakana")
    time.sleep(0.3)
    shot = w.screenshot()
    check((shot.index_at(*FIRST_CELL), shot.index_at(*LEFT_SHIFT)) == (11, 14),
          "a modifier or input-mode key alone counted as a keystroke")
    # ...while a key without a character is a wrong keystroke that marks the left
    # Shift key until the next keystroke.
    for name in ("Tab", "Delete", "Insert", "Home", "End", "Prior", "Next", "ctrl+a"):
        w.key(name)
        w.wait_for_pixels({FIRST_CELL: 7, LEFT_SHIFT: 7, Q_KEY: 14})
        w.key("q")
        w.wait_for_pixels({LEFT_SHIFT: 14, Q_KEY: 7})
    w.type(s.drill_lines("course/material.h", "kOstrinLines", 30), delay_ms=12)
    w.wait_for_pixels({**RESULT_BARS, OSTRIN_PASS_BOX: 3}, timeout=30)
    check(s.record_line("step.TXT") == "1", "step.TXT changed before the click")
    w.click(*RESULTS)
    w = p.handed_over_to("Palvek")
    s.wait_for_record("step.TXT", "2")
    w.wait_for_pixels({TITLE_BAR: 13, HOME_CAP: 11})


def test_hollin_passes_every_step_and_hands_over(s: harness.Session) -> None:
    p = harness.launch(s, "F5", "Hollin")
    w = p.window_showing({TITLE_BAR: 5, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({FIRST_CELL: 11, KEY_F: 0})
    for step in ("kRundelStep1", "kRundelStep2", "kRundelStep3", "kHollinStep4"):
        w.wait_for_pixels({FIRST_CELL: 11})
        w.type(s.drill_lines("course/material.h", step), delay_ms=12)
        w.wait_for_pixels({STAGE_PASS_BOX: 3}, timeout=30)
        w.click(*RESULTS)
    p.handed_over_to("Zarbet")
    s.wait_for_record("step.TXT", "6")


def test_tesmar_passed_records_the_course(s: harness.Session) -> None:
    p = harness.launch(s, "F8", "Tesmar")
    w = p.window_showing({TITLE_BAR: 13, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({CURSOR_CELL: 11})
    w.type(s.drill_lines("keygroups/material.h", "kTesmarLines"), delay_ms=12)
    w.wait_for_pixels({KEY_GROUP_PASS_BOX: 10}, timeout=30)
    check(s.record_line("KIGO.TXT") == "未 達 成", "KIGO.TXT changed before the click")
    w.click(*RESULTS)
    w = p.handed_over_to("Velmora")
    s.wait_for_record("KIGO.TXT", "クリアー")
    w.wait_for_pixels({MENU_ENTRY_1: 2})


if __name__ == "__main__":
    harness.run_tests([test_ostrin_typed_through_to_the_next_stage,
                       test_hollin_passes_every_step_and_hands_over,
                       test_tesmar_passed_records_the_course])
