#include "keygroups/key_group_course.h"

#include "console/frame_box.h"
#include "history/history.h"
#include "lessonkit/home_position.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/result_screen.h"
#include "lessonkit/screen_pieces.h"

namespace tutor::keygroups {
namespace {

using lessonkit::Verdict;

constexpr lessonkit::DrillLook kKeyGroupDrill = {
    .keyboard_shown = true,
    .light_next_key = true,
    .mark_wrong_key = true,
    .cell_shadow = kBlue,
    .strip = lessonkit::kKeyGroupStrip,
    .cursor = lessonkit::Cursor::FilledCell,
    .wrong_keys = lessonkit::WrongKeys::IgnoreUnknown,
    .counter = lessonkit::kKeyGroupCounter,
    .legends = &lessonkit::kPlainLegends,
    .target_of = lessonkit::plain_target,
    .key_of_keystroke = lessonkit::plain_key_of,
    .leaves = lessonkit::in_key_group_exit_area,
};

// The opening of every step: the keyboard, the home keys and the prompt, a
// wait for a key or a click, then the drill screen's label, exit button and
// step title.
void step_start(Console& con, const KeyGroupCourse& course, const Step& step) {
  con.clear_screen();
  lessonkit::draw_keyboard(con);
  lessonkit::draw_title_bar(con, kPink);
  for (int i = 0; i < 4; ++i) {
    frame_box(con, {226 + 32 * i, 44, 252 + 32 * i, 68}, raised_box(kLightCyan));
    lessonkit::draw_key(con, 32 + i, kLightCyan);  // J K L ;
    frame_box(con, {226 + 32 * i, 76, 252 + 32 * i, 100}, raised_box(kGrey));
    lessonkit::draw_key(con, 26 + i, kGrey);  // A S D F
  }
  lessonkit::write_title(con, course.home_title, kBlack);
  lessonkit::write_home_position_prompt(con);

  lessonkit::wait_any_input(con, Arm::mouse());

  for (int row : {3, 5}) {
    con.blank({9, row}, 60);
    con.blank({27, row}, 17);
  }
  con.blank({12, 22}, 34);
  con.blank({42, 22}, 33);
  con.fill({224, 40, 350, 108}, kBlack);

  lessonkit::draw_label(con, lessonkit::kKeyGroupLabel);
  lessonkit::draw_exit_button(con);
  lessonkit::write_title(con, step.title, kBlack);
}

// The verdict boxes of a key-group step: a pass in orange with the step's
// message, the rest in cyan.
lessonkit::VerdictLooks verdict_looks(const Step& step) {
  constexpr Rect kBox = {130, 252, 544, 274};
  constexpr lessonkit::VerdictBox kFailed = {kBox, kCyan, 17, kGrey};
  return {{{kBox, kOrange, 17, kYellow}, step.pass_message},
          {kFailed, lessonkit::kTooManyErrorsMessage},
          {kFailed, "スピードが遅すぎます。総合評価を80以上にしましょう。"},
          {kFailed, lessonkit::kNotYetMessage}};
}

}  // namespace

void run_course(Console& con, const KeyGroupCourse& course) {
  lessonkit::BlockKeeper history = lessonkit::BlockKeeper::of(con);
  size_t step = 0;
  while (true) {
    const Step& s = course.steps[step];
    step_start(con, course, s);
    const auto block = lessonkit::run_block(con, kKeyGroupDrill, {s.lines, s.schemes});
    const bool passed = lessonkit::show_block_result(con, history, static_cast<int>(step) + 1,
                                                     block, verdict_looks(s)) == Verdict::Pass;
    if (passed && step + 1 == course.steps.size()) {
      if (!con.replace_record(course.record, "クリアー")) {
        con.fatal_error();
      }
      con.start_program(lessonkit::kLauncher);
    }
    if (passed) {
      ++step;
    } else if (!course.repeats_failed_step) {
      con.start_program(lessonkit::kLauncher);
    }
  }
}

}  // namespace tutor::keygroups
