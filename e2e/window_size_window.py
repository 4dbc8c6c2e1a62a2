#!/usr/bin/env python3
"""The window on a learner's desktop (openbox on a 1366x768 screen): the size it
opens at, a resize by the frame, fullscreen that carries over a hand-over."""

import harness
from harness import HOME_CAP, MENU_ENTRY_1, check, wait_until

PLAIN_ENTRY_2 = (62, harness.design_y(144))  # button 2's face, plain (14)
MENU = {MENU_ENTRY_1: 2, PLAIN_ENTRY_2: 14}


def geometry(w: harness.Window) -> tuple[int, int]:
    return w.width, w.height


def test_size_resize_and_fullscreen_carried_over(s: harness.Session) -> None:
    p = s.start()
    w = p.window_showing(MENU)
    check(geometry(w) == (960, 675), f"on 1366x768 the launcher opens at {geometry(w)}")

    # Resized by its frame: recomposed to fit, with bars where the shape differs.
    s.xdotool("windowsize", str(w.wid), "1100", "700")
    wait_until("the window to take its new size", 10,
               lambda: geometry(p.window()) == (1100, 700))
    w = p.window_showing(MENU)
    shot = w.screenshot("resized")
    check(shot.view.left > 0 and shot.view.cw < 1100, "no bars beside a wider window")
    left_bar = shot.rgb[(350 * 1100 + shot.view.left // 2) * 3:][:3]
    check(left_bar == b"\0\0\0", f"the bar is {left_bar!r}, not black")

    # F11 fills the screen; the next program opens the same way; F11 again gives
    # the window back.
    w.key("F11")
    wait_until("fullscreen", 10, lambda: geometry(p.window()) == (1366, 768))
    p.window_showing(MENU).key("F1")
    lesson = p.handed_over_to("Ostrin")
    check(geometry(lesson) == (1366, 768), f"Ostrin opens at {geometry(lesson)}, not fullscreen")
    lesson.key("F11")
    wait_until("the window back from fullscreen", 10,
               lambda: geometry(p.window()) not in ((1366, 768), (0, 0)))
    # Alt+Enter does the same; neither is a key press to the program: the
    # home-position prompt still waits.
    p.window_showing({HOME_CAP: 11}).key("alt+Return")
    wait_until("fullscreen again", 10, lambda: geometry(p.window()) == (1366, 768))
    p.window_showing({HOME_CAP: 11})
    check(p.running() and p.exe() == "Ostrin", "the window keys ended or changed the program")


def test_a_window_left_on_a_bigger_screen_opens_whole(s: harness.Session) -> None:
    settings = s.root / "config/velmora/window.conf"
    settings.parent.mkdir(parents=True, exist_ok=True)
    for left, fitted in (("width=3840\nheight=2100\nx=0\ny=0\n", (1001, 703)),
                         ("width=30000\nheight=30000\nx=5000\ny=3000\n", (1001, 703))):
        settings.write_text(left, encoding="utf-8")
        p = s.start()
        w = p.window_showing(MENU)
        check(geometry(w) == fitted, f"left as {left!r}, the window opens at {geometry(w)}")
        check(0 <= w.x and w.x + w.width <= 1366 and 0 <= w.y and w.y + w.height <= 768,
              f"left as {left!r}, the window is not on the screen: {w!r}")
        p.stop()


for test in (test_size_resize_and_fullscreen_carried_over,
             test_a_window_left_on_a_bigger_screen_opens_whole):
    test.screen = (1366, 768)
    test.window_manager = True

if __name__ == "__main__":
    harness.run_tests([test_size_resize_and_fullscreen_carried_over,
                       test_a_window_left_on_a_bigger_screen_opens_whole])
