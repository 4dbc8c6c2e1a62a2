#include "words/menu.h"

#include <optional>
#include <string>

#include "console/frame_box.h"
#include "console/text.h"
#include "lessonkit/screen_pieces.h"
#include "words/material_sets.h"
#include "words/menu_layout.h"
#include "words/messages.h"
#include "words/preferences.h"

namespace tutor::words {
namespace {

std::string menu_label(const CourseState& s, std::size_t i) {
  const LessonEntry& l = s.lessons[i];
  const bool passed =
      (l.kind == LessonKind::BuiltIn && s.passed.built_in(l.history_name(), s.mode)) ||
      (l.kind == LessonKind::Own && s.passed.own(l.file, s.mode));
  std::string label = passed ? "○" : "　";
  label += l.kind == LessonKind::BuiltIn ? std::to_string(l.number) + " " : "";
  label += l.kind == LessonKind::Own ? "［" + l.title + "］" : l.title;
  return cut_to_width(label, kLabelWidth);
}

void draw_entry(Console& con, const CourseState& s, std::size_t i, bool selected) {
  const MenuPlace place = menu_place(i % kEntriesPerPage);
  con.fill(place.button, selected ? kRed : kCream);
  con.blank(place.label, kLabelWidth);
  con.print(place.label, selected ? kYellow : kBlack, menu_label(s, i));
}

// The first problem of the selected lesson, under the panel.
void write_problem_line(Console& con, const LessonEntry& l) {
  con.blank({2, kProblemRow}, 78);
  if (!l.problems.empty()) {
    con.print({2, kProblemRow}, kYellow, cut_to_width(problem_text(l.problems.front()), 76));
  }
}

void draw_menu_page(Console& con, const CourseState& s, std::size_t selected) {
  const std::size_t first = selected / kEntriesPerPage * kEntriesPerPage;
  con.fill(kPanelInside, kCream);
  for (std::size_t place = 0; place < kEntriesPerPage; ++place) {
    con.blank(menu_place(place).label, kLabelWidth);  // the page shown before
  }
  for (std::size_t i = first; i < first + kEntriesPerPage && i < s.lessons.size(); ++i) {
    frame_box(con, menu_place(i - first).button.grown(2), kRaisedBox);
    draw_entry(con, s, i, i == selected);
  }
  const std::size_t pages = (s.lessons.size() + kEntriesPerPage - 1) / kEntriesPerPage;
  con.blank(kPageCell, 36);  // up to the fingers' legend
  con.print_using(kPageCell, kGrey, "ページ ## / ##　PageUp・PageDown",
                  {static_cast<double>(first / kEntriesPerPage + 1), static_cast<double>(pages)});
  write_problem_line(con, s.lessons[selected]);
}

// Light blue, not the shaded rim's blue, so that it stands raised like the
// other buttons.
void draw_input_choice(Console& con, InputMode mode) {
  constexpr Colour kInputFace = kLightBlue;
  frame_box(con, kInputBox, raised_box(kInputFace));
  con.print(kInputCell, text_on(kInputFace),
            mode == InputMode::Kana ? kKanaInputLabel : kRomajiInputLabel);
}

// Who practises, which sets the pass mark; a mark set by the command line,
// the class or a lesson wins, and is named on the result screen.
void draw_preset_choice(Console& con, const CourseState& s) {
  constexpr Colour kPresetFace = kLightBlue;
  frame_box(con, kPresetBox, raised_box(kPresetFace));
  const std::string name(kPassPresets[s.preset].name);
  con.print(kPresetCell, text_on(kPresetFace),
            "目安：" + name + std::string(static_cast<std::size_t>(12 - display_width(name)), ' ') +
                "（F2）");
}

void draw_finger_legend(Console& con) {
  constexpr std::pair<std::string_view, Colour> kNames[] = {{"小指", kPink},
                                                            {"薬指", kYellow},
                                                            {"中指", kLightGreen},
                                                            {"人差し指", kLightBlue},
                                                            {"親指", kLightCyan}};
  Cell at = con.print(kFingerLegendCell, kGrey, "指の色：");
  for (const auto& [name, colour] : kNames) {
    at = con.print(at, colour, name);
    at = con.print(at, kGrey, " ");
  }
}

void draw_sound_choice(Console& con, const CourseState& s) {
  constexpr Colour kSoundFace = kLightBlue;
  frame_box(con, kSoundBox, raised_box(kSoundFace));
  con.print(kSoundCell, text_on(kSoundFace), s.sounds ? "音：あり（F3）" : "音：なし（F3）");
}

void draw_menu(Console& con, const CourseState& s, std::size_t selected) {
  con.clear_screen();
  frame_box(con, kTitleBox, kRaisedBox);
  const std::string_view set = set_table(kPassPresets[s.preset].words).name;
  const std::string title = std::string(kMenuTitle) + (set.empty() ? "" : "　" + std::string(set));
  con.print({40 - display_width(title) / 2, kTitleCell.row}, kBlack, title);
  frame_box(con, kPanel, kRaisedBox);
  frame_box(con, kLegendBox, raised_box(kRed));
  con.print(kLegendCell, kYellow, "項目");
  con.print(kPromptCell, kLightCyan, "を選んで Enter キーを押してください");
  frame_box(con, kExitBox, raised_box(kGreen));
  con.print(kExitCell, kYellow, "終了");
  draw_input_choice(con, s.mode);
  draw_preset_choice(con, s);
  draw_sound_choice(con, s);
  draw_finger_legend(con);
  draw_menu_page(con, s, selected);
}

// The lesson at a pointer on the page shown; nothing for none.
std::optional<std::size_t> entry_at(const CourseState& s, std::size_t selected, Point p) {
  const std::size_t first = selected / kEntriesPerPage * kEntriesPerPage;
  for (std::size_t i = first; i < first + kEntriesPerPage && i < s.lessons.size(); ++i) {
    if (menu_place(i - first).button.contains_pixel(p)) {
      return i;
    }
  }
  return std::nullopt;
}

bool to_pass(const CourseState& s, const LessonEntry& l) {
  return (l.kind == LessonKind::BuiltIn && !s.passed.built_in(l.history_name(), s.mode)) ||
         (l.kind == LessonKind::Own && !s.passed.own(l.file, s.mode));
}

// The first lesson not yet passed from `from` on, before `end`; `from` where all are.
std::size_t first_not_passed(const CourseState& s,
                             std::size_t from = 0,
                             std::size_t end = SIZE_MAX) {
  for (std::size_t i = from; i < s.lessons.size() && i < end; ++i) {
    if (to_pass(s, s.lessons[i])) {
      return i;
    }
  }
  return from;
}

}  // namespace

std::size_t pick_lesson(Console& con, CourseState& s) {
  std::size_t selected = first_not_passed(s);
  draw_menu(con, s, selected);
  const auto count = static_cast<long>(s.lessons.size());
  auto move_to = [&](long to) {
    const auto next = static_cast<std::size_t>(((to % count) + count) % count);
    if (next / kEntriesPerPage != selected / kEntriesPerPage) {
      selected = next;
      draw_menu_page(con, s, selected);
      return;
    }
    draw_entry(con, s, selected, false);
    selected = next;
    draw_entry(con, s, selected, true);
    write_problem_line(con, s.lessons[selected]);
  };
  // The input is the learner's choice from now on, kept for the next start.
  auto switch_input = [&] {
    s.mode = s.mode == InputMode::Kana ? InputMode::Romaji : InputMode::Kana;
    write_course_settings({s.mode, s.preset, s.sounds});
    draw_input_choice(con, s.mode);
    draw_menu_page(con, s, selected);  // each input's passes are its own
  };
  // Who practises also chooses the built-in lessons: another stage's set
  // takes the menu anew.
  auto switch_preset = [&] {
    const WordSet before = kPassPresets[s.preset].words;
    s.preset = (s.preset + 1) % kPassPresets.size();
    write_course_settings({s.mode, s.preset, s.sounds});
    draw_preset_choice(con, s);
    return kPassPresets[s.preset].words != before;
  };
  auto switch_sounds = [&] {
    s.sounds = !s.sounds;
    write_course_settings({s.mode, s.preset, s.sounds});
    draw_sound_choice(con, s);
    if (s.sounds) {
      con.play(Sound::KeyClick);  // what is now on
    }
  };
  while (true) {
    const Event e = con.poll(Arm::mouse_and_function_keys());
    const auto at = static_cast<long>(selected);
    if (e.kind == Event::Kind::FunctionKey && e.function_key == 2) {
      if (switch_preset()) {
        return kOtherSet;
      }
    } else if (e.kind == Event::Kind::FunctionKey && e.function_key == 3) {
      switch_sounds();
    } else if (e.is_key()) {
      if (e.key == keys::kEnter) {
        return selected;
      }
      if (e.key == keys::kTab) {
        switch_input();
      }

      if (e.key == keys::kEscape) {
        con.start_program(lessonkit::kLauncher);
      }
      const long by = e.key == keys::kUp      ? -1
                      : e.key == keys::kDown  ? 1
                      : e.key == keys::kLeft  ? -kEntriesPerColumn
                      : e.key == keys::kRight ? kEntriesPerColumn
                                              : 0;
      if (by != 0) {
        move_to(at + by);
      }
      // A page on: its first lesson not passed.
      const long pages_by = e.key == keys::kPageUp ? -1 : e.key == keys::kPageDown ? 1 : 0;
      if (pages_by != 0) {
        const auto per = static_cast<long>(kEntriesPerPage);
        const long pages = (count + per - 1) / per;
        const long page = ((at / per + pages_by) % pages + pages) % pages;
        const auto first = static_cast<std::size_t>(page * per);
        move_to(static_cast<long>(first_not_passed(s, first, first + kEntriesPerPage)));
      }
    } else if (e.is_mouse()) {
      if (kExitArea.contains_pixel(e.pointer)) {
        con.start_program(lessonkit::kLauncher);
      }
      if (e.kind == Event::Kind::Click && kInputBox.contains_pixel(e.pointer)) {
        switch_input();
      }
      if (e.kind == Event::Kind::Click && kPresetBox.contains_pixel(e.pointer) && switch_preset()) {
        return kOtherSet;
      }
      if (e.kind == Event::Kind::Click && kSoundBox.contains_pixel(e.pointer)) {
        switch_sounds();
      }
      if (const auto hit = entry_at(s, selected, e.pointer)) {
        move_to(static_cast<long>(*hit));
        if (e.kind == Event::Kind::DoubleClick) {
          return selected;
        }
      }
    }
  }
}

}  // namespace tutor::words
