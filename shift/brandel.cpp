#include "shift/brandel.h"

#include "console/frame_box.h"
#include "console/print_using.h"
#include "console/records.h"
#include "lessonkit/block_history.h"
#include "lessonkit/home_position.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/result_screen.h"
#include "shift/drill_lines.h"

namespace tutor::shift {
namespace {

// The home keys lose their colours and every key takes its shifted legend.
void draw_drill_screen(Console& con) {
  for (int k : {26, 27, 28, 29, 32, 33, 34, 35}) {
    frame_box(con, lessonkit::key(k).rect, key_box(kCream));
  }
  for (int k = 1; k <= lessonkit::kKeyCount; ++k) {
    lessonkit::write_legend(con, k, kShiftLegends);
  }
  lessonkit::draw_label(con);
  lessonkit::draw_exit_button(con);
}

}  // namespace

float shown_evaluation(float evaluation) {
  // The same rounding as the one decimal of the ResultScreen's "#,###.#".
  return parse_number(format_using("#.#", {static_cast<double>(evaluation)})).value_or(0.0f);
}

bool keep_best(Console& con, float evaluation) {
  const float shown = shown_evaluation(evaluation);
  const auto stored = con.read_record(kBestRecord);
  const float best = stored ? parse_number(*stored).value_or(0.0f) : 0.0f;
  if (shown > best && !con.replace_record(kBestRecord, number_text(shown))) {
    con.fatal_error();
  }
  return shown > best;
}

void run_brandel(Console& con) {
  lessonkit::home_position_screen(con, {kBrandelTitle, kOrange, kGrey, /*home_legends_only=*/true});
  draw_drill_screen(con);
  const lessonkit::BlockResult block = lessonkit::run_block(con, kBrandelDrill, {kBrandelLines});
  const lessonkit::Score score = lessonkit::score_block(block);
  lessonkit::draw_result_screen(con, score);
  const bool new_best = keep_best(con, score.evaluation);
  lessonkit::BlockKeeper history = lessonkit::BlockKeeper::of(con);
  lessonkit::keep_block(con, history, 1, block, score,
                        new_best ? history::results::kNewBest : history::results::kNoNewBest);
  lessonkit::wait_click_or_enter(con);
  con.start_program(lessonkit::kLauncher);
}

}  // namespace tutor::shift
