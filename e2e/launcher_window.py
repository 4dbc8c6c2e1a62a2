#!/usr/bin/env python3
"""The launcher in a real window: placement, the highlight moved by a cursor
key, the exit box, and the error box when a lesson program is missing."""

import harness
from harness import LAUNCHER_EXIT, check, design_y

# Button faces in design units (x1, y1, x2, y2), as the menu draws them.
BUTTON_1 = (60, 110, 304, 130)
BUTTON_2 = (60, 142, 304, 162)
BUTTON_3 = (60, 174, 304, 194)
SELECTED_FACE = 2
PLAIN_FACE = 14
TITLE = "Velmora - タッチタイプ基本練習"


def face_points(rect: tuple[int, int, int, int]) -> list[tuple[int, int]]:
    """Points of a button face no label covers: its corners, just inside, and the
    middle of its right end."""
    x1, y1, x2, y2 = rect
    top, bottom = design_y(y1), design_y(y2)
    return [(x1 + 1, top + 1), (x2 - 1, top + 1), (x1 + 1, bottom - 1), (x2 - 1, bottom - 1),
            (x2 - 4, (top + bottom) // 2)]


def faces(**colours: int) -> dict[tuple[int, int], int]:
    rects = {"b1": BUTTON_1, "b2": BUTTON_2, "b3": BUTTON_3}
    return {p: colour for key, colour in colours.items() for p in face_points(rects[key])}


def wait_for_menu(s: harness.Session) -> tuple[harness.Program, harness.Window]:
    """The launcher started from outside the tree, its menu drawn with entry 1 lit."""
    p = s.start()
    w = p.window()
    check(p.exe() == "Velmora", f"the process is {p.exe()}, not Velmora")
    w.wait_for_pixels(faces(b1=SELECTED_FACE, b2=PLAIN_FACE, b3=PLAIN_FACE))
    return p, w


def quarter_scale_size(screen_w: int, screen_h: int) -> tuple[int, int]:
    """The window the console opens on a screen with no panels: the surface at
    the largest scale in quarters that leaves 16 x 64 pixels for a frame."""
    q = 4
    while 160 * (q + 1) + 16 <= screen_w and (450 * (q + 1) + 2) // 4 + 64 <= screen_h:
        q += 1
    return 160 * q, (450 * q + 2) // 4


def test_window_is_centred_at_a_quarter_scale(s: harness.Session) -> None:
    p, w = wait_for_menu(s)
    screen_w, screen_h = map(int, s.xdotool("getdisplaygeometry").split())
    check((w.width, w.height) == quarter_scale_size(screen_w, screen_h),
          f"window is {w.width}x{w.height} on {screen_w}x{screen_h}, "
          f"not {quarter_scale_size(screen_w, screen_h)}")
    check(w.width <= screen_w and w.height <= screen_h,
          f"a {w.width}x{w.height} window does not fit a {screen_w}x{screen_h} screen")
    check(abs(w.x - (screen_w - w.width) // 2) <= 1 and abs(w.y - (screen_h - w.height) // 2) <= 1,
          f"window at ({w.x}, {w.y}) is not centred on {screen_w}x{screen_h} "
          f"(want ({(screen_w - w.width) // 2}, {(screen_h - w.height) // 2}))")
    check(w.title() == TITLE, f"window title {w.title()!r}")
    # Started from another folder, the launcher works in its own.
    check(p.cwd() == s.tree.resolve(), f"working folder {p.cwd()}, not the tree {s.tree}")


def test_cursor_down_moves_the_highlight_and_exit_box_ends(s: harness.Session) -> None:
    p, w = wait_for_menu(s)
    w.key("Down")
    w.wait_for_pixels(faces(b2=SELECTED_FACE))
    wrong = w.screenshot("after-down").wrong(faces(b1=PLAIN_FACE, b3=PLAIN_FACE))
    check(not wrong, f"buttons 1 and 3 after Down, (seen, wanted): {wrong}")
    check(p.running(), "the launcher ended on a cursor key")
    w.click(*LAUNCHER_EXIT)
    status = p.wait_exit(20)
    check(status == 0, f"the launcher ended with status {status} after the exit box")
    check(not w.exists(), "the launcher's window is still shown after it ended")


def test_missing_program_shows_the_error_box(s: harness.Session) -> None:
    (s.tree / "M1/Palvek").unlink(missing_ok=True)
    p, w = wait_for_menu(s)
    before = s.top_level_windows()
    w.key("F2")
    box = harness.wait_until("a new top-level window", 15, lambda: next(
        (b for b in s.top_level_windows() if b not in before), None))
    title = s.window_title(box)
    check(title == TITLE, f"error box title {title!r}, not the window title {TITLE!r}")
    check("_NET_WM_WINDOW_TYPE_DIALOG" in (s.window_property(box, "_NET_WM_WINDOW_TYPE") or ""),
          "the new window is not a dialog")
    check(p.running(), "the launcher ended before the error box was dismissed")
    # The box's text is drawn, not a property; the program also writes it out.
    harness.wait_until("the error text in the launcher's output", 5,
                       lambda: "続行不可能なエラーが発生しました Velmora [" in p.output())
    s.press(box, "Return")
    harness.wait_until("the error box to go", 15, lambda: box not in s.top_level_windows())
    status = p.wait_exit(20)
    check(status == 1, f"the launcher ended with status {status} after the error box, not 1")
    check(not w.exists(), "the launcher's window is still shown after it ended")


def test_without_the_system_box_the_error_shows_in_the_window(s: harness.Session) -> None:
    """With no X core fonts there is no system box: the window draws the error."""
    (s.tree / "M1/Palvek").unlink(missing_ok=True)
    p, w = wait_for_menu(s)
    w.key("F2")
    w.wait_for_pixels({(540, design_y(135)): 1, (100, design_y(200)): 14,
                       (300, design_y(206)): 7})
    check(p.running(), "the launcher ended before the error was dismissed")
    check("続行不可能なエラーが発生しました Velmora [" in p.output(),
          "the error text is not in the launcher's output")
    w.key("Escape")  # not a dismissal
    check(p.running(), "Escape dismissed the error")
    w.click(320, design_y(215))  # OK
    status = p.wait_exit(20)
    check(status == 1, f"the launcher ended with status {status} after the error, not 1")


test_without_the_system_box_the_error_shows_in_the_window.xvfb_args = ["-fp", "built-ins"]


def test_f1_hands_over_to_the_first_lesson(s: harness.Session) -> None:
    stand_in = not (s.tree / "M1" / "Ostrin").exists()
    if stand_in:
        # Before the lesson programs are built, any program that opens a window
        # stands in for the first lesson (a copy of the launcher, which then
        # moves to its own folder).
        s.install_program("M1/Ostrin", "Velmora")
    s.write_record("step.TXT", "3")
    p, w = wait_for_menu(s)
    launcher_pid = p.pid
    w.key("F1")
    lesson = p.handed_over_to("Ostrin")
    check(p.pid == launcher_pid and p.running(), "the lesson is not the launcher's process")
    if not stand_in:
        check(p.cwd() == s.tree.resolve(), f"the lesson works in {p.cwd()}, not in the tree")
    check((lesson.width, lesson.height) == (w.width, w.height),
          f"the lesson's window is {lesson.width}x{lesson.height}, the launcher's "
          f"{w.width}x{w.height}")
    # The launcher reads and writes no records.
    check(s.read_record("step.TXT") == "3\n", f"step.TXT now {s.read_record('step.TXT')!r}")


def test_every_hand_over_and_exit_ends_cleanly(s: harness.Session) -> None:
    """Ending the window races with events still in flight, so do it often:
    each of these must start the lesson or end with status 0, every time."""
    if not (s.tree / "M1" / "Ostrin").exists():
        s.install_program("M1/Ostrin", "Velmora")
    for round_ in range(1, 9):
        p, w = wait_for_menu(s)
        w.key("F1")
        p.handed_over_to("Ostrin")
        p.stop()
        p, w = wait_for_menu(s)
        w.click(*LAUNCHER_EXIT)
        status = p.wait_exit(20)
        check(status == 0, f"round {round_}: the launcher ended with status {status} after "
                           f"the exit box:\n{p.output()}")


if __name__ == "__main__":
    harness.run_tests([
        test_window_is_centred_at_a_quarter_scale,
        test_cursor_down_moves_the_highlight_and_exit_box_ends,
        test_missing_program_shows_the_error_box,
        test_without_the_system_box_the_error_shows_in_the_window,
        test_f1_hands_over_to_the_first_lesson,
        test_every_hand_over_and_exit_ends_cleanly,
    ])
