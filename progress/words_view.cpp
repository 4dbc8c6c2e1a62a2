// The word course's view of the progress program.

#include <algorithm>

#include "console/text.h"
#include "progress/chart.h"
#include "progress/progress_layout.h"
#include "progress/screen_text.h"
#include "progress/views.h"
#include "words/lessons.h"
#include "words/material_sets.h"
#include "words/passed_lessons.h"
#include "words/preferences.h"

namespace tutor::progress {
namespace {

// A lesson's title by its history name, as the word course's menu shows it.
std::string title_of(std::string_view lesson) {
  if (lesson == "missed") {
    return "苦手なかな";
  }
  for (const words::WordSet set :
       {words::WordSet::Younger, words::WordSet::Older, words::WordSet::Everyday}) {
    const words::SetTable& table = words::set_table(set);
    for (std::size_t n = 1; n <= table.lessons.size(); ++n) {
      if (lesson == std::string(table.id) + std::to_string(n)) {
        return (table.name.empty() ? "" : std::string(table.name) + " ") + std::to_string(n) + " " +
               std::string(table.lessons[n - 1].title);
      }
    }
  }
  return "［" + std::string(lesson) + "］";  // an own lesson's file
}

// What to practise next: the kana missed most where they are missed often,
// else the first lesson of the learner's set and input not yet passed.
std::string next_lesson(Console& con, const std::filesystem::path& history) {
  std::string missed;
  for (const auto& [kana, counts] : history::recent_kana(history, "Kotoba", kRecentBlocks)) {
    const long long all = counts.first + counts.second;
    if (counts.second >= kMissedKanaAtLeast &&
        static_cast<double>(counts.second) >= kMissedKanaRate * static_cast<double>(all)) {
      missed += kana;
    }
  }
  if (!missed.empty()) {
    return "つぎは：苦手なかな（" + missed + "）";
  }
  const words::CourseSettings settings = words::read_course_settings();
  const words::PassedLessons passed =
      words::PassedLessons::parse(con.read_record(words::kPassedRecord).value_or(""));
  const words::WordSet set = words::kPassPresets[settings.preset].words;
  const words::SetTable& table = words::set_table(set);
  for (std::size_t n = 1; n <= table.lessons.size(); ++n) {
    const std::string lesson = std::string(table.id) + std::to_string(n);
    if (!passed.built_in(lesson, settings.mode)) {
      return "つぎは：" + title_of(lesson);
    }
  }
  return "つぎは：自分のレッスンや苦手なかなで、もっと速く";
}

}  // namespace

WordLessons word_lessons(Console& con, const std::filesystem::path& history) {
  WordLessons w;
  (void)history::scan_history(history, [&](const history::BlockRow& b) {
    if (b.program != "Kotoba") {
      return;
    }
    const std::string input = b.input == "kana" ? "kana" : "romaji";
    auto at = std::find_if(w.lessons.begin(), w.lessons.end(), [&](const WordLesson& l) {
      return l.lesson == b.lesson && l.input == input;
    });
    if (at == w.lessons.end()) {
      WordLesson fresh;
      fresh.lesson = std::string(b.lesson);
      fresh.input = input;
      w.lessons.push_back(std::move(fresh));
      at = w.lessons.end() - 1;
    }
    ++at->blocks;
    at->latest_shown = std::string(b.evaluation);
    if (!history::results::is_failure(b.result) && number_of(b.evaluation) > at->best) {
      at->best = number_of(b.evaluation);
      at->best_shown = std::string(b.evaluation);
    }
    // The most recently typed first.
    std::rotate(w.lessons.begin(), at, at + 1);
  });
  w.next = next_lesson(con, history);
  return w;
}

void draw_word_lessons(Console& con, const WordLessons& w) {
  if (w.lessons.empty()) {
    print_centred(con, 10, 0, 80, kGrey, "まだ ことばのレッスンの記録がありません。");
  } else {
    con.print({2, kFirstWordRow - 1}, kGrey,
              "レッスン                              入力      回数  最高の評価  最近の評価");
    int row = kFirstWordRow;
    for (const WordLesson& l : w.lessons) {
      if (row > kLastWordRow) {
        break;
      }
      con.print({2, row}, kWhite, cut_to_width(title_of(l.lesson), 36));
      con.print({40, row}, l.input == "kana" ? kLightCyan : kWhite,
                l.input == "kana" ? "かな" : "ローマ字");
      con.print_using({49, row}, kGrey, "####", {static_cast<double>(l.blocks)});
      con.print({58, row}, kLightGreen, l.best_shown.empty() ? "－" : l.best_shown);
      con.print({70, row}, kGrey, l.latest_shown);
      ++row;
    }
  }
  con.print({2, kNextRow}, kYellow, cut_to_width(w.next, 76));
}

}  // namespace tutor::progress
