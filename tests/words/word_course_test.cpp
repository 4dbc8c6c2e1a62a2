#include "words/word_course.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>

#include "console/text.h"
#include "history/history.h"
#include "lessonkit/key_table.h"
#include "spelling/romaji.h"
#include "tests/words/kotoba_fixture.h"
#include "words/fingers.h"
#include "words/lessons.h"
#include "words/material.h"
#include "words/menu_layout.h"
#include "words/passed_lessons.h"

namespace tutor::words {
namespace {

using tutor::testing::centre_of;
using tutor::testing::started;

class WordCourseTest : public KotobaTest {
 protected:
  // Types a reading in the guide's own spelling.
  void type_reading(std::string_view reading) {
    script().type(spelling::RomajiLine(reading).rest());
  }
};

// A teacher's lesson started directly: its start screen (the key that ends
// it is not typed), the guide following the learner, the next key lit in its
// finger's colour, a wrong key marked and counted, the result, the history.
TEST_F(WordCourseTest, ALessonFileIsTypedWithTheGuideAndKeptInTheHistory) {
  const auto file = own_lesson("町.txt", "# a teacher's list\n新聞\tしんぶん\n\nきっぷ\n");
  const int s = lessonkit::key_accepting("s"), h = lessonkit::key_accepting("h"),
            i = lessonkit::key_accepting("i"), q = lessonkit::key_accepting("q");
  script().key("x").inspect([&] {
    EXPECT_EQ(text({36, kWrittenRow}, 8), "新聞");
    EXPECT_NE(row(kReadingRow).find("しんぶん"), std::string::npos);
    EXPECT_NE(row(kGuideRow).find("sinbunn"), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(key_face(s), kFingers.colour[static_cast<std::size_t>(s)].index());  // ring finger
    EXPECT_NE(row(22).find("あと   2 問"), std::string::npos) << row(22);
  });
  script().type("sh").inspect([&] {
    EXPECT_NE(row(kGuideRow).find("shinbunn"), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(key_face(i), kFingers.colour[static_cast<std::size_t>(i)].index());
    EXPECT_EQ(key_face(s), 14);
    EXPECT_EQ(key_face(h), 14);
  });
  script().key("q").inspect([&] {
    EXPECT_EQ(key_face(q), 7);  // the key that typed the wrong keystroke
    EXPECT_NE(row(kGuideRow).find("shinbunn"), std::string::npos);
  });
  script().type("inbun'").inspect(
      [&] { EXPECT_NE(row(22).find("あと   1 問"), std::string::npos); });
  script().type("kixtupu").inspect([&] {
    EXPECT_NE(row(12).find("総合評価"), std::string::npos);
    EXPECT_NE(row(14).find("字／分"), std::string::npos) << row(14);
    EXPECT_NE(row(14).find("93.8 ％"), std::string::npos) << row(14);  // 15 of 16
  });
  script().enter();
  EXPECT_EQ(started(run_course({file})), "./Velmora.exe");
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(std::tie(kept[0].program, kept[0].lesson, kept[0].input, kept[0].right, kept[0].wrong),
            std::tuple("Kotoba", "町.txt", "romaji", 15, 1));
  EXPECT_EQ(kept[0].result, "pass");
  EXPECT_EQ(record("KOTOBA.TXT"), "f:町.txt\n");
}

// A bad file never stops the course: each line that cannot be typed is named
// by file, line and the offending character, and the others are typed.
TEST_F(WordCourseTest, AnOwnLessonsBadLinesAreNamedAndTheRestIsTyped) {
  const auto file =
      own_lesson("mix.txt", std::string("朝\tあさ\n") + "X線\tえっくすせんX\n" + "\xff\xfe\n" +
                                std::string(40, 'a') + "\n" + "夜\tよる\n");
  script().inspect([&] {
    const std::string shown = row(6) + row(7) + row(8) + row(9);
    EXPECT_NE(shown.find("mix.txt 2行目: よみの「X」は入力できません"), std::string::npos) << shown;
    EXPECT_NE(shown.find("mix.txt 3行目: UTF-8 ではないバイト \\xFF"), std::string::npos) << shown;
    EXPECT_NE(shown.find("mix.txt 4行目"), std::string::npos) << shown;
  });
  script().enter().key("x");
  type_reading("あさ");
  script().inspect([&] { EXPECT_NE(row(kReadingRow).find("よる"), std::string::npos); });
  type_reading("よる");
  script().enter();
  EXPECT_EQ(started(run_course({file})), "./Velmora.exe");
  const OwnLesson missing = read_own_lesson(root_ / "nowhere.txt");
  ASSERT_EQ(missing.problems.size(), 1u);
  EXPECT_TRUE(missing.items.empty());
}

// A line of 300 KB (a pasted text, a file of one line) is refused as too
// long at the cost of reading it: the course's memory does not grow with the
// square of its length, and the lesson's other lines are kept.
TEST_F(WordCourseTest, AVeryLongLineIsRefusedWithoutCost) {
  std::string huge;
  for (int i = 0; i < 100'000; ++i) {
    huge += "あ";
  }
  const auto file = own_lesson("long.txt", "朝\tあさ\n" + huge + "\n夜\tよる\n");
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  const OwnLesson lesson = read_own_lesson(file);
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  ASSERT_EQ(lesson.problems.size(), 1u);
  EXPECT_EQ(lesson.problems[0].line, 2);
  EXPECT_EQ(lesson.problems[0].what, "長すぎて画面に入りません");
  EXPECT_EQ(lesson.items.size(), 2u);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "KB more at the peak";
}

// The menu lists the built-in lessons, the learner's own, then the lesson
// for missed kana; the first lesson not passed is selected, passed ones are
// marked, and a pass is kept in the record.
TEST_F(WordCourseTest, TheMenuStartsAtTheFirstLessonNotPassedAndKeepsPasses) {
  write_record("KOTOBA.TXT", "1 2\n");
  own_lesson("my.txt", "雨\tあめ\n");
  script().inspect([&] {
    EXPECT_NE(row(4).find("○1 あいうえお"), std::string::npos) << row(4);
    EXPECT_EQ(pixel_at(centre_of(menu_place(2).button)), 2);  // lesson 3 selected
  });
  script().key(keys::kUp).key(keys::kUp).key(keys::kUp).inspect([&] {
    // Up from the first lesson goes round to the last page: the own lesson,
    // then the missed kana's.
    EXPECT_NE(row(4).find("［my］"), std::string::npos) << row(4);
    EXPECT_NE(row(6).find("苦手なかな（記録なし）"), std::string::npos) << row(6);
    // No label of the page shown before stays where this page has no entry.
    for (std::size_t place = 2; place < kEntriesPerPage; ++place) {
      const std::string label = text(menu_place(place).label, kLabelWidth);
      EXPECT_EQ(label.find_first_not_of(' '), std::string::npos) << place << ": " << label;
    }
  });
  script().double_click(centre_of(menu_place(0).button)).key("x");
  type_reading("あめ");
  script().enter().inspect([&] { EXPECT_EQ(record("KOTOBA.TXT"), "1 2 f:my.txt\n"); });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");
}

TEST(PassedLessons, ReadBackAsWritten) {
  PassedLessons p = PassedLessons::parse("3 f:a%20b.txt 1");
  EXPECT_TRUE(p.built_in(1) && p.built_in(3) && !p.built_in(2));
  EXPECT_TRUE(p.own("a b.txt"));
  p.pass_own("50%.txt");
  EXPECT_EQ(PassedLessons::parse(p.line()).line(), p.line());
  EXPECT_TRUE(PassedLessons::parse(p.line()).own("50%.txt"));
}

// The lesson for missed kana is made of built-in words rich in the kana the
// learner missed most.
TEST(MissedKana, TheWordsAreRichInTheKanaMissedMost) {
  const LessonEntry none = missed_kana_lesson({});
  EXPECT_TRUE(none.items.empty());
  const LessonEntry l = missed_kana_lesson({{"ぬ", {10, 9}}, {"ゆ", {30, 4}}, {"あ", {90, 0}}});
  EXPECT_EQ(l.title, "苦手なかな（ぬ・ゆ）");
  ASSERT_FALSE(l.items.empty());
  for (const OwnItem& item : l.items) {
    EXPECT_TRUE(item.reading.find("ぬ") != std::string::npos ||
                item.reading.find("ゆ") != std::string::npos)
        << item.reading;
  }
}

// Every item of the built-in material can be typed and fits the screen.
TEST(Material, EveryBuiltInItemCanBeTypedAndFits) {
  for (const Lesson& lesson : kLessons) {
    EXPECT_GE(lesson.items.size(), 15u) << lesson.title;
    for (const Item& item : lesson.items) {
      EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << item.reading;
      EXPECT_LE(display_width(item.written), kWidestWritten) << item.written;
      EXPECT_LE(display_width(item.reading), kWidestReading) << item.reading;
    }
  }
}

}  // namespace
}  // namespace tutor::words
