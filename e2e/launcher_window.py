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


def error_box_in_the_window(s: harness.Session, dismiss) -> None:
    """A missing lesson program: the launcher draws the error box in its own
    window with its own font (the X core fonts hold no Japanese), never the
    system's box, with the text and the line naming the missing file."""
    (s.tree / "M1/Palvek").unlink(missing_ok=True)
    p, w = wait_for_menu(s)
    before = s.top_level_windows()
    w.key("F2")
    shot = w.wait_for_pixels({(540, design_y(135)): 1, (100, design_y(200)): 14,
                              (300, design_y(206)): 7})
    check(s.top_level_windows() == before, "a system box opened beside the window")
    for row in (10, 11):  # the message and the line under it
        inked = sum(shot.index_at(x, y) != PLAIN_FACE
                    for x in range(96, 544, 2) for y in range(18 * row + 3, 18 * row + 15, 2))
        check(inked > 40, f"row {row} of the error box shows no text ({inked} inked points)")
    check("続行不可能なエラーが発生しました Velmora [" in p.output()
          and "プログラムのファイルがありません" in p.output() and "M1/Palvek" in p.output(),
          f"the launcher's output does not say what failed: {p.output()!r}")
    w.key("Escape")  # not a dismissal
    check(p.running(), "Escape dismissed the error")
    dismiss(w)
    status = p.wait_exit(20)
    check(status == 1, f"the launcher ended with status {status} after the error, not 1")


def test_the_error_box_is_drawn_in_the_window(s: harness.Session) -> None:
    error_box_in_the_window(s, lambda w: w.key("Return"))


def test_without_core_fonts_the_error_box_is_drawn_in_the_window(s: harness.Session) -> None:
    error_box_in_the_window(s, lambda w: w.click(320, design_y(215)))  # OK


test_without_core_fonts_the_error_box_is_drawn_in_the_window.xvfb_args = ["-fp", "built-ins"]


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
        test_the_error_box_is_drawn_in_the_window,
        test_without_core_fonts_the_error_box_is_drawn_in_the_window,
        test_f1_hands_over_to_the_first_lesson,
        test_every_hand_over_and_exit_ends_cleanly,
    ])
