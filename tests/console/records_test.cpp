#include "console/records.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/headless_fixture.h"

namespace tutor {
namespace {

using testing::HeadlessTest;
using RecordFiles = HeadlessTest;

TEST_F(RecordFiles, ReplaceWritesOneLineAndReadsBackTheSame) {
  ASSERT_TRUE(con_.replace_record("././M0/data/step.TXT", "2"));
  EXPECT_EQ(record("step.TXT"), "2\n");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "2");
  ASSERT_TRUE(con_.replace_record("././M0/data/SUU.TXT", "クリアー"));
  EXPECT_EQ(con_.read_record("././M0/data/SUU.TXT"), "クリアー");
  // No leftover beside it.
  EXPECT_FALSE(std::filesystem::exists(root_ / "M0/data/SUU.TXT.new"));
}

TEST_F(RecordFiles, ReplaceCreatesAMissingFile) {
  remove_record("KIGO.TXT");
  ASSERT_TRUE(con_.replace_record("././M0/data/KIGO.TXT", "クリアー"));
  EXPECT_EQ(record("KIGO.TXT"), "クリアー\n");
}

TEST_F(RecordFiles, AFailedReplaceLeavesTheOldValue) {
  if (::geteuid() == 0) {
    // Root writes through permissions; block the new file's name instead.
    std::filesystem::create_directory(root_ / "M0/data/RANK.TXT.new");
  } else {
    ::chmod((root_ / "M0/data").c_str(), 0555);
  }
  EXPECT_FALSE(con_.replace_record("././M0/data/RANK.TXT", "9"));
  ::chmod((root_ / "M0/data").c_str(), 0755);
  EXPECT_EQ(record("RANK.TXT"), "1\n");
  // A folder that does not exist at all.
  EXPECT_FALSE(con_.replace_record("././M0/nowhere/RANK.TXT", "9"));
}

TEST_F(RecordFiles, ReadingAMissingOrUnreadableFileIsAnAnswerNotACrash) {
  remove_record("SFT.TXT");
  EXPECT_EQ(con_.read_record("././M0/data/SFT.TXT"), std::nullopt);
  std::filesystem::create_directory(root_ / "M0/data/SFT.TXT");  // a folder in its place
  EXPECT_EQ(con_.read_record("././M0/data/SFT.TXT"), std::nullopt);
  write_record("step.TXT", "");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "");
  write_record("step.TXT", "3\r\n");
  EXPECT_EQ(con_.read_record("././M0/data/step.TXT"), "3");
}

TEST(RecordNumbers, ParseOnlyWholeTextsAsNumbers) {
  EXPECT_EQ(parse_whole_number(" 2 "), 2);
  EXPECT_EQ(parse_whole_number("-1"), -1);
  EXPECT_EQ(parse_whole_number("2x"), std::nullopt);
  EXPECT_EQ(parse_whole_number("2.5"), std::nullopt);
  EXPECT_EQ(parse_whole_number(""), std::nullopt);
  EXPECT_EQ(parse_whole_number("99999999999999"), std::nullopt);
  EXPECT_EQ(parse_number("91.2"), 91.2f);
  EXPECT_EQ(parse_number("nan"), std::nullopt);
  EXPECT_EQ(parse_number("未 達 成"), std::nullopt);
}

TEST(RecordNumbers, WrittenNumbersReadBackUnchanged) {
  for (float v : {0.0f, 2.0f, 91.2f, 380.0f / (4.0f + 10.0f / 60.0f), 1234.5678f, -2.0f}) {
    EXPECT_EQ(parse_number(number_text(v)), v) << number_text(v);
  }
  EXPECT_EQ(number_text(2.0f), "2");
  EXPECT_EQ(number_text(91.2f), "91.2");
}

}  // namespace
}  // namespace tutor
