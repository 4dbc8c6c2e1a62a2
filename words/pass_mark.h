#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lessonkit/evaluation.h"

// The mark a word lesson's block is judged by: a speed in kana a minute and a
// share of right keystrokes, or the course's first rule.
namespace tutor::words {

// Where a mark comes from, the first found of these winning: the command
// line, the lesson file's "#! pass" line, the class server's mark for the
// learner's class, the learner's choice on the menu.
enum class MarkSource { CommandLine, Lesson, Class, Learner };

struct PassMark {
  int kana_per_minute = 0;  // 0: the first rule, an evaluation of 80, at most 30 wrong
  int percent_right = 0;
  std::string name;  // a preset's name, where it is one
  MarkSource source = MarkSource::Learner;

  [[nodiscard]] bool first_rule() const { return kana_per_minute == 0; }
};

// "20" or "20:90" (kana a minute 1-600, percent 1-100; 85 where left out);
// nothing for anything else.
[[nodiscard]] std::optional<PassMark> parse_pass_mark(std::string_view text, MarkSource source);
// "20:90", as parse_pass_mark reads it.
[[nodiscard]] std::string pass_mark_text(const PassMark& mark);

// The learner's preset by its number in kPassPresets.
[[nodiscard]] PassMark preset_mark(std::size_t preset);

// What a block of `kana` kana in `score`'s time, `right` and `wrong`
// keystrokes, gets by the mark.
[[nodiscard]] lessonkit::Verdict judge(const PassMark& mark,
                                       const lessonkit::Score& score,
                                       double kana_per_minute,
                                       double percent_right);

// The line the result screen names the mark by:
// "合格の目安：15 字／分・正しいキー 85 ％（小学校5・6年）".
[[nodiscard]] std::string mark_line(const PassMark& mark);

}  // namespace tutor::words
