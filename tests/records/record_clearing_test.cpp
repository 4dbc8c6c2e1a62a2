#include "records/record_clearing.h"

#include <gtest/gtest.h>

#include "records/record_table.h"
#include "tests/support/headless_fixture.h"

namespace tutor::records {
namespace {

using tutor::testing::centre_of;
using tutor::testing::kStartingRecords;
using tutor::testing::ran_out_of_script;
using tutor::testing::started;

const tutor::testing::Records kReached = {{"step.TXT", "6\n"},
                                          {"RANK.TXT", "30\n"},
                                          {"SUU.TXT", "クリアー\n"},
                                          {"KIGO.TXT", "クリアー\n"},
                                          {"SFT.TXT", "91.2\n"}};

class RecordClearingTest : public tutor::testing::HeadlessTest {
 protected:
  RecordClearingTest() { write_records(kReached); }
  Outcome run_clearing() { return run(records::run); }

  [[nodiscard]] int highlighted() const {
    const bool yes = pixel({kChoices[0].button.x1 + 1, kChoices[0].button.y1 + 1}) == 2;
    const bool no = pixel({kChoices[1].button.x1 + 1, kChoices[1].button.y1 + 1}) == 2;
    EXPECT_NE(yes, no);
    EXPECT_EQ(text_colour({kChoices[0].label_cell.col, 16}), yes ? Colour(6) : Colour(0));
    return yes ? kYes : kNo;
  }
  static Point button(int n) { return centre_of(kChoices[static_cast<size_t>(n - 1)].button); }
};

TEST_F(RecordClearingTest, ShowsTheFiveRecordsAndAfterAClearingTheStartingOnes) {
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(text({15, 3}, 51), " タイピングの記録    トライ編    に挑戦中  19段    ");
  EXPECT_EQ(text_colour({36, 3}), kMagenta);  // blue could not be read on cream
  EXPECT_EQ(text_colour({58, 3}), kMagenta);
  EXPECT_EQ(text({22, 5}, 33), "数字キー  の記録    クリアー     ");
  EXPECT_EQ(text({22, 7}, 33), "記号キー  の記録    クリアー     ");
  EXPECT_EQ(text({22, 9}, 32), "シフトキーの記録      91 字 / 分");
  EXPECT_EQ(text({20, 13}, 42), "上記の記録をクリアします。よろしいですか？");
  EXPECT_EQ(highlighted(), kNo);

  script().key(keys::kRight).enter();
  (void)run_clearing();
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(text({15, 3}, 51), " タイピングの記録    導 入 編    に挑戦中  ０級    ");
  EXPECT_EQ(text({42, 5}, 13), "未 達 成     ");
  EXPECT_EQ(text({42, 7}, 13), "未 達 成     ");
  EXPECT_EQ(text({42, 9}, 4), "   0");
}

TEST_F(RecordClearingTest, OnlyEnterOrADoubleClickOnYesClearsAndAClickOnlyMovesTheHighlight) {
  script().enter();
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kReached);
  script().key(keys::kRight).key(keys::kLeft).key(keys::kUp).function_key(1).enter();
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kReached);
  script().key(keys::kLeft).double_click(button(kNo));
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kReached);

  script().click(button(kYes)).click(button(kYes)).click({320, 200});
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(highlighted(), kYes);
  EXPECT_EQ(records(), kReached);
  write_record("KOTOBA.TXT", "1 2 f:my.txt\n");  // the word course's passes go too
  script().key(keys::kRight).enter();
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kStartingRecords);
  EXPECT_EQ(record("KOTOBA.TXT"), "\n");

  write_records(kReached);  // a double click on yes clears whatever is highlighted
  script().double_click({320, 200}).double_click(button(kYes));
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kStartingRecords);
  EXPECT_EQ(highlighted(), kNo);
}

TEST_F(RecordClearingTest, BrokenRecordsShowBlankAndClearingRepairsThem) {
  write_record("step.TXT", "9\n");
  write_record("RANK.TXT", "68\n");
  remove_record("SUU.TXT");
  write_record("KIGO.TXT", "");
  write_record("SFT.TXT", "fast\n");
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(text({15, 3}, 51),
            " タイピングの記録" + std::string(16, ' ') + "に挑戦中" + std::string(10, ' '));
  EXPECT_EQ(text({42, 5}, 13), std::string(13, ' '));
  EXPECT_EQ(text({42, 9}, 4), "   0");

  write_record("step.TXT", "two\n");
  write_record("RANK.TXT", "-1\n");
  remove_record("SFT.TXT");
  std::filesystem::create_directory(root_ / "M0/data/SFT.TXT");  // unreadable
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(text({36, 3}, 8), std::string(8, ' '));
  EXPECT_EQ(text({42, 9}, 4), "   0");

  std::filesystem::remove(root_ / "M0/data/SFT.TXT");
  script().key(keys::kRight).enter();
  EXPECT_EQ(started(run_clearing()), "./Velmora.exe");
  EXPECT_EQ(records(), kStartingRecords);
}

TEST_F(RecordClearingTest, ButtonsActOnTheirEdgesAndNotJustBeyond) {
  const auto yes = tutor::testing::edge_points(kChoices[0].button);
  const auto no = tutor::testing::edge_points(kChoices[1].button);
  for (size_t i = 0; i < 4; ++i) {
    script().click(yes.beyond[i]).double_click(no.beyond[i]);
  }
  EXPECT_TRUE(ran_out_of_script(run_clearing()));
  EXPECT_EQ(highlighted(), kNo);
  for (size_t i = 0; i < 4; ++i) {
    script().click(yes.corners[i]);
    EXPECT_TRUE(ran_out_of_script(run_clearing()));
    EXPECT_EQ(highlighted(), kYes) << i;
    script().double_click(no.corners[i]);
    EXPECT_EQ(started(run_clearing()), "./Velmora.exe") << i;
  }
  EXPECT_EQ(records(), kReached);
}

TEST_F(RecordClearingTest, AFailedWriteShowsTheErrorBoxAndClearsNothing) {
  script().key(keys::kRight).enter();
  Outcome o;
  {
    testing::FullDisk full;
    o = run_clearing();
  }
  EXPECT_TRUE(std::holds_alternative<FatalErrorShown>(o));
  EXPECT_EQ(records(), kReached);
}

}  // namespace
}  // namespace tutor::records
