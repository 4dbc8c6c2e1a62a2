#include "words/word_course.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <map>

#include "console/text.h"
#include "history/history.h"
#include "lessonkit/key_table.h"
#include "spelling/romaji.h"
#include "tests/words/kotoba_fixture.h"
#include "words/fingers.h"
#include "words/lessons.h"
#include "words/material.h"
#include "words/material_sets.h"
#include "words/menu_layout.h"
#include "words/pass_mark.h"
#include "words/pass_presets.h"
#include "words/passed_lessons.h"
#include "words/preferences.h"
#include "words/school_kanji.h"

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
    // A single n for the last ん: the next item begins with k.
    EXPECT_NE(row(kGuideRow).find("sinbun "), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(key_face(s), kFingers.colour[static_cast<std::size_t>(s)].index());  // ring finger
    EXPECT_NE(row(22).find("あと   2 問"), std::string::npos) << row(22);
  });
  script().type("sh").inspect([&] {
    EXPECT_NE(row(kGuideRow).find("shinbun "), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(key_face(i), kFingers.colour[static_cast<std::size_t>(i)].index());
    EXPECT_EQ(key_face(s), 14);
    EXPECT_EQ(key_face(h), 14);
  });
  // A miss: the key struck red, beside the one expected, and counted; a
  // second on the same kana shows, large, what the drill waits for.
  script().key("q").inspect([&] {
    EXPECT_EQ(key_face(q), kRed.index());
    EXPECT_NE(row(kGuideRow).find("shinbun "), std::string::npos);
    EXPECT_NE(row(kMissRow).find("まちがえたキー Q  つぎは I"), std::string::npos) << row(kMissRow);
    EXPECT_NE(row(kMissCounterCell.row).find("まちがい   1 回"), std::string::npos);
  });
  script().key("o").inspect([&] {
    EXPECT_EQ(key_face(q), 14);
    EXPECT_EQ(text({(80 - 2 * 9) / 2, kMissRow}, 18), "し  は  shi");
    EXPECT_NE(row(kMissCounterCell.row).find("まちがい   2 回"), std::string::npos);
  });
  script().type("inbun'").inspect(
      [&] { EXPECT_NE(row(22).find("あと   1 問"), std::string::npos); });
  script().type("kixtupu").inspect([&] {
    EXPECT_NE(row(12).find("1分間に打ったかな"), std::string::npos) << row(12);
    EXPECT_NE(row(14).find("88.2 ％"), std::string::npos) << row(14);  // 15 of 17
    EXPECT_NE(row(18).find("合格の目安：総合評価 80 以上・エラー 30 回まで（一般）"),
              std::string::npos)
        << row(18);
    EXPECT_NE(row(19).find("まちがえたかな：し"), std::string::npos) << row(19);
    EXPECT_NE(row(20).find("まちがえたことば：新聞"), std::string::npos) << row(20);
    EXPECT_NE(row(21).find("Enter でつぎへ"), std::string::npos) << row(21);
  });
  script().enter();
  EXPECT_EQ(started(run_course(lesson_options(file))), "./Velmora.exe");
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(std::tie(kept[0].program, kept[0].lesson, kept[0].input, kept[0].right, kept[0].wrong),
            std::tuple("Kotoba", "町.txt", "romaji", 15, 2));
  EXPECT_EQ(kept[0].result, "pass");
  EXPECT_EQ(record("KOTOBA.TXT"), "f:町.txt\n");
}

// ん as an input method takes it: a last single n, then the next item's
// consonant, begins that item; nn where a vowel follows; a slip between
// costs one keystroke and the typing goes on.
TEST_F(WordCourseTest, ALastNIsTypedAsAnInputMethodTakesIt) {
  const auto file = own_lesson("ん.txt", "去年\tきょねん\n風\tかぜ\n本\tほん\n石\tいし\n");
  script().key("x").type("kyone").inspect([&] {
    EXPECT_NE(row(kGuideRow).find("kyonen"), std::string::npos) << row(kGuideRow);
    EXPECT_EQ(row(kGuideRow).find("kyonenn"), std::string::npos) << row(kGuideRow);
  });
  script().type("nxk").inspect([&] {
    EXPECT_EQ(text({38, kWrittenRow}, 4), "風");
    EXPECT_NE(row(kGuideRow).find("kaze"), std::string::npos) << row(kGuideRow);
  });
  script().type("azeho").inspect(
      [&] { EXPECT_NE(row(kGuideRow).find("honn"), std::string::npos) << row(kGuideRow); });
  script().type("nnisi").enter();
  (void)run_course(lesson_options(file));
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(std::tie(kept[0].right, kept[0].wrong), std::tuple(17, 1));
}

