#include "words/word_course.h"

#include <algorithm>
#include <map>

#include "console/frame_box.h"
#include "console/text.h"
#include "history/history.h"
#include "lessonkit/home_position.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/result_screen.h"
#include "lessonkit/screen_pieces.h"
#include "spelling/romaji.h"
#include "words/fingers.h"
#include "words/lessons.h"
#include "words/menu_layout.h"
#include "words/passed_lessons.h"
#include "words/preferences.h"

namespace tutor::words {
namespace {

// What the course keeps while it runs.
struct CourseState {
  std::vector<LessonEntry> lessons;
  PassedLessons passed;
  spelling::Preferences preferences;
  lessonkit::BlockKeeper history;
  InputMode mode = InputMode::Romaji;
};

// ---- The lesson menu --------------------------------------------------------

// A problem of an own lesson as the screens name it: file, line, what.
std::string problem_text(const Problem& p) {
  return p.file + (p.line > 0 ? " " + std::to_string(p.line) + "行目" : "") + ": " + p.what;
}

std::string menu_label(const CourseState& s, std::size_t i) {
  const LessonEntry& l = s.lessons[i];
  const bool passed = (l.kind == LessonKind::BuiltIn && s.passed.built_in(l.number)) ||
                      (l.kind == LessonKind::Own && s.passed.own(l.file));
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
  for (std::size_t i = first; i < first + kEntriesPerPage && i < s.lessons.size(); ++i) {
    frame_box(con, menu_place(i - first).button.grown(2), kRaisedBox);
    draw_entry(con, s, i, i == selected);
  }
  const std::size_t pages = (s.lessons.size() + kEntriesPerPage - 1) / kEntriesPerPage;
  con.blank(kPageCell, 40);
  con.print_using(kPageCell, kGrey, "ページ ## / ##　PageUp・PageDown",
                  {static_cast<double>(first / kEntriesPerPage + 1), static_cast<double>(pages)});
  write_problem_line(con, s.lessons[selected]);
}

void draw_input_choice(Console& con, InputMode mode) {
  frame_box(con, kInputBox, raised_box(kBlue));
  con.print(kInputCell, kWhite, mode == InputMode::Kana ? kKanaInputLabel : kRomajiInputLabel);
}

void draw_menu(Console& con, const CourseState& s, std::size_t selected) {
  con.clear_screen();
  frame_box(con, kTitleBox, kRaisedBox);
  con.print(kTitleCell, kBlack, kMenuTitle);
  frame_box(con, kPanel, kRaisedBox);
  frame_box(con, kLegendBox, raised_box(kRed));
  con.print(kLegendCell, kYellow, "項目");
  con.print(kPromptCell, kLightCyan, "を選んで Enter キーを押してください");
  frame_box(con, kExitBox, raised_box(kGreen));
  con.print(kExitCell, kYellow, "終了");
  draw_input_choice(con, s.mode);
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

// The first lesson not yet passed, in the menu's order.
std::size_t first_not_passed(const CourseState& s) {
  for (std::size_t i = 0; i < s.lessons.size(); ++i) {
    const LessonEntry& l = s.lessons[i];
    if ((l.kind == LessonKind::BuiltIn && !s.passed.built_in(l.number)) ||
        (l.kind == LessonKind::Own && !s.passed.own(l.file))) {
      return i;
    }
  }
  return 0;
}

// The lesson picked: cursor keys and Enter, click and double-click. Escape
// and the exit box leave for the launcher.
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
    write_input_mode(s.mode);
    draw_input_choice(con, s.mode);
  };
  while (true) {
    const Event e = con.poll(Arm::mouse());
    const auto at = static_cast<long>(selected);
    if (e.is_key()) {
      if (e.key == keys::kEnter) {
        return selected;
      }
      if (e.key == keys::kTab) {
        switch_input();
      }
      if (e.key == keys::kEscape) {
        con.start_program(lessonkit::kLauncher);
      }
      const long by = e.key == keys::kUp         ? -1
                      : e.key == keys::kDown     ? 1
                      : e.key == keys::kLeft     ? -kEntriesPerColumn
                      : e.key == keys::kRight    ? kEntriesPerColumn
                      : e.key == keys::kPageUp   ? -static_cast<long>(kEntriesPerPage)
                      : e.key == keys::kPageDown ? static_cast<long>(kEntriesPerPage)
                                                 : 0;
      if (by != 0) {
        move_to(at + by);
      }
    } else if (e.is_mouse()) {
      if (kExitArea.contains_pixel(e.pointer)) {
        con.start_program(lessonkit::kLauncher);
      }
      if (e.kind == Event::Kind::Click && kInputBox.contains_pixel(e.pointer)) {
        switch_input();
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

// ---- Messages ----------------------------------------------------------------

// A message on a clear screen, lines from row 4; waits for a key or a click.
void show_message(Console& con, std::string_view title, std::span<const std::string> lines) {
  con.clear_screen();
  lessonkit::draw_title_bar(con, kTitleBarFace);
  lessonkit::write_title(con, title, kBlack);
  int row = 4;
  for (const std::string& line : lines) {
    if (row > 19) {
      break;
    }
    con.print({2, row++}, kWhite, cut_to_width(line, 76));
  }
  con.print({24, 21}, kLightCyan, "どれかキーを押してください");
  lessonkit::wait_any_input(con, Arm::mouse());
}

// The lines of an own lesson that cannot be typed, named by file, line and
// what is wrong with them.
void show_problems(Console& con, const LessonEntry& l) {
  std::vector<std::string> lines = {
      "このレッスンには練習できない行があります。ほかの行で練習します。", ""};
  for (const Problem& p : l.problems) {
    lines.push_back(problem_text(p));
  }
  show_message(con, l.title, lines);
}

// ---- The drill ---------------------------------------------------------------

// One block: every item of the lesson, each coming as soon as the last is
// typed, in romaji or in kana input.
class WordDrill {
 public:
  WordDrill(Console& con,
            const LessonEntry& lesson,
            InputMode mode,
            const spelling::Preferences& preferences)
      : con_(con), lesson_(lesson), mode_(mode), preferences_(preferences) {}

  // Types the block; false when the learner left by the exit button.
  bool run() {
    draw_screen();
    // Kana input is judged by the key struck, whatever the keyboard map.
    con_.read_keys_by_place(mode_ == InputMode::Kana);
    const bool finished = type_items();
    con_.read_keys_by_place(false);
    restore_keys();
    return finished;
  }

  [[nodiscard]] const lessonkit::BlockResult& result() const { return result_; }
  [[nodiscard]] long kana_typed() const { return kana_typed_; }
  [[nodiscard]] const spelling::Preferences& chosen() const { return chosen_; }
  [[nodiscard]] std::vector<history::KanaTally> kana_tallies() const {
    std::vector<history::KanaTally> out;
    for (const auto& [kana, counts] : kana_) {
      out.push_back({encode_utf8(std::vector<char32_t>{kana}), counts.first, counts.second});
    }
    return out;
  }

 private:
  bool type_items() {
    for (std::size_t i = 0; i < lesson_.items.size(); ++i) {
      current_ = i;
      const auto line = reading_line(mode_, lesson_.items[i].reading, preferences_);
      write_counter(lesson_.items.size() - i);
      draw_item(lesson_.items[i], *line);
      while (!line->done()) {
        if (!take_keystroke(*line)) {
          return false;
        }
      }
      kana_typed_ += static_cast<long>(line->kana_done());
      line->note_choices(chosen_);
    }
    return true;
  }

  void draw_screen() {
    con_.clear_screen();
    lessonkit::draw_title_bar(con_, kTitleBarFace);
    lessonkit::write_title(con_, lesson_.title, kBlack);
    if (mode_ == InputMode::Kana) {
      lessonkit::draw_kana_keyboard(con_);
      con_.print(kStandInCell, kLightCyan, kStandInNote);
    } else {
      lessonkit::draw_keyboard(con_);
    }
    lessonkit::draw_exit_button(con_);
    lessonkit::draw_counter_frame(con_);
  }

  void draw_key(int key, Colour face) {
    if (mode_ == InputMode::Kana) {
      lessonkit::draw_kana_key(con_, key, face);
    } else {
      lessonkit::draw_key(con_, key, face);
    }
  }

  void write_counter(std::size_t left) {
    con_.print_using(kCounterCell, kYellow, "あと ### 問", {static_cast<double>(left)});
  }

  void draw_item(const OwnItem& item, const ReadingLine& line) {
    for (int row = kWrittenRow; row <= kGuideRow; ++row) {
      con_.blank({0, row}, 80);
    }
    const int width = display_width(item.written);
    if (2 * width <= 76) {
      con_.print_large({(80 - 2 * width) / 2, kWrittenRow}, kWhite, item.written);
    } else {
      con_.print({(80 - width) / 2, kWrittenRow + 1}, kWhite, item.written);
    }
    show_progress(item, line);
  }

  // The reading and the guide, what is typed in green and what is left in
  // white and yellow; the next key lit in its finger's colour.
  void show_progress(const OwnItem& item, const ReadingLine& line) {
    const std::vector<char32_t> reading = decode_utf8(item.reading);
    const std::size_t done = std::min(line.kana_done(), reading.size());
    const std::string typed_reading = encode_utf8(
        std::vector<char32_t>(reading.begin(), reading.begin() + static_cast<long>(done)));
    const std::string left_reading = encode_utf8(
        std::vector<char32_t>(reading.begin() + static_cast<long>(done), reading.end()));
    const int reading_width = display_width(item.reading);
    const Cell r = con_.print({(80 - reading_width) / 2, kReadingRow}, kLightGreen, typed_reading);
    con_.print(r, kWhite, left_reading);
    show_guide(line.typed(), line.rest());
    light_next_key(line.next_key());
  }

  // The keys struck and the keys left, scrolled so that the next key stays
  // in view.
  void show_guide(const std::string& typed_keys, const std::string& rest_keys) {
    constexpr int kRoom = 76;
    std::vector<char32_t> typed = decode_utf8(typed_keys);
    const std::vector<char32_t> rest = decode_utf8(rest_keys);
    auto width = [](char32_t c) { return display_width(encode_utf8(c)); };
    int typed_width = 0;
    for (const char32_t c : typed) {
      typed_width += width(c);
    }
    const int rest_width = display_width(rest_keys);
    if (typed_width + rest_width > kRoom && typed_width > kRoom / 3) {
      while (typed_width > kRoom / 3) {
        typed_width -= width(typed.front());
        typed.erase(typed.begin());
      }
    }
    std::vector<char32_t> shown_rest;
    int shown_width = typed_width;
    for (const char32_t c : rest) {
      if (shown_width + width(c) > kRoom) {
        break;
      }
      shown_width += width(c);
      shown_rest.push_back(c);
    }
    con_.blank({0, kGuideRow}, 80);
    const Cell g = con_.print({(80 - shown_width) / 2, kGuideRow}, kLightGreen, encode_utf8(typed));
    con_.print(g, kYellow, encode_utf8(shown_rest));
  }

  void light_next_key(Keystroke next) {
    restore_keys();
    for (const int key : {next.key, next.shift_key}) {
      if (key != 0) {
        draw_key(key, kFingers.colour[static_cast<std::size_t>(key)]);
        lit_.push_back(key);
      }
    }
  }

  void restore_keys() {
    for (const int key : lit_) {
      draw_key(key, kCream);
    }
    lit_.clear();
  }

  // One keystroke of the learner; false when the exit button was clicked.
  bool take_keystroke(ReadingLine& line) {
    const Event e = con_.poll(Arm::mouse());
    if (e.is_mouse()) {
      return !lessonkit::in_stage_exit_area(e.pointer);
    }
    const std::optional<Stroke> stroke = line.stroke_of(e);
    if (!stroke) {
      return true;  // Enter, Backspace, the cursor keys: not typing
    }
    if (result_.right + result_.wrong == 0) {
      result_.started_at = con_.timing_clock();
    }
    const Keystroke expected = line.next_key();
    auto& kana = kana_[line.kana_now()];
    if (line.type(*stroke)) {
      ++result_.right;
      ++kana.first;
      result_.keys.right(expected.key);
      result_.ended_at = con_.timing_clock();
      show_progress(lesson_.items[current_], line);
      return true;
    }
    ++result_.wrong;
    ++kana.second;
    result_.keys.wrong(expected.key, stroke->key);
    light_next_key(expected);
    if (stroke->key != 0 && stroke->key != expected.key) {
      draw_key(stroke->key, kGrey);  // marked as the drills mark it
      lit_.push_back(stroke->key);
    }
    result_.ended_at = con_.timing_clock();
    return true;
  }

  Console& con_;
  const LessonEntry& lesson_;
  InputMode mode_;
  const spelling::Preferences& preferences_;
  lessonkit::BlockResult result_;
  std::map<char32_t, std::pair<int, int>> kana_;
  spelling::Preferences chosen_;
  std::vector<int> lit_;
  long kana_typed_ = 0;
  std::size_t current_ = 0;  // the item being typed
};

// ---- One lesson ----------------------------------------------------------------

lessonkit::VerdictLooks verdict_looks() {
  constexpr lessonkit::VerdictBox kFailed = {{120, 252, 564, 274}, kCyan, 17, kYellow};
  return {
      {{{100, 252, 564, 274}, kMagenta, 15, kYellow}, "合格です。つぎのレッスンに進みましょう。"},
      {kFailed, lessonkit::kTooManyErrorsMessage},
      {kFailed, "打つ速度が遅すぎます。総合評価を80以上にしましょう。"},
      {kFailed, lessonkit::kNotYetMessage}};
}

// Kana a minute and the share of right keystrokes, under the three bars.
void draw_figures(Console& con, const lessonkit::Score& score, long kana, int right, int wrong) {
  const double minutes = std::max(1, score.time.minutes * 60 + score.time.seconds) / 60.0;
  const double share = right + wrong == 0 ? 0 : 100.0 * right / (right + wrong);
  con.print_using({20, 14}, kGrey, "かな #,###.# 字／分　　正しい打鍵 ###.# ％",
                  {static_cast<double>(kana) / minutes, share});
}

// A lesson from its start screen to its result; whether it was passed.
// Leaving by the exit button goes to the launcher.
bool type_lesson(Console& con, CourseState& s, const LessonEntry& lesson) {
  if (!lesson.problems.empty()) {
    show_problems(con, lesson);
  }
  lessonkit::home_position_screen(con, {lesson.title, kTitleBarFace, kBlack});
  WordDrill drill(con, lesson, s.mode, s.preferences);
  if (!drill.run()) {
    con.start_program(lessonkit::kLauncher);
  }
  for (const auto& [kana, spelling] : drill.chosen()) {
    s.preferences[kana] = spelling;
  }
  write_preferences(s.preferences);
  const lessonkit::BlockResult& block = drill.result();
  lessonkit::ResultExtras extras{
      [&](Console& c, const lessonkit::Score& score) {
        draw_figures(c, score, drill.kana_typed(), block.right, block.wrong);
      },
      lesson.history_name(),
      s.mode == InputMode::Kana ? history::kInputKana : history::kInputRomaji,
      drill.kana_tallies()};
  return lessonkit::show_block_result(con, s.history, lesson.number, block, verdict_looks(),
                                      extras) == lessonkit::Verdict::Pass;
}

void keep_pass(Console& con, CourseState& s, const LessonEntry& lesson) {
  if (lesson.kind == LessonKind::BuiltIn) {
    s.passed.pass_built_in(lesson.number);
  } else if (lesson.kind == LessonKind::Own) {
    s.passed.pass_own(lesson.file);
  } else {
    return;
  }
  if (!con.replace_record(kPassedRecord, s.passed.line())) {
    con.fatal_error();
  }
}

}  // namespace

std::optional<Options> parse_options(std::span<const std::string_view> args, std::string& problem) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--lesson" && i + 1 < args.size()) {
      o.lesson_file = std::filesystem::path(args[++i]);
    } else if (args[i] == "--kana") {
      o.kana = true;
    } else {
      problem = "usage: Kotoba [--kana] [--lesson FILE]";
      return std::nullopt;
    }
  }
  return o;
}

void run(Console& con, const Options& options) {
  CourseState s{{},
                PassedLessons::parse(con.read_record(kPassedRecord).value_or("")),
                read_preferences(),
                lessonkit::BlockKeeper::of(con),
                options.kana ? InputMode::Kana : read_input_mode()};
  if (options.lesson_file) {
    const LessonEntry lesson = own_lesson(read_own_lesson(
        options.lesson_file->is_absolute() ? *options.lesson_file
                                           : con.file_path(options.lesson_file->string())));
    if (lesson.items.empty()) {
      show_problems(con, lesson);
    } else if (type_lesson(con, s, lesson)) {
      keep_pass(con, s, lesson);
    }
    con.start_program(lessonkit::kLauncher);
  }
  while (true) {
    s.lessons = all_lessons(con.file_path(kOwnLessonsFolder),
                            history::recent_kana(history::file_of(con), "Kotoba", 50));
    std::size_t picked = pick_lesson(con, s);
    if (s.lessons[picked].items.empty()) {
      if (s.lessons[picked].kind == LessonKind::MissedKana) {
        const std::string lines[] = {"まだ記録がありません。",
                                     "まず最初のレッスンで練習しましょう。"};
        show_message(con, s.lessons[picked].title, lines);
        picked = 0;
      } else {
        show_problems(con, s.lessons[picked]);
        continue;
      }
    }
    if (type_lesson(con, s, s.lessons[picked])) {
      keep_pass(con, s, s.lessons[picked]);
    }
  }
}

}  // namespace tutor::words
