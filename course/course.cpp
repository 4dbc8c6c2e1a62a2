#include "course/course.h"

#include <string>

#include "history/history.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/result_screen.h"

namespace tutor::course {
namespace {

using lessonkit::Verdict;

constexpr std::string_view kProgressRecord = "././M0/data/step.TXT";

// The verdict boxes of a stage's step: its own pass box and message, the
// stages' shared box for the rest.
lessonkit::VerdictLooks verdict_looks(const Stage& stage, const Step& step) {
  constexpr lessonkit::VerdictBox kFailed = {{120, 252, 564, 274}, kCyan, 17, kYellow};
  return {{{stage.pass_box, kMagenta, stage.pass_column, kYellow}, step.pass_message},
          {kFailed, lessonkit::kTooManyErrorsMessage},
          {kFailed, "打つ速度が遅すぎます。総合評価を80以上にしましょう。"},
          {kFailed, lessonkit::kNotYetMessage}};
}

lessonkit::BlockResult run_step_block(Console& con,
                                      const Stage& stage,
                                      const Step& step,
                                      const Scheme& initial) {
  return lessonkit::run_block(con, stage.drill, {step.lines, step.schemes, &initial});
}

[[noreturn]] void hand_over(Console& con, const Stage& stage) {
  if (!con.replace_record(kProgressRecord, std::to_string(stage.stage_reached))) {
    con.fatal_error();
  }
  con.start_program(stage.next_program);
}

[[noreturn]] void run_one_block(Console& con, lessonkit::BlockKeeper& history, const Stage& stage) {
  const Step& step = stage.steps.front();
  const Scheme& home_keys = *step.schemes.front().scheme;
  while (true) {
    lessonkit::home_position_screen(con, stage.home);
    // The home keys take the first finger step's face at once.
    for (int k : {26, 27, 28, 29, 32, 33, 34, 35}) {
      lessonkit::draw_key(con, k, home_keys.face(k));
    }
    lessonkit::draw_label(con);
    lessonkit::draw_exit_button(con);
    const auto block = run_step_block(con, stage, step, home_keys);
    if (lessonkit::show_block_result(con, history, 1, block, verdict_looks(stage, step)) ==
        Verdict::Pass) {
      hand_over(con, stage);
    }
  }
}

void draw_drill_screen(Console& con, const Stage& stage, const Step& step) {
  con.clear_screen();
  lessonkit::draw_title_bar(con, stage.home.title_bar_face);
  lessonkit::write_title(con, step.title, stage.home.title_colour);
  lessonkit::draw_label(con);
  lessonkit::draw_exit_button(con);
  if (stage.drill.keyboard_shown) {
    lessonkit::draw_keyboard(con);
  }
  if (stage.home_keys_on_drill_screen) {
    for (int k : {26, 27, 28, 29}) {
      lessonkit::draw_key(con, k, kGrey);
    }
    for (int k : {32, 33, 34, 35}) {
      lessonkit::draw_key(con, k, kLightCyan);
    }
  }
}

[[noreturn]] void run_steps(Console& con, lessonkit::BlockKeeper& history, const Stage& stage) {
  lessonkit::home_position_screen(con, stage.home);
  size_t step = 0;
  while (true) {
    const Step& s = stage.steps[step];
    draw_drill_screen(con, stage, s);
    const auto block = run_step_block(con, stage, s, lessonkit::kNoScheme);
    if (lessonkit::show_block_result(con, history, static_cast<int>(step) + 1, block,
                                     verdict_looks(stage, s)) != Verdict::Pass) {
      continue;  // the same step again, with a fresh block
    }
    if (step + 1 == stage.steps.size()) {
      hand_over(con, stage);
    }
    ++step;
  }
}

}  // namespace

void run_stage(Console& con, const Stage& stage) {
  lessonkit::BlockKeeper history = lessonkit::BlockKeeper::of(con);
  if (stage.one_block_on_home_screen) {
    run_one_block(con, history, stage);
  }
  run_steps(con, history, stage);
}

}  // namespace tutor::course
