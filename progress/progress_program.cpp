#include "progress/progress_program.h"

#include <optional>

#include "console/frame_box.h"
#include "history/history.h"
#include "lessonkit/screen_pieces.h"
#include "progress/overview.h"
#include "progress/progress_layout.h"
#include "progress/screen_text.h"
#include "progress/views.h"

namespace tutor::progress {
namespace {

struct ProgressState {
  std::filesystem::path file;
  Overview overview;
  std::optional<RecentMisses> recent;  // read when first shown
  std::optional<WordLessons> words;    // likewise
  View view = View::Speed;
};

const ViewButton& button_of(View v) {
  return kViewButtons[static_cast<size_t>(v)];
}

// ---- The frame round every view --------------------------------------------

void draw_frame(Console& con, const ProgressState& s) {
  con.clear_screen();
  frame_box(con, kTitleBox, kRaisedBox);
  print_centred(con, kTitleRow, kTitleBox.x1 / 8, kTitleBox.x2 / 8, kBlack,
                std::string("練習の記録　") + std::string(button_of(s.view).title));
  for (const ViewButton& b : kViewButtons) {
    const bool selected = b.view == s.view;
    frame_box(con, b.face.grown(2), kRaisedBox);
    con.fill(b.face, selected ? kRed : kCream);
    con.print(b.label_cell, selected ? kYellow : kBlack, b.label);
  }
  frame_box(con, kExitButton, raised_box(kGreen));
  con.print(kExitLabel, kYellow, "終了");
  con.print({2, 24}, kGrey, "← → で表示を切り替え、Esc で戻ります");
}

// ---- The program --------------------------------------------------------------

void draw(Console& con, ProgressState& s) {
  if (s.view == View::MissedKeys && !s.recent &&
      s.overview.status != history::HistoryRead::Status::Unreadable) {
    const history::HistoryRead r = history::read_history(s.file, kRecentBlocks);
    s.overview.status = r.status;
    s.overview.problem = r.problem;
    s.recent = recent_misses(r.history);
  }
  draw_frame(con, s);
  if (s.overview.status == history::HistoryRead::Status::Unreadable) {
    print_centred(con, 6, 0, 80, kYellow, "練習の記録のファイルを読めません。");
    print_wrapped(con, {2, 8}, 76, kGrey, s.file.string());
    print_wrapped(con, {2, 11}, 76, kGrey, s.overview.problem);
    print_centred(con, 15, 0, 80, kGrey,
                  "ファイルはそのまま残してあります。練習はこれまでどおりできます。");
    return;
  }
  switch (s.view) {
    case View::Speed:
      draw_speed(con, s.overview);
      break;
    case View::TimedTest:
      draw_timed_test(con, s.overview);
      break;
    case View::MissedKeys:
      draw_missed_keys(con, *s.recent);
      break;
    case View::Totals:
      draw_totals(con, s.overview);
      break;
    case View::Words:
      if (!s.words) {
        s.words = word_lessons(con, s.file);
      }
      draw_word_lessons(con, *s.words);
      break;
  }
}

View turned(View v, int by) {
  return static_cast<View>((static_cast<int>(v) + by + kViewCount) % kViewCount);
}

}  // namespace

void run(Console& con) {
  run_with(con, read_overview(history::file_of(con)));
}

void run_with(Console& con, Overview overview) {
  ProgressState s;
  s.file = history::file_of(con);
  s.overview = std::move(overview);
  draw(con, s);
  while (true) {
    const Event e = con.poll(Arm::mouse());
    View next = s.view;
    if (e.is_key()) {
      if (e.key == keys::kEscape) {
        con.start_program(lessonkit::kLauncher);
      }
      if (e.key == keys::kRight || e.key == keys::kDown) {
        next = turned(s.view, 1);
      } else if (e.key == keys::kLeft || e.key == keys::kUp) {
        next = turned(s.view, -1);
      }
    } else if (e.is_mouse()) {
      if (kExitButton.contains_pixel(e.pointer)) {
        con.start_program(lessonkit::kLauncher);
      }
      for (const ViewButton& b : kViewButtons) {
        if (b.face.contains_pixel(e.pointer)) {
          next = b.view;
        }
      }
    }
    if (next != s.view) {
      s.view = next;
      draw(con, s);
    }
  }
}

}  // namespace tutor::progress