// Who practises sets the pass mark: the learner's choice on the menu (F2,
// kept), the class's over it, a teacher's lesson's "#! pass" line over that,
// the command line over all; the result screen names the mark it judged by,
// and the lesson's best before beside today's. Two kana in 30
// seconds, 4 a minute, with no mistake.
TEST_F(WordCourseTest, ThePassMarkFitsWhoPractisesAndTheResultNamesIt) {
  script().function_key(2).inspect(
      [&] { EXPECT_NE(row(kPresetCell.row).find("目安：小学校1・2年"), std::string::npos); });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");
  EXPECT_EQ(read_course_settings().preset, 0u);

  const auto plain = own_lesson("犬.txt", "犬\tいぬ\n");
  const auto teachers = own_lesson("猫.txt", "#! pass 3:90\n# ねこ\n猫\tねこ\n");
  const auto bad = own_lesson("鳥.txt", "#! pass fast\n鳥\tとり\n");
  struct Run {
    std::filesystem::path file;
    std::optional<PassMark> command;
    std::string_view keys, verdict, mark;
    std::string_view best = "";  // the lesson's best before, beside today's
  };
  for (const Run& r :
       {Run{plain, {}, "inu", "もう少し速く", "6 字／分・正しいキー 80 ％（小学校1・2年）"},
        Run{plain, {}, "inu", "合格です", "2 字／分・正しいキー 50 ％（クラス）"},
        Run{teachers, {}, "neko", "合格です", "3 字／分・正しいキー 90 ％（先生のレッスン）"},
        Run{teachers, parse_pass_mark("5:50", MarkSource::CommandLine), "neko", "もう少し速く",
            "5 字／分・正しいキー 50 ％（先生の設定）", "これまでの最高     4.0 字"}}) {
    script().key("x").type(r.keys.substr(0, 1)).wait(30).type(r.keys.substr(1)).inspect([&] {
      EXPECT_NE(row(16).find(r.verdict), std::string::npos) << row(16);
      EXPECT_NE(row(18).find(r.mark), std::string::npos) << row(18);
      EXPECT_EQ(row(14).find("これまで") != std::string::npos, !r.best.empty()) << row(14);
      EXPECT_NE(row(14).find(r.best), std::string::npos) << row(14);
    });
    script().enter();
    Options options = lesson_options(r.file);
    options.pass = r.command;
    (void)run_course(options);
    // From the second run on, the class server's mark for the learner's class.
    write_record("class.conf", "pass=2:50\n");
  }
  // A "#! pass" line that says no mark is named, and the lesson is typed all the same.
  EXPECT_EQ(read_own_lesson(bad).problems.size(), 1u);
  EXPECT_FALSE(read_own_lesson(bad).pass);
  EXPECT_EQ(read_own_lesson(bad).items.size(), 1u);
  EXPECT_EQ(read_own_lesson(teachers).title, "ねこ");

  // The rule itself: fast enough and careful enough, either, or neither.
  const PassMark mark = preset_mark(2);  // 小学校5・6年
  using lessonkit::Verdict;
  EXPECT_EQ(judge(mark, {}, 15.0, 85.0), Verdict::Pass);
  EXPECT_EQ(judge(mark, {}, 15.0, 84.9), Verdict::TooManyErrors);
  EXPECT_EQ(judge(mark, {}, 14.9, 85.0), Verdict::TooSlow);
  EXPECT_EQ(judge(mark, {}, 14.9, 84.9), Verdict::NotYet);
  EXPECT_EQ(judge(preset_mark(kGeneralPreset), {{1, 0}, 31, 90.0f}, 1.0, 10.0),
            Verdict::TooManyErrors);
  EXPECT_EQ(pass_mark_text(*parse_pass_mark("20", MarkSource::Lesson)), "20:85");
  for (const std::string_view refused : {"", "0", "20:0", "20:101", "x", "20:", ":90", "601"}) {
    EXPECT_FALSE(parse_pass_mark(refused, MarkSource::Lesson)) << refused;
  }
  std::string problem;
  EXPECT_FALSE(parse_options(std::vector<std::string_view>{"--pass", "fast"}, problem));
  EXPECT_NE(problem.find("--pass 20:90"), std::string::npos);
}

