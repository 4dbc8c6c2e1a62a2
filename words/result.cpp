#include "words/result.h"

#include <algorithm>

#include "history/history.h"
#include "lessonkit/result_screen.h"
#include "words/passed_lessons.h"

namespace tutor::words {
namespace {

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

}  // namespace

bool show_lesson_result(Console& con,
                        CourseState& s,
                        const LessonEntry& lesson,
                        const WordDrill& drill) {
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

}  // namespace tutor::words
