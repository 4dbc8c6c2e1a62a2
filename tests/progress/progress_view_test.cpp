#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "console/text.h"
#include "history/history.h"
#include "lessonkit/key_table.h"
#include "progress/csv.h"
#include "progress/progress_layout.h"
#include "progress/progress_program.h"
#include "tests/support/headless_fixture.h"
#include "words/preferences.h"

namespace tutor::progress {
namespace {

using history::BlockEntry;
using history::HistoryWriter;
using history::kHistoryFile;
using history::kRecordsCleared;
using history::Mark;
using tutor::testing::centre_of;
using tutor::testing::started;

class ProgressViewTest : public tutor::testing::HeadlessTest {
 protected:
  ProgressViewTest() : HeadlessTest("Progress") {}

  [[nodiscard]] std::filesystem::path history_file() const { return root_ / kHistoryFile; }
  void keep(const BlockEntry& b) { ASSERT_TRUE(HistoryWriter(history_file()).keep(b)); }
  // The block a program of the staged course keeps, with its evaluation.
  static BlockEntry block(std::string at, std::string program, std::string evaluation) {
    return {std::move(at),
            std::move(program),
            1,
            60,
            100,
            2,
            std::move(evaluation),
            "pass",
            {},
            {},
            {},
            {}};
  }
  [[nodiscard]] int key_face(int k) const {
    return pixel({lessonkit::key(k).rect.x1 + 2, lessonkit::key(k).rect.y1 + 2});
  }
  // The whole view shown after the keys pressed so far.
  [[nodiscard]] std::string title() const { return row(kTitleRow); }
};

TEST_F(ProgressViewTest, TheSpeedChartGivesEachStageItsLineAndDrawsFailedBlocksHollow) {
  // 100 at most: seven steps of 20 up to 140, 1.6 design units to a point;
  // two days from the first block to the last over 504 units, 84 to 588.
  keep(block("2026-12-01T10:00:00+09:00", "Ostrin", "70.0"));
  BlockEntry failed = block("2026-12-02T10:00:00+09:00", "Ostrin", "100.0");
  failed.result = history::results::kTooManyErrors;
  keep(failed);
  keep(block("2026-12-02T11:00:00+09:00", "Zarbet", "900"));  // not on this chart
  keep(block("2026-12-03T10:00:00+09:00", "Palvek", "60.0"));
  ASSERT_TRUE(HistoryWriter(history_file())
                  .keep(Mark{"2026-12-01T22:00:00+09:00", std::string(kRecordsCleared)}));
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  const int first = kPlotLeft + kPointInset, last = kPlotRight - kPointInset;
  EXPECT_EQ(pixel({first, 296 - 112}), 9);  // 70, off the value axis
  EXPECT_EQ(pixel({kPlotLeft, 296 - 112}), kAxisColour.index());
  EXPECT_EQ(pixel({336, 296 - 160}), 0);  // 100 failed: hollow
  EXPECT_EQ(pixel({334, 296 - 160}), 9);
  EXPECT_EQ(pixel({last, 296 - 96}), 9);  // 60 on Palvek's first day
  // No line from Ostrin's last block down to Palvek's first.
  for (int y = 296 - 160 + 10; y <= 296 - 96 - 10; ++y) {
    EXPECT_NE(pixel({462, y}), 9) << y;
  }
  EXPECT_EQ(pixel({200, 296 - 128}), 2);  // the pass line at 80
  EXPECT_EQ(pixel({200, 296 - 127}), 0);
  EXPECT_EQ(pixel({first + 126, kPlotTop}), 15);  // the mark, a quarter of the way
  EXPECT_EQ(text({6, kPlotTopRow}, 3), "140");
  EXPECT_EQ(text({9, kDateRow}, 10), "2026-12-01");
  EXPECT_EQ(text({65, kDateRow}, 10), "2026-12-03");
  EXPECT_NE(row(kHollowNoteRow).find(kFailedBlocksNote), std::string::npos);
  EXPECT_NE(row(kLegendRow).find("かな"), std::string::npos);
  EXPECT_NE(row(kLegendRow).find("クリア"), std::string::npos) << row(kLegendRow);
}

// Under two days the ends of the time axis name the minute, a single moment
// stands in the middle, and a point on the floor stays clear of the axis.
TEST_F(ProgressViewTest, TheTimeAxisNamesTheMinuteUnderTwoDays) {
  keep(block("2026-12-01T09:05:00+09:00", "Quillon", "0.0"));
  script().inspect([this] {
    EXPECT_EQ(pixel({(kPlotLeft + kPlotRight) / 2, kPointFloor}), 12);
    EXPECT_EQ(pixel({(kPlotLeft + kPlotRight) / 2, kPlotBottom - 1}), 0);
    EXPECT_EQ(text({34, kDateRow}, 16), "2026-12-01 09:05");
  });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  keep(block("2026-12-02T21:40:00+09:00", "Quillon", "90.0"));
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_EQ(text({9, kDateRow}, 16), "2026-12-01 09:05");
  EXPECT_EQ(text({59, kDateRow}, 16), "2026-12-02 21:40");
}

// The scale runs over the grades reached; a test below zero stretches none
// of it. Each new best grade is named over its point; the top line too.
TEST_F(ProgressViewTest, TheTimedTestChartNamesNewGradesAndKeepsToTheGradesReached) {
  keep(block("2026-12-01T10:00:00+09:00", "Zarbet", "250"));  // ５級, 240-300
  keep(block("2026-12-02T10:00:00+09:00", "Zarbet", "100"));  // ８級, 60-120
  keep(block("2026-12-03T10:00:00+09:00", "Zarbet", "-30"));  // below zero
  keep(block("2026-12-05T10:00:00+09:00", "Zarbet", "400"));  // ３級, 360-420
  script().key(keys::kRight);
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  // 60 at the bottom to 420 at the top: 224 units over 360.
  auto y_of = [](double v) { return kPlotBottom - int(std::lround((v - 60) * 224 / 360)); };
  EXPECT_EQ(text({5, kPlotBottomRow}, 4), "８級");
  EXPECT_EQ(text({5, kPlotTopRow}, 4), "２級");
  const int x0 = kPlotLeft + kPointInset, day = (kPlotRight - kPlotLeft - 2 * kPointInset) / 4;
  EXPECT_EQ(pixel({x0, y_of(250)}), 11);
  EXPECT_EQ(pixel({x0 + 2 * day, kPointFloor}), 0);  // the test below zero: hollow
  EXPECT_EQ(pixel({x0 + 2 * day - 2, kPointFloor}), 11);
  EXPECT_EQ(text({kPlotLeft / 8 + 1, (y_of(250) - 3) / 16 - 1}, 4), "５級");  // right of the axis
  EXPECT_EQ(text({(x0 + 4 * day) / 8 - 2, (y_of(400) - 3) / 16 - 1}, 4), "３級");
  EXPECT_EQ(row((y_of(100) - 3) / 16 - 1).find("８級"), std::string::npos);  // no new best
  EXPECT_NE(row(kHollowNoteRow).find(kFailedTestsNote), std::string::npos);
}

TEST_F(ProgressViewTest, AnEmptyHistoryShowsAMessageInEveryViewAndTheButtonsAndKeysSwitch) {
  for (const ViewButton& b : kViewButtons) {
    script().click(centre_of(b.face)).inspect([this, b] {
      EXPECT_NE(title().find(b.title), std::string::npos) << title();
      EXPECT_NE(row(10).find("まだ"), std::string::npos) << b.title;
      EXPECT_EQ(pixel({kPlotLeft, kPlotBottom}), 0) << b.title;  // no axis
    });
  }
  script().key(keys::kRight).inspect([this] {  // from the last view round to the first
    EXPECT_NE(title().find(kViewButtons[0].title), std::string::npos);
  });
  script().key(keys::kLeft).inspect([this] {
    EXPECT_NE(title().find(kViewButtons.back().title), std::string::npos);
  });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run(progress::run)), "./Velmora.exe");
  script().click(centre_of(kExitButton));
  EXPECT_EQ(started(run(progress::run)), "./Velmora.exe");
  EXPECT_FALSE(std::filesystem::exists(history_file()));  // reading made nothing
}