// Who practises chooses the built-in lessons too: a younger child's are the
// younger children's set, named on the menu's title, and their passes are
// kept apart from those of the everyday words.
TEST_F(WordCourseTest, WhoPractisesChoosesTheirStagesWords) {
  write_record("KOTOBA.TXT", "1\n");
  script().function_key(2).inspect([&] {
    EXPECT_NE(row(kTitleCell.row).find("ことばの練習  低学年"), std::string::npos)
        << row(kTitleCell.row);
    EXPECT_NE(row(4).find("  1 あいうえお"), std::string::npos) << row(4);  // not passed here
  });
  script().key(keys::kPageDown).inspect([&] {
    EXPECT_NE(row(4).find("22 かぞく"), std::string::npos) << row(4);
  });
  script().key(keys::kPageUp).enter().key("x");
  for (const Item& item : set_table(WordSet::Younger).lessons[0].items) {
    type_reading(item.reading);
  }
  script().enter().inspect([&] { EXPECT_EQ(record("KOTOBA.TXT"), "1 l1\n"); });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].lesson, "l1");
}

// Sounds are off until F3 switches them on, and kept: then a click a right
// key, a low tone a miss, a chime a pass, and nothing of them where off.
TEST_F(WordCourseTest, SoundsPlayOnlyWhenSwitchedOn) {
  const auto file = own_lesson("犬.txt", "犬\tいぬ\n");
  script().key("x").type("iqnu").enter();
  (void)run_course(lesson_options(file));
  EXPECT_TRUE(backend_.played().empty());

  script().function_key(3).inspect([&] {
    EXPECT_NE(row(kSoundCell.row).find("音：あり"), std::string::npos) << row(kSoundCell.row);
  });
  script().key(keys::kEscape);
  (void)run_course();
  EXPECT_TRUE(read_course_settings().sounds);
  EXPECT_EQ(backend_.played(), std::vector{Sound::KeyClick});

  script().key("x").type("iqnu").enter();
  (void)run_course(lesson_options(file));
  EXPECT_EQ(backend_.played(), (std::vector{Sound::KeyClick, Sound::KeyClick, Sound::Miss,
                                            Sound::KeyClick, Sound::KeyClick, Sound::Chime}));
}

// A passage longer than a line wraps: the line being typed and the next are
// shown, and the written form's line as far through it; the next kana is
// always in view, and the whole passage is one item.
TEST_F(WordCourseTest, APassageWrapsWithTheNextKanaAlwaysInView) {
  auto times = [](std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
      out += s;
    }
    return out;
  };
  const std::string reading = times("か", 38) + times("さ", 38) + times("た", 38) + times("な", 6);
  const std::string written = times("川", 50) + times("山", 50);
  const auto file = own_lesson("長文.txt", written + "\t" + reading + "\n");
  script().key("x").inspect([&] {
    EXPECT_NE(row(kWrittenRow).find(times("川", 38)), std::string::npos) << row(kWrittenRow);
    EXPECT_NE(row(kWrittenRow + 1).find(times("か", 38)), std::string::npos);
    EXPECT_NE(row(kWrittenRow + 2).find(times("さ", 38)), std::string::npos);
  });
  script().type(times("ka", 38)).inspect([&] {
    EXPECT_NE(row(kWrittenRow + 1).find(times("さ", 38)), std::string::npos)
        << row(kWrittenRow + 1);
    EXPECT_NE(row(kWrittenRow + 2).find(times("た", 38)), std::string::npos);
  });
  script().type(times("sa", 38)).inspect([&] {
    EXPECT_NE(row(kWrittenRow).find(times("川", 12) + times("山", 26)), std::string::npos)
        << row(kWrittenRow);
    EXPECT_NE(row(kWrittenRow + 1).find(times("た", 38)), std::string::npos);
    EXPECT_NE(row(kGuideRow).find("tata"), std::string::npos) << row(kGuideRow);
  });
  script().type(times("ta", 38) + times("na", 5)).inspect([&] {
    EXPECT_NE(row(kWrittenRow + 1).find(times("な", 6)), std::string::npos);
  });
  script().type("na").enter();
  (void)run_course(lesson_options(file));
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].right, 240);
  EXPECT_EQ(kept[0].wrong, 0);
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
  EXPECT_EQ(started(run_course(lesson_options(file))), "./Velmora.exe");
  const OwnLesson missing = read_own_lesson(root_ / "nowhere.txt");
  ASSERT_EQ(missing.problems.size(), 1u);
  EXPECT_TRUE(missing.items.empty());
}

