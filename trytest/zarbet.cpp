#include "trytest/zarbet.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "console/frame_box.h"
#include "console/text.h"
#include "history/history.h"
#include "lessonkit/block_history.h"
#include "trytest/grade_table.h"

namespace tutor::trytest {
namespace {

const lessonkit::Key& key_at(const TestState& s, int position) {
  return lessonkit::key(s.line[static_cast<size_t>(position - 1)]);
}

[[noreturn]] void back_to_launcher(Console& con) {
  con.start_program(kLauncher);
}

// ---- Set-up screen -------------------------------------------------------

struct TimeMenu {
  bool open = false;
  int highlighted = 10;  // an item drawn plain still counts once the menu opens
};

void show_length(Console& con, int ktime) {
  con.print_using(kLengthCell, kGrey, "## 分", {static_cast<double>(ktime)});
}

void show_item(Console& con, int i, bool lit) {
  con.fill(time_menu_item(i), lit ? kRed : kCream);
  con.print_using(time_menu_cell(i), lit ? kGrey : kBlack, " ## 分", {static_cast<double>(i)});
}

void draw_setup_screen(Console& con, const TestState& s) {
  frame_box(con, kTitleBox, kRaisedBox);
  con.print_using({20, 1}, kBlack, kSetupTitle, {grade_name(s.rank)});
  frame_box(con, kLengthBar, kRaisedBox);
  con.print({17, 4}, kBlack, kLengthPrompt);
  frame_box(con, kLengthField, kSunkenBox);
  show_length(con, s.ktime);
  frame_box(con, kArrowButton, kRaisedBox);
  con.polyline({{510, 72}, {514, 76}, {518, 72}, {510, 72}}, kBlack);
  con.polyline({{511, 73}, {514, 75}, {517, 73}, {511, 73}}, kBlack);
  con.polyline({{512, 74}, {514, 75}, {516, 74}, {512, 74}}, kBlack);
  con.point({513, 75}, kBlack);
  frame_box(con, kOkButton, kRaisedBox);
  con.print({32, 20}, kBlack, "Ｏ Ｋ");
  frame_box(con, kSetupQuitButton, raised_box(kGreen));
  con.print({48, 20}, kGrey, "終 了");
}

void open_time_menu(Console& con, TestState& s, TimeMenu& menu) {
  frame_box(con, kTimeMenuBox, kRaisedBox);
  for (int i = 1; i <= 10; ++i) {
    con.print_using(time_menu_cell(i), kBlack, " ## 分", {static_cast<double>(i)});
  }
  menu = {true, 10};
  // Opening the menu sets the length back to 10; the field says so at once,
  // so that it always shows the length the test will run.
  s.ktime = 10;
  show_length(con, s.ktime);
}

void close_time_menu(Console& con, TimeMenu& menu) {
  con.fill(kTimeMenuArea, kBlack);
  for (int i = 1; i <= 10; ++i) {
    con.blank(time_menu_cell(i), 6);
  }
  menu.open = false;
}

// The first item holding the pointer, 1-10; 0 for none.
int item_at(Point p) {
  for (int i = 1; i <= 10; ++i) {
    if (time_menu_item(i).contains_pixel(p)) {
      return i;
    }
  }
  return 0;
}

// Returns when OK is clicked, with the chosen length in `s.ktime`.
void setup_screen(Console& con, TestState& s) {
  draw_setup_screen(con, s);
  TimeMenu menu;
  while (true) {
    const Event e = con.poll(Arm::mouse());
    if (e.is_key() && e.key == keys::kEnter) {
      return;  // OK from the keyboard; no other key acts on this screen
    }
    if (e.is_mouse()) {
      const Point p = e.pointer;
      if (kOkArea.contains_pixel(p)) {
        return;
      }
      if (kSetupQuitArea.contains_pixel(p)) {
        back_to_launcher(con);
      }
      if (kArrowArea.contains_pixel(p)) {
        if (menu.open) {
          close_time_menu(con, menu);
        } else {
          open_time_menu(con, s, menu);
        }
      } else if (const int i = menu.open ? item_at(p) : 0; i != 0) {
        s.ktime = i;
        show_length(con, s.ktime);
        close_time_menu(con, menu);
      }
    }
    if (menu.open) {
      const int i = item_at(con.pointer());
      if (i != 0 && i != menu.highlighted) {
        show_item(con, menu.highlighted, false);
        show_item(con, i, true);
        menu.highlighted = i;
      }
    }
  }
}

// ---- Test screen ---------------------------------------------------------

void draw_test_screen(Console& con) {
  con.clear_screen();
  for (int i = 0; i < 10; ++i) {
    frame_box(con, function_key_cap(i), kRaisedBox);
  }
  con.print({10, 22}, kBlack, "終了");  // on the F1 cap
  frame_box(con, kLabelBox, kRaisedBox);
  con.print({4, 2}, kBlack, "練習問題");
  frame_box(con, kTrialTitleBox, raised_box(kOrange));
  con.print({30, 5}, kGrey, "タイムトライアル");
  frame_box(con, kTestQuitButton, raised_box(kGreen));
  con.print({72, 20}, kYellow, "終了");
}

void show_remaining(Console& con, const TestState& s) {
  con.print_using(kRemainingCell, kYellow, kRemainingMask,
                  {static_cast<double>(s.shown_minutes), static_cast<double>(s.shown_seconds)});
}

// One key of the learner, or nothing when the time ran out first (T1-T4). The
// quit button and F1 leave for the launcher at once.
std::optional<std::string> wait_for_key(Console& con, TestState& s) {
  while (true) {
    const Event e = con.poll(Arm::mouse_and_function_keys());
    if ((e.is_mouse() && kTestQuitArea.contains_pixel(e.pointer)) ||
        (e.kind == Event::Kind::FunctionKey && e.function_key == 1)) {
      con.clear_screen();
      back_to_launcher(con);
    }
    if (!s.start && !e.is_key()) {
      continue;  // the clock is not read, so nothing wakes the wait until a key
    }
    const std::int64_t now = con.timing_seconds();
    if (!s.start) {
      s.start = now;  // T1: the first key, right or wrong, starts the clock
    }
    // T2/T3: the timing clock counts on over an hour and over midnight, as
    // the clock rules carry the minutes, and a correction of the system
    // clock neither ends the test nor stretches it.
    const auto elapsed = static_cast<int>(now - *s.start);
    if (elapsed >= s.ktime * 60) {
      return std::nullopt;
    }
    // T4.
    const int minutes = s.ktime - elapsed / 60 - 1;
    const int seconds = 59 - elapsed % 60;
    if (minutes != s.shown_minutes || seconds != s.shown_seconds) {
      s.shown_minutes = minutes;
      s.shown_seconds = seconds;
      show_remaining(con, s);
    }
    if (e.is_key()) {
      return e.key;
    }
  }
}

// Judges a key against position I; true when it was the right letter.
bool judge(Console& con, TestState& s, int position, std::string_view typed) {
  const lessonkit::Key& k = key_at(s, position);
  const bool right = typed == k.typed || typed == k.alternative;
  const int to_type = s.line[static_cast<size_t>(position - 1)];
  if (right) {
    ++s.nn;
    s.keys.right(to_type);
  } else {
    ++s.er;
    ++s.ers[static_cast<size_t>(to_type)];
    s.keys.wrong(to_type, lessonkit::key_accepting(typed));
  }
  // A right letter goes dark and disappears; a wrong key leaves it grey.
  con.fill(letter_mark(position), right ? kBlack : kGrey);
  con.print(letter_text_cell(position), kBlack, k.legend);
  return right;
}

// Runs problem lines until the time is up.
void test_screen(Console& con, TestState& s) {
  draw_test_screen(con);
  s.shown_minutes = s.ktime;
  s.shown_seconds = 0;
  while (true) {
    next_problem_line(con, s);
    for (int position = 1; position <= kLineLength; ++position) {
      con.fill(letter_mark(position), kLightCyan);
      con.print(letter_text_cell(position), kBlack, key_at(s, position).legend);
      while (true) {
        const std::optional<std::string> typed = wait_for_key(con, s);
        if (!typed) {
          return;  // the letters not yet reached count nothing
        }
        if (judge(con, s, position, *typed)) {
          break;
        }
      }
    }
  }
}

// ---- Missed keys and result ----------------------------------------------

void missed_key_screen(Console& con, const TestState& s) {
  con.clear_screen();
  con.fill({156, 12, 452, 36}, kBlue);
  frame_box(con, {158, 14, 450, 34}, raised_box(kRed));
  con.print({22, 1}, kYellow, kMissedTitle);
  for (int col = 0; col < 4; ++col) {
    for (int row = 1; row <= 7; ++row) {
      frame_box(con, missed_key_cell(col, row), kRaisedBox);
    }
  }
  for (int n = 1; n <= 26; ++n) {
    const int key = kAkmoji[static_cast<size_t>(n - 1)];
    con.print(missed_letter_cell(n), kBlack, lessonkit::key(key).legend);
    con.print_using(missed_count_cell(n), kBlack, "###",
                    {static_cast<double>(s.ers[static_cast<size_t>(key)])});
  }
  frame_box(con, {158, 334, 450, 354}, raised_box(kRed));
  con.print({26, 21}, kYellow, kDoubleClickPrompt);
  while (true) {
    const Event e = con.poll({false, true, false});
    // Enter goes on as a double-click does, so the keyboard alone never sticks here.
    if (e.kind == Event::Kind::DoubleClick || (e.is_key() && e.key == keys::kEnter)) {
      return;
    }
  }
}

// Keeps the finished test in the progress history, once its result is on show.
void keep_test(Console& con, const TestState& s, int p, int grade) {
  con.show_now();
  lessonkit::BlockKeeper::of(con).keep(history::BlockEntry{
      .ended_at = history::local_time_now(),
      .program = con.program_name(),
      .step = 1,
      .seconds = s.ktime * 60,
      .right = s.nn,
      .wrong = s.er,
      .evaluation = std::to_string(p),
      .result = std::string(grade_name(grade)),
      .keys = s.keys.rows(),
      .lesson = {},
      .input = {},
      .kana = {},
  });
}

[[noreturn]] void result_screen(Console& con, const TestState& s) {
  con.clear_screen();
  const int p = evaluation(s.nn, s.er);
  constexpr Colour kBarFaces[] = {kRed, kGreen, kYellow, kDarkGrey};
  for (int j = 0; j < 4; ++j) {
    frame_box(con, {162, 124 + 32 * j, 494, 146 + 32 * j}, raised_box(kBarFaces[j]));
  }
  frame_box(con, kResultPanel, kRaisedBox);
  const int r = grade_of(p);
  con.print_using({21, 8}, kGrey, kRightLine, {static_cast<double>(s.nn)});
  con.print_using({21, 10}, kGrey, kWrongLine, {static_cast<double>(s.er)});
  con.print_using({21, 12}, kBlack, kEvaluationLine, {static_cast<double>(p)});
  con.print_using({21, 14}, kGrey, kGradeLine, {grade_name(r)});
  store_better_grade(con, r, s.rank);
  con.fill(kResultPanel, kOrange);
  con.print({21, 18}, kYellow, kClickToEnd);
  keep_test(con, s, p, r);
  while (con.poll(Arm::mouse()).kind == Event::Kind::None) {  // any key or click ends it
  }
  back_to_launcher(con);
}

}  // namespace

void next_problem_line(Console& con, TestState& s) {
  ++s.num;
  // Only the first two digits of the number fit: line 123 shows "１２".
  con.print(kLineNumberCell, kBlack, to_full_width(std::to_string(s.num).substr(0, 2)));
  con.blank({18, 2}, 60);
  for (int k = 0; k < kLineLength; ++k) {
    frame_box(con, letter_cell(k), kRaisedBox);
  }
  for (int position = 1; position <= kLineLength; ++position) {
    int a = 0;
    while (true) {
      const int digit = con.time_of_day()[7] - '0';
      a = (static_cast<int>(con.random() * 100) + digit) % kDrawnKeys + 1;
      const bool letter = std::find(kAkmoji.begin(), kAkmoji.end(), a) != kAkmoji.end();
      if (letter && (position == 1 || lessonkit::key(a).typed != key_at(s, position - 1).typed)) {
        break;
      }
    }
    s.line[static_cast<size_t>(position - 1)] = a;
    con.print(letter_text_cell(position), kBlack, lessonkit::key(a).legend);
  }
  frame_box(con, kRemainingPanel, raised_box(kOrange));
  show_remaining(con, s);
}

void run(Console& con) {
  TestState s;
  s.rank = read_best_grade(con);
  con.clear_screen();
  setup_screen(con, s);
  test_screen(con, s);
  missed_key_screen(con, s);
  result_screen(con, s);
}

}  // namespace tutor::trytest
