#!/usr/bin/env python3
"""The introduction in a real window: F1 from the launcher, any key past the
home-position prompt, the 30 drill lines typed with real key events, the pass
verdict, and a click that records stage 2 and hands over to the fundamentals."""

import time

import harness
from harness import HOME_CAP, check, design_y

TITLE_BAR = (4, design_y(16))                 # the stage's title-bar face
FIRST_CELL = (143, design_y(61))              # the lit first cell, face 11
COUNTER = (244, design_y(352))                # RemainingCounter, face 2
PASS_BOX = (122, design_y(254))               # the verdict box, face 3 on a pass
RESULT_BARS = {(164, design_y(126 + 32 * i)): face for i, face in enumerate((2, 4, 6))}
LEFT_SHIFT = (90, design_y(269))              # marked (7) for a key no key types
Q_KEY = (134, design_y(205))                  # marked (7) when "q" is typed wrong


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
    # ...while every key without a character is a wrong keystroke that no key
    # types: it marks the left Shift key until the next keystroke.
    for name in ("Tab", "Delete", "Insert", "Home", "End", "Prior", "Next", "ctrl+a"):
        w.key(name)
        w.wait_for_pixels({FIRST_CELL: 7, LEFT_SHIFT: 7, Q_KEY: 14})
        w.key("q")
        w.wait_for_pixels({LEFT_SHIFT: 14, Q_KEY: 7})
    # xdotool's default pace, 12 ms a key: about 80 characters a second.
    w.type(s.drill_lines("course/material.h", "kOstrinLines", 30), delay_ms=12)
    w.wait_for_pixels({**RESULT_BARS, PASS_BOX: 3}, timeout=30)
    check(s.record_line("step.TXT") == "1", "step.TXT changed before the click")
    w.click(320, 225)
    w = p.handed_over_to("Palvek")
    s.wait_for_record("step.TXT", "2")
    w.wait_for_pixels({TITLE_BAR: 13, HOME_CAP: 11})


if __name__ == "__main__":
    harness.run_tests([test_ostrin_typed_through_to_the_next_stage])