// Lesson files as teachers make them: saved by Notepad or Excel in
// Shift_JIS, with a byte-order mark, with an old Mac's line ends, named .TXT,
// titled by a first comment line; '#' inside a word is no comment, and a
// missing reading, a control character and an empty file are named as such.
TEST_F(WordCourseTest, LessonFilesAsTeachersMakeThemAreRead) {
  own_lesson("sjis.TXT", "\x89\x4a\t\x82\xa0\x82\xdf\r\n");  // 雨<TAB>あめ in CP932
  own_lesson("bom.txt", "\xEF\xBB\xBF朝\tあさ\n");
  own_lesson("mac.txt", "夜\tよる\r昼\tひる\r");
  own_lesson("titled.txt", "\n# 町のことば\nC#言語\tしーしゃーぷげんご\n# a later note\n");
  own_lesson("faults.txt", "本\t\n\x1b[31m赤\tあか\n\tいぬ\n");
  own_lesson("empty.txt", "");
  const std::vector<OwnLesson> read = read_own_lessons(root_ / kOwnLessonsFolder);
  std::map<std::string, OwnLesson> by_file;
  for (const OwnLesson& l : read) {
    by_file[l.file] = l;
  }
  ASSERT_EQ(by_file.size(), 6u);
  const auto items_of = [&](const std::string& file) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const OwnItem& i : by_file[file].items) {
      out.emplace_back(i.written, i.reading);
    }
    return out;
  };
  using Items = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(items_of("sjis.TXT"), (Items{{"雨", "あめ"}}));
  EXPECT_EQ(items_of("bom.txt"), (Items{{"朝", "あさ"}}));
  EXPECT_EQ(items_of("mac.txt"), (Items{{"夜", "よる"}, {"昼", "ひる"}}));
  EXPECT_EQ(items_of("titled.txt"), (Items{{"C#言語", "しーしゃーぷげんご"}}));
  EXPECT_EQ(by_file["titled.txt"].title, "町のことば");
  EXPECT_EQ(by_file["mac.txt"].title, "mac");
  for (const auto& file : {"sjis.TXT", "bom.txt", "mac.txt", "titled.txt", "empty.txt"}) {
    EXPECT_TRUE(by_file[file].problems.empty()) << file;
  }
  EXPECT_TRUE(by_file["empty.txt"].items.empty());
  std::vector<std::string> faults;
  for (const Problem& p : by_file["faults.txt"].problems) {
    faults.push_back(std::to_string(p.line) + " " + p.what);
  }
  EXPECT_EQ(faults, (std::vector<std::string>{"1 よみがありません", "2 制御文字 U+001B があります",
                                              "3 書き方がありません"}));
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
  EXPECT_EQ(lesson.problems[0].what, "長すぎます（400 字まで）");
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
  // Escape in a drill goes back to the menu, and keeps no block.
  script().double_click(centre_of(menu_place(0).button)).key("x").type("a").key(keys::kEscape);
  script().inspect([&] {
    EXPECT_NE(row(1).find("ことばの練習"), std::string::npos) << row(1);
    EXPECT_FALSE(std::filesystem::exists(root_ / history::kHistoryFile));
  });
  script().key(keys::kUp).key(keys::kUp).key(keys::kUp);
  script().double_click(centre_of(menu_place(0).button)).key("x");
  type_reading("あめ");
  script().enter().inspect([&] { EXPECT_EQ(record("KOTOBA.TXT"), "1 2 f:my.txt\n"); });
  // A page on lands on its first lesson not passed: 15 and 16 are.
  script().inspect([&] { write_record("KOTOBA.TXT", "1 2 15 16 f:my.txt\n"); });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");
  script().key(keys::kPageDown).inspect([&] {
    EXPECT_EQ(pixel_at(centre_of(menu_place(2).button)), 2);  // lesson 17 selected
    // The fingers' colours, named in them.
    EXPECT_NE(row(kFingerLegendCell.row).find("指の色：小指 薬指 中指 人差し指 親指"),
              std::string::npos)
        << row(kFingerLegendCell.row);
  });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run_course()), "./Velmora.exe");
}

