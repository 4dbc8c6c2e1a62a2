#!/usr/bin/env python3
"""The word course in kana input in a real window: the input chosen on the menu
(and kept), then an own lesson typed by key positions, struck as X keycodes
through XTest, once under the jp keyboard map and once under the us map, where
the ろ and ¥ keys type nothing at all. Each block passes with no wrong keystroke
and is kept in the history as kana input."""

import ctypes
import sqlite3
import time

import harness
from harness import HOME_CAP, check, design_y

LESSON = "廊下\tろうか\nコーヒー\nがっこう、ぱん。\n"
# The keys of kana input that type it, by their X keycodes (evdev): ろ う か,
# こ ー ひ ー, か ゛ っ こ う 、 は ゜ ん 。; True where Shift is held.
STROKES = [(97, False), (13, False), (28, False),
           (56, False), (132, False), (55, False), (132, False),
           (28, False), (34, False), (52, True), (56, False), (13, False), (59, True),
           (41, False), (35, False), (29, False), (60, True)]
SHIFT_L = 50
MENU_FIRST = (40, design_y(66))         # the menu's first button, 2 when selected
INPUT_BOX = (362, design_y(352))        # the menu's input choice, face 9
TITLE_BAR = (4, design_y(16))           # the word course's, 12
RO_KEY = (468, design_y(269))           # the ろ key, lit pink (13) as the first key
COUNTER = (244, design_y(352))          # the items left, on face 2
PASS_BOX = (102, design_y(254))         # 3 on a pass


class XTest:
    """Key presses by keycode, as a keyboard makes them, whatever the map."""

    def __init__(self, display: str):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(display.encode())
        check(self.display, f"cannot open {display} for XTest")

    def strike(self, keycode: int, shift: bool) -> None:
        if shift:
            self.xtst.XTestFakeKeyEvent(self.display, SHIFT_L, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.display, keycode, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.display, keycode, 0, 0)
        if shift:
            self.xtst.XTestFakeKeyEvent(self.display, SHIFT_L, 0, 0)
        self.x11.XSync(self.display, 0)

    def close(self) -> None:
        self.x11.XCloseDisplay(self.display)


def test_an_own_lesson_typed_in_kana_by_key_positions(s: harness.Session) -> None:
    (s.tree / "M0/lessons").mkdir(parents=True)
    (s.tree / "M0/lessons/かな.txt").write_text(LESSON, encoding="utf-8")
    keyboard = XTest(s.display)
    p = harness.launch(s, "k", "Kotoba")
    try:
        for layout in (["-model", "jp106", "-layout", "jp"], ["-model", "pc105", "-layout", "us"]):
            s.run_tool("setxkbmap", *layout)
            w = p.window_showing({MENU_FIRST: 2, INPUT_BOX: 9})
            if layout[-1] == "jp":
                w.key("Tab")  # kana input, kept for the second block
            w.key("Up", "Up")  # round to the last page: the own lesson
            w.wait_for_pixels({MENU_FIRST: 2})
            w.key("Return")
            w.wait_for_pixels({TITLE_BAR: 12, HOME_CAP: 11})
            w.key("x")  # the start screen's key is not typed
            w.wait_for_pixels({TITLE_BAR: 12, COUNTER: 2, RO_KEY: 13})
            s.xdotool("windowfocus", "--sync", str(w.wid))
            for keycode, shift in STROKES:
                keyboard.strike(keycode, shift)
                time.sleep(0.02)
            w.wait_for_pixels({PASS_BOX: 3}, timeout=30)
            w.key("Return")
    finally:
        keyboard.close()
    with sqlite3.connect(f"file:{s.data / 'progress.sqlite3'}?mode=ro", uri=True) as db:
        kept = db.execute("SELECT lesson, input, typed_right, typed_wrong, result "
                          "FROM blocks ORDER BY id").fetchall()
    check(kept == [("かな.txt", "kana", len(STROKES), 0, "pass")] * 2, f"the history holds {kept}")
    check("input=kana" in (s.root / "config/velmora/kotoba.conf").read_text().splitlines(),
          "the input chosen is kept")
    p.window_showing({MENU_FIRST: 2}).key("Escape")
    p.wait_for_program("Velmora")


if __name__ == "__main__":
    harness.run_tests([test_an_own_lesson_typed_in_kana_by_key_positions])
