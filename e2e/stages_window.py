#!/usr/bin/env python3
"""The other lesson programs in a real window, each reached from its launcher
entry: the fundamentals, beginner and intermediate stages pass their step 1
and go on to step 2; the advanced stage passes all four steps and hands over
to the try test with stage 6 recorded; the number-key course passes its step 1
and opens step 2."""

import harness
from harness import HOME_CAP, check, design_y

TITLE_BAR = (4, design_y(16))
FIRST_CELL = (143, design_y(61))            # the staged strip's first cell, lit 11
KEY_GROUP_CURSOR = (141, design_y(61))      # the number keys' cursor cell, 11
STAGE_PASS_BOX = (102, design_y(254))       # face 3 on a pass
KEY_GROUP_PASS_BOX = (132, design_y(254))   # face 10 on a pass
KEY_F = (139, design_y(236))                # the F key's face: absent in the advanced stage
RESULTS = (320, 225)


def pass_step(w: harness.Window, text: str, pass_box: tuple[int, int], face: int) -> None:
    w.type(text, delay_ms=12)
    w.wait_for_pixels({pass_box: face}, timeout=30)
    w.click(*RESULTS)


def stage_step_one(s: harness.Session, function_key: str, program: str, title_face: int,
                   step1: str) -> None:
    p = harness.launch(s, function_key, program)
    w = p.window_showing({TITLE_BAR: title_face, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({FIRST_CELL: 11, TITLE_BAR: title_face})
    pass_step(w, s.drill_lines("course/material.h", step1), STAGE_PASS_BOX, 3)
    # Step 2's drill screen, straight after the click.
    w.wait_for_pixels({FIRST_CELL: 11, TITLE_BAR: title_face})
    check(p.exe() == program, f"{program} became {p.exe()} after step 1")
    check(s.record_line("step.TXT") == "1", "step.TXT changed after step 1")


def test_palvek_passes_step_1(s: harness.Session) -> None:
    stage_step_one(s, "F2", "Palvek", 13, "kPalvekStep1")


def test_rundel_passes_step_1(s: harness.Session) -> None:
    stage_step_one(s, "F3", "Rundel", 9, "kRundelStep1")


def test_mestra_passes_step_1(s: harness.Session) -> None:
    stage_step_one(s, "F4", "Mestra", 3, "kRundelStep1")


def test_hollin_passes_every_step_and_hands_over(s: harness.Session) -> None:
    p = harness.launch(s, "F5", "Hollin")
    w = p.window_showing({TITLE_BAR: 5, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({FIRST_CELL: 11, KEY_F: 0})  # no keyboard on the drill screen
    for step in ("kRundelStep1", "kRundelStep2", "kRundelStep3", "kHollinStep4"):
        w.wait_for_pixels({FIRST_CELL: 11})
        pass_step(w, s.drill_lines("course/material.h", step), STAGE_PASS_BOX, 3)
    p.handed_over_to("Zarbet")
    s.wait_for_record("step.TXT", "6")


def test_quillon_passes_step_1(s: harness.Session) -> None:
    p = harness.launch(s, "F7", "Quillon")
    w = p.window_showing({TITLE_BAR: 13, HOME_CAP: 11})
    w.key("x")
    w.wait_for_pixels({KEY_GROUP_CURSOR: 11})
    pass_step(w, s.drill_lines("keygroups/material.h", "kQuillonStep1"), KEY_GROUP_PASS_BOX, 10)
    # Every step opens with the home-position prompt again.
    w.wait_for_pixels({TITLE_BAR: 13, HOME_CAP: 11})
    check(p.exe() == "Quillon", f"Quillon became {p.exe()} after step 1")
    check(s.record_line("SUU.TXT") == "未 達 成", "SUU.TXT changed after step 1")


if __name__ == "__main__":
    harness.run_tests([
        test_palvek_passes_step_1,
        test_rundel_passes_step_1,
        test_mestra_passes_step_1,
        test_hollin_passes_every_step_and_hands_over,
        test_quillon_passes_step_1,
    ])