// Passes of romaji and of kana input are kept apart: the menu marks each
// input's own, and a pass in kana input marks no lesson passed in romaji.
TEST_F(WordCourseTest, PassesOfEachInputAreKeptApart) {
  write_record("KOTOBA.TXT", "1 k2\n");
  script().inspect([&] {
    EXPECT_NE(row(4).find("○1 あいうえお"), std::string::npos) << row(4);
    EXPECT_NE(row(6).find("  2 か行"), std::string::npos) << row(6);
  });
  script().key(keys::kTab).inspect([&] {
    EXPECT_NE(row(4).find("  1 あいうえお"), std::string::npos) << row(4);
    EXPECT_NE(row(6).find("○2 か行"), std::string::npos) << row(6);
  });
  script().key(keys::kEscape);
  (void)run_course();
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
  EXPECT_EQ(l.title, "苦手なかな ぬゆ");
  ASSERT_FALSE(l.items.empty());
  for (const OwnItem& item : l.items) {
    EXPECT_TRUE(item.reading.find("ぬ") != std::string::npos ||
                item.reading.find("ゆ") != std::string::npos)
        << item.reading;
  }
}

// Every item of the built-in material can be typed and fits the screen.
// Every set's lessons can be typed and fit; a word lesson holds at least 15
// items, a lesson of stories passages longer than a line.
TEST(Material, EveryBuiltInItemCanBeTypedAndFits) {
  for (const SetTable& set : kSets) {
    for (const Lesson& lesson : set.lessons) {
      const bool stories = std::all_of(lesson.items.begin(), lesson.items.end(), [](const Item& i) {
        return display_width(i.reading) > kLineColumns;
      });
      EXPECT_GE(lesson.items.size(), stories ? 3u : 15u) << lesson.title;
      for (const Item& item : lesson.items) {
        EXPECT_FALSE(spelling::RomajiLine(item.reading).untypeable_at()) << item.reading;
        EXPECT_LE(decode_utf8(item.written).size(), kLongestItem) << item.written;
        EXPECT_LE(decode_utf8(item.reading).size(), kLongestItem) << item.reading;
      }
    }
  }
}

// The children's sets write in kanji only what a child of that stage has
// learned (the younger the first two years', the older the first three's),
// and a kana row's lesson uses only the kana of its row and those before.
TEST(Material, TheChildrensSetsFitTheirSchoolYears) {
  const std::u32string younger = std::u32string(kFirstYearKanji) + std::u32string(kSecondYearKanji);
  const std::u32string older = younger + std::u32string(kThirdYearKanji);
  auto check_kanji = [](const SetTable& set, const std::u32string& known) {
    for (const Lesson& lesson : set.lessons) {
      for (const Item& item : lesson.items) {
        for (const char32_t c :
             decode_utf8(std::string(item.written) + std::string(lesson.title))) {
          if (c >= U'\u4E00' && c <= U'\u9FFF') {
            EXPECT_NE(known.find(c), std::u32string::npos)
                << encode_utf8(c) << " in " << item.written << " (" << lesson.title << ")";
          }
        }
      }
    }
  };
  check_kanji(set_table(WordSet::Younger), younger);
  check_kanji(set_table(WordSet::Older), older);

  constexpr std::u32string_view kRows[] = {
      U"あいうえお", U"かきくけこ", U"さしすせそ", U"たちつてと", U"なにぬねの",
      U"はひふへほ", U"まみむめも", U"やゆよ",     U"らりるれろ", U"わをん",
      U"がぎぐげご", U"ざじずぜぞ", U"だぢづでど", U"ばびぶべぼ", U"ぱぴぷぺぽ"};
  for (const SetTable& set : kSets) {
    std::u32string allowed = U"、。";
    for (std::size_t row = 0; row < std::size(kRows); ++row) {
      allowed += kRows[row];
      for (const Item& item : set.lessons[row].items) {
        for (const char32_t c : spelling::as_hiragana(item.reading)) {
          EXPECT_NE(allowed.find(c), std::u32string::npos)
              << encode_utf8(c) << " in " << item.reading << " (" << set.lessons[row].title << ")";
        }
      }
    }
  }
}

}  // namespace
}  // namespace tutor::words
