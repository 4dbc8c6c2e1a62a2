#!/usr/bin/env python3
"""The word course in a real window: from the launcher's K, an own lesson picked
on the menu and typed with real key events twice, in Hepburn and in Kunrei
spellings, each block passed with no wrong keystroke and kept in the history."""

import sqlite3

import harness
from harness import HOME_CAP, check, design_y

LESSON = "新聞\tしんぶん\n写真\tしゃしん\n地図\tちず\n切符\tきっぷ\n"
SPELLINGS = ("shinbunnshashinnchizukippu", "sinbun'syasin'tizukixtupu")
MENU_FIRST = (40, design_y(66))                # the menu's first button, 2 when selected
TITLE_BAR = (4, design_y(16))                  # the word course's, 12
PASS_BOX = (102, design_y(254))                # 3 on a pass
COUNTER = (244, design_y(352))                 # the items left, on face 2
RESULT_BARS = {(164, design_y(126 + 32 * i)): face for i, face in enumerate((2, 4, 6))}


def test_an_own_lesson_typed_in_two_spellings(s: harness.Session) -> None:
    (s.tree / "M0/lessons").mkdir(parents=True)
    (s.tree / "M0/lessons/二つの書き方.txt").write_text(LESSON, encoding="utf-8")
    p = harness.launch(s, "k", "Kotoba")
    for keys in SPELLINGS:
        w = p.window_showing({MENU_FIRST: 2})
        w.key("Up", "Up")  # round to the last page: the own lesson, then the missed kana's
        w.wait_for_pixels({MENU_FIRST: 2})
        w.key("Return")
        w.wait_for_pixels({TITLE_BAR: 12, HOME_CAP: 11})
        w.key("x")  # the start screen's key is not typed
        w.wait_for_pixels({TITLE_BAR: 12, COUNTER: 2})
        w.type(keys, delay_ms=12)
        w.wait_for_pixels({**RESULT_BARS, PASS_BOX: 3}, timeout=30)
        w.key("Return")
    with sqlite3.connect(f"file:{s.data / 'progress.sqlite3'}?mode=ro", uri=True) as db:
        kept = db.execute("SELECT program, lesson, input, typed_right, typed_wrong, result "
                          "FROM blocks ORDER BY id").fetchall()
    check(kept == [("Kotoba", "二つの書き方.txt", "romaji", len(k), 0, "pass") for k in SPELLINGS],
          f"the history holds {kept}")
    check(s.record_line("KOTOBA.TXT") == "f:二つの書き方.txt",
          f"KOTOBA.TXT holds {s.record_line('KOTOBA.TXT')!r}")
    p.window_showing({MENU_FIRST: 2}).key("Escape")
    p.wait_for_program("Velmora")


if __name__ == "__main__":
    harness.run_tests([test_an_own_lesson_typed_in_two_spellings])