TEST_F(ProgressViewTest, TheHeatMapColoursKeysByTheirMissRateOverTheLastFiftyBlocks) {
  const int a = lessonkit::key_typing("A"), s = lessonkit::key_typing("S"),
            d = lessonkit::key_typing("D"), j = lessonkit::key_typing("J"),
            k = lessonkit::key_typing("K"), one = lessonkit::key_typing("1");
  BlockEntry old = block("2026-11-01T10:00:00+09:00", "Ostrin", "50.0");
  old.keys = {{one, 0, 100, {{0, 100}}}};  // 51 blocks back: no longer counted
  keep(old);
  for (int i = 0; i < 49; ++i) {
    keep(block("2026-11-02T10:00:00+09:00", "Ostrin", "60.0"));
  }
  BlockEntry last = block("2026-11-03T10:00:00+09:00", "Ostrin", "90.0");
  last.keys = {{a, 100, 0, {}}, {s, 97, 3, {{a, 3}}}, {d, 95, 5, {{0, 5}}}, {j, 90, 10, {{k, 10}}}};
  keep(last);
  // The shift course names the shifted character to type, and a key struck
  // without Shift: key 5 for "％", the minus key for "＝".
  const int five = lessonkit::key_typing("5"), six = lessonkit::key_typing("6"),
            minus = lessonkit::key_typing("-");
  BlockEntry shifted = block("2026-11-03T11:00:00+09:00", "Brandel", "50.0");
  shifted.keys = {{five, 20, 5, {{five, 4}, {six, 1}}}, {minus, 20, 2, {{minus, 2}}}};
  keep(shifted);
  // Kana input's keys type kana: its misses are not this view's.
  BlockEntry kana = block("2026-11-03T12:00:00+09:00", "Kotoba", "50.0");
  kana.input = "kana";
  kana.keys = {{k, 10, 10, {{j, 10}}}};
  keep(kana);
  script().key(keys::kRight).key(keys::kRight);
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_EQ(key_face(a), 12);
  EXPECT_EQ(key_face(s), 6);
  EXPECT_EQ(key_face(d), 13);
  EXPECT_EQ(key_face(j), 2);
  EXPECT_EQ(key_face(one), 14);
  EXPECT_EQ(key_face(k), 14);
  for (const auto& [at, pair] : {std::pair(Cell{4, 5}, " 1. Ｊ のかわりに Ｋ  10回"),
                                 std::pair(Cell{4, 6}, " 2. Ｄ のかわりに 他のキー  5回"),
                                 std::pair(Cell{4, 7}, " 3. ％ のかわりに ５ Shiftなし  4回"),
                                 std::pair(Cell{4, 9}, " 5. ＝ のかわりに － Shiftなし  2回"),
                                 std::pair(Cell{42, 5}, " 6. ％ のかわりに ６のキー  1回")}) {
    EXPECT_EQ(text(at, display_width(pair)), pair);
  }
}

