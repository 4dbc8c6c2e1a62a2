#include "words/lessons.h"

#include <algorithm>

#include "console/text.h"
#include "spelling/kana_line.h"
#include "spelling/romaji.h"
#include "words/material_sets.h"

namespace tutor::words {
namespace {

constexpr std::size_t kMostMissedKana = 5;
constexpr std::size_t kMissedKanaItems = 20;

}  // namespace

std::string LessonEntry::history_name() const {
  switch (kind) {
    case LessonKind::BuiltIn:
      return std::string(set_table(set).id) + std::to_string(number);
    case LessonKind::Own:
      return file;
    case LessonKind::MissedKana:
      break;
  }
  return "missed";
}

LessonEntry built_in_lesson(int number, WordSet set) {
  const Lesson& l = set_table(set).lessons[static_cast<std::size_t>(number - 1)];
  LessonEntry e{LessonKind::BuiltIn, std::string(l.title), number, {}, {}, {}, {}, set};
  for (const Item& i : l.items) {
    e.items.push_back({std::string(i.written), std::string(i.reading)});
  }
  return e;
}

LessonEntry for_kana_input(LessonEntry lesson) {
  std::vector<OwnItem> typed;
  for (OwnItem& item : lesson.items) {
    std::string why;
    for (const char32_t c : spelling::as_hiragana(item.reading)) {
      const bool kana = c >= U'ぁ' && c <= U'ゖ';
      if (kana && spelling::key_kana_of(c).empty()) {
        why = "「" + encode_utf8(std::vector<char32_t>{c}) + "」はかな入力では打てません";
        break;
      }
    }
    if (why.empty() && spelling::KanaLine(item.reading).done()) {
      why = "かな入力で打つ字がありません";
    }
    if (why.empty()) {
      typed.push_back(std::move(item));
    } else {
      lesson.problems.push_back({lesson.file.empty() ? lesson.title : lesson.file, 0,
                                 "「" + item.written + "」: " + why});
    }
  }
  lesson.items = std::move(typed);
  return lesson;
}

LessonEntry own_lesson(OwnLesson lesson) {
  return {LessonKind::Own,        std::move(lesson.title), 0,
          std::move(lesson.file), std::move(lesson.items), std::move(lesson.problems),
          std::move(lesson.pass), WordSet::Everyday};
}

LessonEntry missed_kana_lesson(const KanaCounts& recent, WordSet set) {
  std::vector<std::pair<long long, std::u32string>> missed;
  for (const auto& [kana, counts] : recent) {
    if (counts.second > 0) {
      missed.push_back({counts.second, spelling::as_hiragana(kana)});
    }
  }
  std::stable_sort(missed.begin(), missed.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  missed.resize(std::min(missed.size(), kMostMissedKana));
  LessonEntry e{LessonKind::MissedKana, "苦手なかな", 0, {}, {}, {}, {}, set};
  if (missed.empty()) {
    e.title += "（記録なし）";
    return e;
  }
  // The kana one after another, so that five fit the menu's box.
  e.title += " ";
  for (const auto& [count, kana] : missed) {
    e.title += encode_utf8(std::vector<char32_t>(kana.begin(), kana.end()));
  }
  // Each word scores by how often it holds the missed kana, the most missed
  // weighing most; ties keep the lessons' order.
  std::vector<std::pair<std::size_t, const Item*>> scored;
  const SetTable& table = set_table(set);
  for (std::size_t l = table.first_word_lesson;
       l <= table.last_word_lesson && l < table.lessons.size(); ++l) {
    for (const Item& item : table.lessons[l].items) {
      const std::u32string reading = spelling::as_hiragana(item.reading);
      std::size_t score = 0;
      for (std::size_t rank = 0; rank < missed.size(); ++rank) {
        score += (missed.size() - rank) *
                 static_cast<std::size_t>(
                     std::count(reading.begin(), reading.end(), missed[rank].second.front()));
      }
      if (score > 0) {
        scored.push_back({score, &item});
      }
    }
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t i = 0; i < scored.size() && i < kMissedKanaItems; ++i) {
    e.items.push_back(
        {std::string(scored[i].second->written), std::string(scored[i].second->reading)});
  }
  return e;
}

std::vector<LessonEntry> all_lessons(const std::filesystem::path& own_folder,
                                     const KanaCounts& recent,
                                     WordSet set) {
  std::vector<LessonEntry> all;
  for (int n = 1; n <= static_cast<int>(set_table(set).lessons.size()); ++n) {
    all.push_back(built_in_lesson(n, set));
  }
  for (OwnLesson& own : read_own_lessons(own_folder)) {
    all.push_back(own_lesson(std::move(own)));
  }
  all.push_back(missed_kana_lesson(recent, set));
  return all;
}

}  // namespace tutor::words
