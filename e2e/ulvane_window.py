#!/usr/bin/env python3
"""The record clearing in a real window: F10 from the launcher, the cursor key right to
"は　い", and a double click on it reset all five records and hand back to the launcher."""

import harness
from harness import MENU_ENTRY_1, design_y

PANEL = (54, design_y(16))            # face 14
YES_FACE = (194, design_y(252))       # "は　い"
NO_FACE = (342, design_y(252))        # "いいえ"


def test_ulvane_clears_all_five_records(s: harness.Session) -> None:
    for name, value in {"step.TXT": "6", "RANK.TXT": "30", "SUU.TXT": "クリアー",
                        "KIGO.TXT": "クリアー", "SFT.TXT": "91.2"}.items():
        s.write_record(name, value)
    p = harness.launch(s, "F10", "Ulvane")
    w = p.window_showing({PANEL: 14, YES_FACE: 14, NO_FACE: 2})
    w.key("Right")
    w.wait_for_pixels({YES_FACE: 2, NO_FACE: 14})
    w.double_click(*YES_FACE)  # a single click only lights it
    p.handed_over_to("Velmora").wait_for_pixels({MENU_ENTRY_1: 2})
    for name, value in harness.STARTING_RECORDS.items():
        s.wait_for_record(name, value)


if __name__ == "__main__":
    harness.run_tests([test_ulvane_clears_all_five_records])
