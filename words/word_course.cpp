#include "words/word_course.h"

#include "classsync/class_settings.h"
#include "history/history.h"
#include "lessonkit/home_position.h"
#include "lessonkit/screen_pieces.h"
#include "words/course_state.h"
#include "words/drill_screen.h"
#include "words/lessons.h"
#include "words/menu.h"
#include "words/menu_layout.h"
#include "words/messages.h"
#include "words/own_lessons.h"
#include "words/passed_lessons.h"
#include "words/preferences.h"
#include "words/result.h"

namespace tutor::words {
namespace {

// A lesson from its start screen to its result; whether it was passed.
// Leaving the drill (Escape or 終了) keeps no block and passes nothing.
bool type_lesson(Console& con, CourseState& s, const LessonEntry& chosen) {
  const LessonEntry lesson = s.mode == InputMode::Kana ? for_kana_input(chosen) : chosen;
  if (!lesson.problems.empty()) {
    show_problems(con, lesson);
  }
  if (lesson.items.empty()) {
    return false;  // nothing this input types: back to the menu
  }
  lessonkit::home_position_screen(con, {lesson.title, kTitleBarFace, kBlack});
  WordDrill drill(con, lesson, s.mode, s.preferences, s.sounds);
  if (!drill.run()) {
    return false;  // left by Escape or 終了: back to the menu, nothing kept
  }
  for (const auto& [kana, spelling] : drill.chosen()) {
    s.preferences[kana] = spelling;
  }
  write_preferences(s.preferences);
  return show_lesson_result(con, s, lesson, drill);
}

// The class's mark, as the sender last found it on the class server.
std::optional<PassMark> class_mark(const Console& con) {
  const auto text = classsync::read_class_pass_mark(con.file_path(classsync::kClassSettingsFile));
  return text ? parse_pass_mark(*text, MarkSource::Class) : std::nullopt;
}

}  // namespace

std::optional<Options> parse_options(std::span<const std::string_view> args, std::string& problem) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--lesson" && i + 1 < args.size()) {
      o.lesson_file = std::filesystem::path(args[++i]);
    } else if (args[i] == "--kana") {
      o.kana = true;
    } else if (args[i] == "--pass" && i + 1 < args.size() &&
               (o.pass = parse_pass_mark(args[i + 1], MarkSource::CommandLine))) {
      ++i;
    } else {
      problem =
          "usage: Kotoba [--kana] [--pass KANA_PER_MIN[:PERCENT]] [--lesson FILE]\n"
          "  --pass 20:90  a block passes at 20 kana a minute with 90 % of its keys right";
      return std::nullopt;
    }
  }
  return o;
}

void run(Console& con, const Options& options) {
  const CourseSettings settings = read_course_settings();
  CourseState s{{},
                PassedLessons::parse(con.read_record(kPassedRecord).value_or("")),
                read_preferences(),
                lessonkit::BlockKeeper::of(con),
                options.kana ? InputMode::Kana : settings.mode,
                settings.preset,
                settings.sounds,
                options.pass,
                class_mark(con)};
  if (options.lesson_file) {
    const LessonEntry lesson = own_lesson(read_own_lesson(
        options.lesson_file->is_absolute() ? *options.lesson_file
                                           : con.file_path(options.lesson_file->string())));
    if (lesson.items.empty()) {
      show_problems(con, lesson);
    } else if (type_lesson(con, s, lesson)) {
      keep_pass(con, s, lesson);
    }
    con.start_program(lessonkit::kLauncher);
  }
  while (true) {
    s.lessons = all_lessons(con.file_path(kOwnLessonsFolder),
                            history::recent_kana(history::file_of(con), "Kotoba", 50),
                            kPassPresets[s.preset].words);
    std::size_t picked = pick_lesson(con, s);
    if (picked == kOtherSet) {
      continue;
    }
    if (s.lessons[picked].items.empty()) {
      if (s.lessons[picked].kind == LessonKind::MissedKana) {
        const std::string lines[] = {"まだ記録がありません。",
                                     "まず最初のレッスンで練習しましょう。"};
        show_message(con, s.lessons[picked].title, lines);
        picked = 0;
      } else {
        show_problems(con, s.lessons[picked]);
        continue;
      }
    }
    if (type_lesson(con, s, s.lessons[picked])) {
      keep_pass(con, s, s.lessons[picked]);
    }
  }
}

}  // namespace tutor::words