TEST_F(ProgressViewTest, AnUnreadableHistorySaysWhereItIsAndIsLeftAlone) {
  std::ofstream(history_file()) << "not a database, but a learner's file all the same";
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_NE(row(6).find("読めません"), std::string::npos);
  EXPECT_NE((row(8) + row(9)).find("progress.sqlite3"), std::string::npos) << row(8);
  std::ifstream in(history_file());
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "not a database, but a learner's file all the same");
}

// An edited history may hold counts near the largest int: they are summed
// wide and shown to the last digit.
TEST_F(ProgressViewTest, HugeCountsAreSummedWideAndShownExactly) {
  const int a = lessonkit::key_typing("A");
  for (const int right : {2'147'483'647, 5'596}) {
    BlockEntry b = block("2026-11-03T10:00:00+09:00", "Ostrin", "90.0");
    b.right = right;
    b.keys = {{a, right, 2'000'000'000, {{0, 2'000'000'000}}}};
    keep(b);
  }
  script().key(keys::kRight).key(keys::kRight).inspect([&] {
    EXPECT_EQ(key_face(a), kMissBands.back().face.index());
    EXPECT_NE(row(5).find("4,000,000,000回"), std::string::npos) << row(5);
  });
  script().key(keys::kRight);
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_NE(row(5).find("2,147,489,243"), std::string::npos) << row(5);
}

