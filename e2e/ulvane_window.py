#!/usr/bin/env python3
"""The record clearing in a real window: F10 from the launcher, cursor right
to "は　い" and Enter reset all five records; the launcher runs again.

    python3 e2e/ulvane_window.py <program tree> [<source folder>]
"""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import check, design_y  # noqa: E402

MENU_ENTRY_1 = (62, design_y(112))
PANEL = (54, design_y(16))            # face 14
YES_FACE = (194, design_y(252))       # "は　い"
NO_FACE = (342, design_y(252))        # "いいえ"


def test_ulvane_clears_all_five_records(s: harness.Session) -> None:
    reached = {"step.TXT": "6", "RANK.TXT": "30", "SUU.TXT": "クリアー",
               "KIGO.TXT": "クリアー", "SFT.TXT": "91.2"}
    for name, value in reached.items():
        s.write_record(name, value)
    p = s.start()
    p.window().wait_for_pixels({MENU_ENTRY_1: 2})
    p.window().key("F10")
    w = p.handed_over_to("Ulvane")
    w.wait_for_pixels({PANEL: 14, YES_FACE: 14, NO_FACE: 2})
    w.key("Right")
    w.wait_for_pixels({YES_FACE: 2, NO_FACE: 14})
    for name, value in reached.items():
        check(s.record_line(name) == value, f"{name} changed before Enter")
    w.key("Return")
    w = p.handed_over_to("Velmora")
    w.wait_for_pixels({MENU_ENTRY_1: 2})
    for name, value in harness.STARTING_RECORDS.items():
        s.wait_for_record(name, value)


if __name__ == "__main__":
    harness.run_tests([test_ulvane_clears_all_five_records])
