#include <gtest/gtest.h>

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
    return {std::move(at), std::move(program), 1, 60, 100, 2, std::move(evaluation), "pass", {}};
  }
  [[nodiscard]] int key_face(int k) const {
    return pixel({lessonkit::key(k).rect.x1 + 2, lessonkit::key(k).rect.y1 + 2});
  }
  // The whole view shown after the keys pressed so far.
  [[nodiscard]] std::string title() const { return row(kTitleRow); }
};

TEST_F(ProgressViewTest, TheSpeedChartPlotsEachBlockThePassLineAndTheClearingMark) {
  // 120 at most: seven steps of 20 up to 140, 1.6 design units to a point.
  keep(block("2026-12-01T10:00:00+09:00", "Ostrin", "70.0"));
  keep(block("2026-12-03T10:00:00+09:00", "Palvek", "120.0"));
  keep(block("2026-12-02T10:00:00+09:00", "Zarbet", "900"));  // not on this chart
  ASSERT_TRUE(HistoryWriter(history_file())
                  .keep(Mark{"2026-12-02T10:00:00+09:00", std::string(kRecordsCleared)}));
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_EQ(pixel({kPlotLeft, 296 - 112}), 9);   // 70 at the first date
  EXPECT_EQ(pixel({kPlotRight, 296 - 192}), 9);  // 120 at the last
  EXPECT_EQ(pixel({200, 296 - 128}), 2);         // the pass line at 80
  EXPECT_EQ(pixel({200, 296 - 127}), 0);
  EXPECT_EQ(pixel({(kPlotLeft + kPlotRight) / 2, kPlotTop}), 15);  // the mark, midway
  EXPECT_EQ(text({6, kPlotTopRow}, 3), "140");
  EXPECT_EQ(text({9, kDateRow}, 10), "2026-12-01");
  EXPECT_EQ(text({65, kDateRow}, 10), "2026-12-03");
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
    EXPECT_NE(title().find(kViewButtons[3].title), std::string::npos);
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
  script().key(keys::kRight).key(keys::kRight);
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(progress::run)));
  EXPECT_EQ(key_face(a), 12);
  EXPECT_EQ(key_face(s), 6);
  EXPECT_EQ(key_face(d), 13);
  EXPECT_EQ(key_face(j), 2);
  EXPECT_EQ(key_face(one), 14);
  EXPECT_EQ(key_face(k), 14);
  for (const auto& [row, pair] : {std::pair(5, " 1. Ｊ のかわりに Ｋ  10回"),
                                  std::pair(6, " 2. Ｄ のかわりに 他のキー  5回")}) {
    EXPECT_EQ(text({4, row}, display_width(pair)), pair);
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

TEST(CsvField, NoCellIsAFormulaAndEveryCellIsCleanUtf8) {
  const std::pair<std::string_view, std::string_view> cells[] = {
      {"-12.5", "-12.5"},  // numbers stand as they are
      {"1,234.5", "\"1,234.5\""},
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"+1", "'+1"},
      {"-", "'-"},
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
  std::ostringstream out, err;
  EXPECT_EQ(export_csv("--csv", history_file(), out, err), 1);  // nothing kept yet
  EXPECT_NE(err.str().find("progress.sqlite3"), std::string::npos);
  BlockEntry b = block("2026-12-01T10:00:00+09:00", "Zarbet", "1,234");
  b.result = "名人, \"best\"";
  b.keys = {{lessonkit::kSpaceBar, 7, 1, {{0, 1}}}};
  keep(b);
  out.str("");
  EXPECT_EQ(export_csv("--csv", history_file(), out, err), 0);
  EXPECT_EQ(out.str(),
            "ended_at,program,step,seconds,right,wrong,evaluation,result\r\n"
            "2026-12-01T10:00:00+09:00,Zarbet,1,60,100,2,\"1,234\",\"名人, \"\"best\"\"\"\r\n");
  out.str("");
  EXPECT_EQ(export_csv("--csv-keys", history_file(), out, err), 0);
  EXPECT_EQ(out.str(),
            "ended_at,program,step,key,legend,right,wrong,typed_instead,count\r\n"
            "2026-12-01T10:00:00+09:00,Zarbet,1,49,スペース,7,1,,\r\n"
            "2026-12-01T10:00:00+09:00,Zarbet,1,49,スペース,,,0,1\r\n");
  // The program itself, with no display to open a window on.
  const std::string command = "cd '" + root_.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" +
                              TUTOR_TREE + "/M1/Progress' --csv";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string printed;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    printed += static_cast<char>(c);
  }
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(printed.substr(0, 8), "ended_at");
  EXPECT_NE(printed.find("名人"), std::string::npos);
}

}  // namespace
}  // namespace tutor::progress