// A block failed for its errors may be the fastest: the best is of the passed
// blocks, and of every timed test.
TEST_F(ProgressViewTest, TheTotalsTakeTheBestFromPassedBlocksAndSaySo) {
  BlockEntry fast = block("2026-12-01T10:00:00+09:00", "Ostrin", "95.0");
  fast.result = history::results::kTooManyErrors;
  keep(fast);
  keep(block("2026-12-01T10:05:00+09:00", "Ostrin", "81.0"));
  BlockEntry slow = block("2026-12-01T10:10:00+09:00", "Palvek", "40.0");
  slow.result = history::results::kTooSlow;
  keep(slow);
  BlockEntry test = block("2026-12-01T10:15:00+09:00", "Zarbet", "250");
  test.result = "５級";
  keep(test);
  // The word course is two lines: romaji (as blocks kept without an input
  // were typed) and kana input.
  for (const auto& [input, evaluation] : {std::pair{"", "60.0"}, {"kana", "70.0"}}) {
    BlockEntry words = block("2026-12-01T10:20:00+09:00", "Kotoba", evaluation);
    words.input = input;
    keep(words);
  }
  script().key(keys::kLeft).key(keys::kLeft);
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_EQ(text({24, 9}, 4), "81.0");
  EXPECT_EQ(text({24, 10}, 8), "合格なし");
  EXPECT_EQ(text({24, 14}, 9), "250  ５級");
  EXPECT_EQ(text({6, 18}, 16) + text({24, 18}, 4), "ことば・ローマ字60.0");
  EXPECT_EQ(text({6, 19}, 12) + text({24, 19}, 4), "ことば・かな70.0");
  EXPECT_NE(row(kBestNoteRow).find(kBestNote), std::string::npos);
}

// The word course's lessons, each input on its own line, the most recent
// first, the best of the passed blocks; and what to practise next: the first
// lesson of the learner's stage and input not passed, or the kana missed
// often.
TEST_F(ProgressViewTest, TheWordLessonsEachHaveTheirLineAndTheNextIsNamed) {
  auto words = [&](std::string lesson, std::string input, std::string evaluation,
                   std::string result = "pass") {
    BlockEntry b = block("2026-12-01T10:20:00+09:00", "Kotoba", std::move(evaluation));
    b.lesson = std::move(lesson);
    b.input = std::move(input);
    b.result = std::move(result);
    b.kana = {{"し", 20, 1}};
    keep(b);
  };
  words("3", "romaji", "90.0", "too slow");
  words("3", "romaji", "50.0");
  words("l1", "kana", "70.0");
  words("町.txt", "romaji", "40.0");
  write_record("KOTOBA.TXT", "l1 l2 3\n");
  words::write_course_settings({words::InputMode::Romaji, 0, false});  // 小学校1・2年
  script().click(centre_of(kViewButtons.back().face)).inspect([this] {
    EXPECT_NE(row(kFirstWordRow).find("［町.txt］"), std::string::npos) << row(kFirstWordRow);
    EXPECT_NE(row(kFirstWordRow + 1).find("低学年 1 あいうえお"), std::string::npos);
    EXPECT_NE(row(kFirstWordRow + 1).find("かな"), std::string::npos);
    EXPECT_NE(row(kFirstWordRow + 2).find("3 さ行"), std::string::npos);
    EXPECT_EQ(text({58, kFirstWordRow + 2}, 4), "50.0");  // the too slow 90.0 is no best
    EXPECT_EQ(text({70, kFirstWordRow + 2}, 4), "50.0");
    EXPECT_NE(row(kNextRow).find("つぎは：低学年 3 さ行"), std::string::npos) << row(kNextRow);
  });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run(progress::run)), "./Velmora.exe");

  words("l3", "romaji", "30.0");
  BlockEntry slips = block("2026-12-01T10:30:00+09:00", "Kotoba", "20.0");
  slips.kana = {{"つ", 10, 4}};
  keep(slips);
  script().click(centre_of(kViewButtons.back().face)).inspect([this] {
    EXPECT_NE(row(kNextRow).find("つぎは：苦手なかな（つ）"), std::string::npos) << row(kNextRow);
  });
  script().key(keys::kEscape);
  EXPECT_EQ(started(run(progress::run)), "./Velmora.exe");
}

