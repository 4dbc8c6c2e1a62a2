#include "trytest/grade_table.h"

#include <gtest/gtest.h>

#include <utility>

#include "console/text.h"
#include "tests/support/headless_fixture.h"
#include "trytest/zarbet.h"

namespace tutor::trytest {
namespace {

TEST(GradeTable, AnEvaluationAtAThresholdEarnsTheNextGradeUp) {
  const std::pair<double, std::string_view> cases[] = {
      {-1, "０級"},    {0, "10級"},      {9, "10級"},    {10, "９級"},   {60, "８級"},
      {539, "１級"},   {540, "初段"},    {1080, "10段"}, {3839, "55段"}, {3840, "名人"},
      {99999, "名人"}, {100000, "名人"}, {1e7, "名人"}};
  for (const auto& [evaluation, name] : cases) {
    EXPECT_EQ(grade_name(grade_of(evaluation)), name) << evaluation;
  }
}

TEST(GradeTable, ThresholdsRiseBySixtyAndEveryNameFillsFourPlaces) {
  // A slip in copying the table breaks the steps of 60 or the name widths.
  for (int i = 3; i <= 66; ++i) {
    EXPECT_EQ(kGradeThresholds[static_cast<size_t>(i)], 60 * (i - 2)) << i;
  }
  for (int i = 1; i <= kGradeCount; ++i) {
    EXPECT_EQ(display_width(grade_name(i)), 4) << i;
  }
  EXPECT_EQ(grade_name(0), "");
  EXPECT_EQ(grade_name(68), "");
}

TEST(RankRecord, AnythingButAWholeNumberFromZeroTo67ReadsAsNoGradeYet) {
  EXPECT_EQ(best_grade_from_record(std::nullopt), 1);
  for (const char* bad : {"", "abc", "2.5", "-1", "68", "99999999999", "3 段"}) {
    EXPECT_EQ(best_grade_from_record(std::string(bad)), 1) << bad;
  }
  EXPECT_EQ(best_grade_from_record(std::string("0")), 0);
  EXPECT_EQ(best_grade_from_record(std::string(" 67")), 67);
}

class RankRecordTest : public tutor::testing::HeadlessTest {};

TEST_F(RankRecordTest, ALowerGradeKeepsTheRecordAndAnyGradeBeatsZero) {
  write_record("RANK.TXT", "30\n");
  store_better_grade(con_, grade_of(120), read_best_grade(con_));
  EXPECT_EQ(record("RANK.TXT"), "30\n");
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run(trytest::run)));
  EXPECT_EQ(text({56, 1}, 4), "19段");  // the next set-up screen

  write_record("RANK.TXT", "0\n");
  store_better_grade(con_, grade_of(-5), read_best_grade(con_));
  EXPECT_EQ(record("RANK.TXT"), "1\n");
}

TEST_F(RankRecordTest, ARecordThatCannotBeWrittenShowsTheFatalErrorBox) {
  remove_record("RANK.TXT");
  std::filesystem::create_directory(root_ / "M0" / "data" / "RANK.TXT");
  const Outcome o = run([](Console& con) { store_better_grade(con, read_best_grade(con) + 1, 1); });
  EXPECT_TRUE(std::holds_alternative<FatalErrorShown>(o));
}

}  // namespace
}  // namespace tutor::trytest
