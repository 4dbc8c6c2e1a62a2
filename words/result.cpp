#include "words/result.h"

#include <algorithm>
#include <optional>

#include "console/frame_box.h"
#include "console/text.h"
#include "history/history.h"
#include "lessonkit/home_position.h"
#include "lessonkit/result_screen.h"
#include "words/menu_layout.h"
#include "words/pass_mark.h"
#include "words/passed_lessons.h"

namespace tutor::words {
namespace {

// The messages of a mark by school stage say what to do next in words a
// child reads; the first rule keeps the course's first messages.
lessonkit::VerdictLooks verdict_looks(const PassMark& mark) {
  constexpr lessonkit::VerdictBox kFailed = {{120, 252, 564, 274}, kCyan, 17, kYellow};
  const lessonkit::VerdictLook pass = {{{100, 252, 564, 274}, kMagenta, 15, kYellow},
                                       "合格です。つぎのレッスンに進みましょう。"};
  if (mark.first_rule()) {
    return {pass,
            {kFailed, lessonkit::kTooManyErrorsMessage},
            {kFailed, "打つ速度が遅すぎます。総合評価を80以上にしましょう。"},
            {kFailed, lessonkit::kNotYetMessage}};
  }
  return {pass,
          {kFailed, "まちがいが多いです。ゆっくりていねいに打ちましょう。"},
          {kFailed, "正しく打てています。もう少し速く打ってみましょう。"},
          {kFailed, "ゆっくりでよいので、ていねいに打ちましょう。"}};
}

// The kana missed in this block, the most missed first, at most eight.
std::string missed_kana(const std::vector<history::KanaTally>& kana) {
  std::vector<history::KanaTally> missed;
  std::copy_if(kana.begin(), kana.end(), std::back_inserter(missed),
               [](const history::KanaTally& k) { return k.wrong > 0; });
  std::stable_sort(missed.begin(), missed.end(),
                   [](const auto& a, const auto& b) { return a.wrong > b.wrong; });
  std::string line;
  for (std::size_t i = 0; i < missed.size() && i < 8; ++i) {
    line += (i == 0 ? "" : "　") + missed[i].kana;
  }
  return line;
}

// The best speed of the lesson's earlier passed blocks in this input, in kana
// a minute; every kept block is the whole lesson, so its kana are the
// lesson's. Nothing where there is none.
std::optional<double> best_before(const Console& con,
                                  const CourseState& s,
                                  const LessonEntry& lesson) {
  std::size_t kana = 0;
  for (const OwnItem& item : lesson.items) {
    kana += decode_utf8(item.reading).size();
  }
  const std::string name = lesson.history_name();
  const std::string_view input =
      s.mode == InputMode::Kana ? history::kInputKana : history::kInputRomaji;
  std::optional<double> best;
  (void)history::scan_history(history::file_of(con), [&](const history::BlockRow& b) {
    if (b.program != "Kotoba" || b.lesson != name ||
        (b.input == history::kInputKana) != (input == history::kInputKana) ||
        history::results::is_failure(b.result)) {
      return;
    }
    const double speed = static_cast<double>(kana) * 60.0 / std::max(1, b.seconds);
    best = std::max(best.value_or(0), speed);
  });
  return best;
}

// The block on three bars, as every course shows one, but in the word
// course's one speed: kana a minute.
void draw_figures(Console& con,
                  const lessonkit::Score& score,
                  double kana_per_minute,
                  double percent_right) {
  con.clear_screen();
  constexpr Colour kBarFaces[] = {kRed, kGreen, kYellow};
  for (int i = 0; i < 3; ++i) {
    frame_box(con, {162, 124 + 32 * i, 494, 146 + 32 * i}, raised_box(kBarFaces[i]));
  }
  con.print_using(
      {22, 8}, kGrey, "かかった時間　　　　 #### 分 ## 秒",
      {static_cast<double>(score.time.minutes), static_cast<double>(score.time.seconds)});
  con.print_using({22, 10}, kGrey, "まちがえたキー　　　#,### 回",
                  {static_cast<double>(score.errors)});
  // Black on the yellow bar: grey there could not be read.
  con.print_using({22, 12}, kBlack, "1分間に打ったかな　#,###.# 字", {kana_per_minute});
  con.print_using({14, 14}, kGrey, "正しく打ったキー　 ###.# ％", {percent_right});
}

void draw_best(Console& con, std::optional<double> best) {
  if (best) {
    con.print_using({50, 14}, kLightGreen, "これまでの最高 #,###.# 字", {*best});
  }
}

}  // namespace

bool show_lesson_result(Console& con,
                        CourseState& s,
                        const LessonEntry& lesson,
                        const WordDrill& drill) {
  const lessonkit::BlockResult& block = drill.result();
  const lessonkit::Score score = lessonkit::score_block(block);
  const double minutes = std::max(1, score.time.minutes * 60 + score.time.seconds) / 60.0;
  const double kana_per_minute = static_cast<double>(drill.kana_typed()) / minutes;
  const int keystrokes = block.right + block.wrong;
  const double percent_right = keystrokes == 0 ? 0 : 100.0 * block.right / keystrokes;
  const PassMark mark = s.mark_for(lesson);
  const lessonkit::Verdict verdict = judge(mark, score, kana_per_minute, percent_right);

  const std::optional<double> best = best_before(con, s, lesson);  // before today's is kept
  draw_figures(con, score, kana_per_minute, percent_right);
  draw_best(con, best);
  const lessonkit::VerdictLooks looks = verdict_looks(mark);
  const lessonkit::VerdictLook& look = looks.of(verdict);
  lessonkit::draw_verdict(con, look.box, look.message);
  const std::string line = mark_line(mark);
  con.print({(80 - display_width(line)) / 2, 18}, kLightCyan, line);
  const std::string missed = missed_kana(drill.kana_tallies());
  if (!missed.empty()) {
    const std::string shown = cut_to_width("まちがえたかな：" + missed, 76);
    con.print({(80 - display_width(shown)) / 2, 19}, kWhite, shown);
  }
  std::string words;
  for (const std::string& word : drill.missed_words()) {
    words += (words.empty() ? "" : "　") + word;
  }
  if (!words.empty()) {
    const std::string shown = cut_to_width("まちがえたことば：" + words, 76);
    con.print({(80 - display_width(shown)) / 2, 20}, kWhite, shown);
  }
  con.print({34, 21}, kYellow, "Enter でつぎへ");

  const lessonkit::ResultExtras extras{
      {},
      lesson.history_name(),
      s.mode == InputMode::Kana ? history::kInputKana : history::kInputRomaji,
      drill.kana_tallies()};
  lessonkit::keep_block(con, s.history, lesson.number, block, score,
                        lessonkit::verdict_name(verdict), extras);
  if (s.sounds && verdict == lessonkit::Verdict::Pass) {
    con.play(Sound::Chime);
  }
  lessonkit::wait_click_or_enter(con);
  return verdict == lessonkit::Verdict::Pass;
}

void keep_pass(Console& con, CourseState& s, const LessonEntry& lesson) {
  if (lesson.kind == LessonKind::BuiltIn) {
    s.passed.pass_built_in(lesson.history_name(), s.mode);
  } else if (lesson.kind == LessonKind::Own) {
    s.passed.pass_own(lesson.file, s.mode);
  } else {
    return;
  }
  if (!con.replace_record(kPassedRecord, s.passed.line())) {
    con.fatal_error();
  }
}

}  // namespace tutor::words