TEST(CsvField, NoCellIsAFormulaAndEveryCellIsCleanUtf8) {
  const std::pair<std::string_view, std::string_view> cells[] = {
      {"-12.5", "-12.5"},  // numbers stand as they are
      {"1,234.5", "\"1,234.5\""},
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"+1", "'+1"},
      {"-", "-"},  // the minus key, a sign alone: no formula
      {"+", "+"},
      {"-x", "'-x"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tx", "'\tx"},
      {"a\x01"
       "b\x7f",
       "a\uFFFD"
       "b\uFFFD"},
      {"\xff\xc0\x80名人", "\uFFFD\uFFFD名人"},
      {"\xed\xa0\x80", "\uFFFD"},  // a surrogate
  };
  for (const auto& [stored, written] : cells) {
    EXPECT_EQ(csv_field(stored), written) << stored;
  }
}

TEST_F(ProgressViewTest, TheCsvExportQuotesWhatItMustAndNeedsNoWindow) {
  using Options = std::vector<std::string_view>;
  std::ostringstream out, err;
  EXPECT_EQ(export_csv(Options{"--csv"}, history_file(), out, err), 1);  // nothing kept yet
  EXPECT_NE(err.str().find("progress.sqlite3"), std::string::npos);
  for (const Options& wrong : {Options{}, Options{"--csv", "--csv-keys"}, Options{"--xlsx"},
                               Options{"--excel", "--excel"}}) {
    err.str("");
    EXPECT_EQ(export_csv(wrong, history_file(), out, err), 2);
    EXPECT_EQ(err.str(), kCsvUsage);
  }
  BlockEntry b = block("2026-12-01T10:00:00+09:00", "Zarbet", "1,234");
  b.result = "名人, \"best\"";
  b.keys = {{lessonkit::kSpaceBar, 7, 1, {{0, 1}}}, {lessonkit::key_typing("-"), 3, 0, {}}};
  keep(b);
  keep(block("2026-12-01T03:00:00+00:00", "Ostrin", "80.0"));  // 12:00 in Tokyo
  BlockEntry words = block("2026-12-01T12:00:00+09:00", "Kotoba", "80.0");
  words.lesson = "=1.txt";  // an own lesson's file name
  words.input = "kana";
  keep(words);
  // The records cleared between them, kept under another offset.
  ASSERT_TRUE(HistoryWriter(history_file())
                  .keep(Mark{"2026-12-01T02:30:00+01:00", std::string(kRecordsCleared)}));
  const std::string blocks =
      "ended_at,program,step,seconds,right,wrong,evaluation,result,lesson,input\r\n"
      "2026-12-01T10:00:00+09:00,Zarbet,1,60,100,2,1234,\"名人, \"\"best\"\"\",,\r\n"
      "2026-12-01T02:30:00+01:00,,,,,,,records cleared,,\r\n"
      "2026-12-01T03:00:00+00:00,Ostrin,1,60,100,2,80.0,pass,,\r\n"
      "2026-12-01T12:00:00+09:00,Kotoba,1,60,100,2,80.0,pass,'=1.txt,kana\r\n";
  for (const auto& [options, written] :
       {std::pair(Options{"--csv"}, blocks),
        std::pair(Options{"--excel"}, std::string(kByteOrderMark) + blocks),
        std::pair(Options{"--excel", "--csv-keys"},
                  std::string(kByteOrderMark) +
                      "ended_at,program,step,key,legend,right,wrong,typed_instead,count\r\n"
                      "2026-12-01T10:00:00+09:00,Zarbet,1,11,-,3,0,,\r\n"
                      "2026-12-01T10:00:00+09:00,Zarbet,1,49,スペース,7,1,,\r\n"
                      "2026-12-01T10:00:00+09:00,Zarbet,1,49,スペース,,,0,1\r\n")}) {
    out.str("");
    EXPECT_EQ(export_csv(options, history_file(), out, err), 0);
    EXPECT_EQ(out.str(), written) << options.front();
  }
  // The program itself, with no display to open a window on.
  const std::string command = "cd '" + root_.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" +
                              TUTOR_TREE + "/M1/Progress' --csv --excel";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string printed;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    printed += static_cast<char>(c);
  }
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(printed.substr(0, 11), std::string(kByteOrderMark) + "ended_at");
  EXPECT_NE(printed.find("名人"), std::string::npos);
}

}  // namespace
}  // namespace tutor::progress
