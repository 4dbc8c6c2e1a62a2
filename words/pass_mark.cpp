#include "words/pass_mark.h"

#include <charconv>

#include "words/pass_presets.h"

namespace tutor::words {
namespace {

std::optional<int> whole_number(std::string_view text, int lowest, int highest) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
      value > highest) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<PassMark> parse_pass_mark(std::string_view text, MarkSource source) {
  constexpr int kDefaultPercent = 85;
  const std::size_t colon = text.find(':');
  const auto speed = whole_number(text.substr(0, colon), 1, 600);
  const auto percent = colon == std::string_view::npos
                           ? std::optional<int>(kDefaultPercent)
                           : whole_number(text.substr(colon + 1), 1, 100);
  if (!speed || !percent) {
    return std::nullopt;
  }
  return PassMark{*speed, *percent, {}, source};
}

std::string pass_mark_text(const PassMark& mark) {
  return std::to_string(mark.kana_per_minute) + ":" + std::to_string(mark.percent_right);
}

PassMark preset_mark(std::size_t preset) {
  const PassPreset& p = kPassPresets[preset < kPassPresets.size() ? preset : kGeneralPreset];
  return PassMark{p.kana_per_minute, p.percent_right, std::string(p.name), MarkSource::Learner};
}

lessonkit::Verdict judge(const PassMark& mark,
                         const lessonkit::Score& score,
                         double kana_per_minute,
                         double percent_right) {
  if (mark.first_rule()) {
    return lessonkit::verdict_of(score);
  }
  const bool fast = kana_per_minute >= mark.kana_per_minute;
  const bool careful = percent_right >= mark.percent_right;
  if (fast) {
    return careful ? lessonkit::Verdict::Pass : lessonkit::Verdict::TooManyErrors;
  }
  return careful ? lessonkit::Verdict::TooSlow : lessonkit::Verdict::NotYet;
}

std::string mark_line(const PassMark& mark) {
  std::string whose;
  switch (mark.source) {
    case MarkSource::CommandLine:
      whose = "先生の設定";
      break;
    case MarkSource::Lesson:
      whose = "先生のレッスン";
      break;
    case MarkSource::Class:
      whose = "クラス";
      break;
    case MarkSource::Learner:
      whose = mark.name;
      break;
  }
  if (mark.first_rule()) {
    return "合格の目安：総合評価 80 以上・エラー 30 回まで（" + whose + "）";
  }
  return "合格の目安：" + std::to_string(mark.kana_per_minute) + " 字／分・正しいキー " +
         std::to_string(mark.percent_right) + " ％（" + whose + "）";
}

}  // namespace tutor::words
