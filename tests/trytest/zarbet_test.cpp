#include "trytest/zarbet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "console/text.h"
#include "history/history.h"
#include "tests/support/headless_fixture.h"

namespace tutor::trytest {
namespace {

using tutor::testing::centre_of;
using tutor::testing::edge_points;
using tutor::testing::ran_out_of_script;
using tutor::testing::started;

const Point kArrow = centre_of(kArrowButton);
const Point kOk = centre_of(kOkButton);
Point item(int i) {
  return centre_of(time_menu_item(i));
}

char letter_of(std::string_view full_width) {
  return static_cast<char>('A' + (decode_utf8(full_width).at(0) - U'Ａ'));
}

class ZarbetTest : public tutor::testing::HeadlessTest {
 protected:
  ZarbetTest() : HeadlessTest("Zarbet") {}

  Outcome run_plan() {
    script() = plan_;
    return run(trytest::run);
  }

  // The text plane after `s` in a fresh run seeded as the fixture's first run
  // is: what a learner would read off the screen at that point.
  [[nodiscard]] TextPlane text_after(const Script& s) const {
    HeadlessBackend probe(root_);
    probe.script() = s;
    auto con = std::make_unique<Console>(probe, "Zarbet");
    EXPECT_TRUE(ran_out_of_script(run_headless(*con, trytest::run)));
    return con->screen().text;
  }

  // The letter now to be typed, as the screen shows it.
  char expected() {
    if (line_.empty()) {
      const TextPlane text = text_after(plan_);
      for (int p = 1; p <= kLineLength; ++p) {
        line_ += letter_of(text.text_at(letter_text_cell(p), 2));
      }
    }
    return line_[static_cast<size_t>(position_ - 1)];
  }

  // Types `count` right letters, upper and lower case by turns.
  void type_right(int count) {
    for (int i = 0; i < count; ++i) {
      const char c = expected();
      plan_.key(std::string(1, i % 2 == 0 ? c : static_cast<char>(c - 'A' + 'a')));
      if (++position_ > kLineLength) {
        position_ = 1;
        line_.clear();
      }
    }
  }

  void type_wrong(int times, std::string_view key) {
    missed_[expected()] += times;
    for (int i = 0; i < times; ++i) {
      plan_.key(key);
    }
  }

  // The number on result row 8 (right), 10 (wrong) or 12 (evaluation); the grade.
  [[nodiscard]] std::string result(int row) const { return text({45, row}, 6); }
  [[nodiscard]] std::string result_grade() const { return text({46, 14}, 5); }

  Script plan_;
  std::map<char, int> missed_;

 private:
  int position_ = 1;
  std::string line_;
};

TEST_F(ZarbetTest, SetupScreenShowsTheStoredGradeAndAnUnusableRecordAsNoGrade) {
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({20, 1}, 40), "タイプ練習トライ編    現在のランク  ０級");
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  EXPECT_EQ(pixel({470, 70}), 0);    // the sunken field's black face
  write_record("RANK.TXT", "68\n");  // outside the table
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({56, 1}, 4), "０級");
  remove_record("RANK.TXT");
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({56, 1}, 4), "０級");
}

TEST_F(ZarbetTest, TheTimeMenuHighlightsUnderThePointerAndSetsTheLength) {
  plan_.click(kArrow).move_pointer(item(3)).move_pointer(item(5));
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(pixel({470, 130}), 14);  // item 3 lit, then put back
  EXPECT_EQ(text_colour({58, 8}), Colour(0));
  EXPECT_EQ(pixel({470, 162}), 2);  // item 5 lit
  EXPECT_EQ(text(time_menu_cell(5), 6), "  5 分");
  EXPECT_EQ(text_colour({58, 10}), Colour(7));

  plan_.click(item(3));
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), " 3 分");
  EXPECT_EQ(pixel({470, 130}), 0);  // the menu is gone
  EXPECT_EQ(text(time_menu_cell(3), 6), "      ");

  // Three minutes from the first key: a key at 2:59 counts, one at 3:00 not.
  plan_.click(kOk).key("1");
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kRemainingCell, 21), " あと  2 分 59 秒です");
  plan_.wait(179).key("2").wait(1).key("3").enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result(10), "     2");
}

TEST_F(ZarbetTest, TheLengthFieldAlwaysShowsTheLengthTheTestRuns) {
  // An item clicked while the menu is closed does nothing. Opening the menu
  // after choosing 3 sets the length back to 10, and the field says so.
  plan_.click(item(3)).click(kArrow).click(item(3)).click(kArrow).click(kArrow);
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  EXPECT_EQ(pixel({470, 130}), 0);
  plan_.key("x").enter().key("1").wait(599).key("2").wait(1).key("3").enter();  // Enter is OK
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result(10), "     2");
}

// Over the hour, over midnight, and through corrections of the system clock that
// neither end nor stretch it, the test ends with the key at its last second.
TEST_F(ZarbetTest, TheTestRunsItsLengthOnTheTimingClock) {
  struct Case {
    int minutes;
    const char *start, *last_second, *end;
  };
  for (const Case& c :
       {Case{3, "12:58:30", "13:01:29", "13:01:30"}, Case{2, "23:59:00", "00:00:59", "00:01:00"}}) {
    plan_ = {};
    plan_.click(kArrow).click(item(c.minutes)).click(kOk).clock(c.start).key("1");
    plan_.clock(c.last_second).key("2").clock(c.end).key("3").enter();
    EXPECT_TRUE(ran_out_of_script(run_plan()));
    EXPECT_EQ(result(10), "     2") << c.start;
  }
  plan_ = {};
  plan_.click(kArrow).click(item(1)).click(kOk).key("1").correct_clock(-1).wait(30);
  plan_.correct_clock(7200).key("2").wait(30).key("3").enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result(10), "     2");
}

TEST_F(ZarbetTest, SetupButtonsActOnTheirEdgesAndNotJustBeyond) {
  for (const Rect area : {kOkArea, kSetupQuitArea, kArrowArea}) {
    for (const Point p : edge_points(area).beyond) {
      plan_.click(p);
    }
  }
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(pixel({470, 130}), 0);  // the menu stays closed
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  for (size_t i = 0; i < 4; ++i) {
    plan_ = {};
    plan_.click(edge_points(kArrowArea).corners[i]);
    EXPECT_TRUE(ran_out_of_script(run_plan()));
    EXPECT_EQ(pixel({470, 130}), 14) << "arrow corner " << i;
    plan_ = {};
    plan_.click(edge_points(kOkArea).corners[i]);
    EXPECT_TRUE(ran_out_of_script(run_plan()));
    EXPECT_EQ(text({30, 5}, 16), "タイムトライアル") << "OK corner " << i;
    plan_ = {};
    plan_.click(edge_points(kSetupQuitArea).corners[i]);
    EXPECT_EQ(started(run_plan()), "./Velmora.exe") << "quit corner " << i;
  }
}

TEST_F(ZarbetTest, ARankRecordThatCannotBeReadStopsItBeforeTheTestAndIsLeftAlone) {
  remove_record("RANK.TXT");
  std::filesystem::create_directory(root_ / "M0/data/RANK.TXT");
  plan_.click(kOk).type("123").wait(600).enter().click({0, 0});
  EXPECT_TRUE(std::holds_alternative<FatalErrorShown>(run_plan()));
  EXPECT_TRUE(std::filesystem::is_directory(root_ / "M0/data/RANK.TXT"));
}

TEST_F(ZarbetTest, BeforeTheFirstKeyTheTimeStaysFullAndTheTestWaits) {
  plan_.click(kOk).wait(3600).idle(3);
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({30, 5}, 16), "タイムトライアル");
  EXPECT_EQ(text(kRemainingCell, 21), " あと 10 分  0 秒です");
  plan_.key("1").wait(61).idle();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kRemainingCell, 21), " あと  8 分 58 秒です");
}

TEST_F(ZarbetTest, WrongKeysCountAgainstTheExpectedLetterAndScoreBelowZero) {
  plan_.click(kOk);
  type_wrong(2, "1");
  type_right(1);
  type_wrong(1, keys::kEnter);
  type_right(4);
  type_wrong(4, expected() == 'Q' ? "w" : "q");  // another letter, in lower case
  plan_.wait(600);
  const TextPlane missed = text_after(plan_);
  for (int n = 1; n <= 26; ++n) {
    const char c = static_cast<char>('A' + n - 1);
    EXPECT_EQ(letter_of(missed.text_at(missed_letter_cell(n), 2)), c);
    const std::string count = std::to_string(missed_[c]);
    EXPECT_EQ(missed.text_at(missed_count_cell(n), 3), std::string(3 - count.size(), ' ') + count)
        << c;
  }
  plan_.double_click({320, 200});
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result(8) + result(10) + result(12), "     5     7    -2");
  EXPECT_EQ(result_grade(), "０級 ");
  EXPECT_EQ(record("RANK.TXT"), "1\n");
  // The progress history has the test as shown, and each miss by the key that made it.
  const auto kept = history::read_history(root_ / history::kHistoryFile).history.blocks;
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(std::tie(kept[0].program, kept[0].seconds, kept[0].right, kept[0].wrong,
                     kept[0].evaluation, kept[0].result),
            std::tuple("Zarbet", 600, 5, 7, "-2", "０級"));
  std::set<int> typed_instead;
  for (const history::KeyTally& k : kept[0].keys) {
    EXPECT_EQ(k.wrong, missed_[lessonkit::key(k.key).typed[0]]) << k.key;
    for (const history::Miss& m : k.instead) {
      typed_instead.insert(m.typed_instead);
    }
  }
  EXPECT_EQ(typed_instead,
            (std::set<int>{0, 1, lessonkit::key_accepting(expected() == 'Q' ? "w" : "q")}));
}

TEST_F(ZarbetTest, NothingRightScoresZeroAndBeatsNoGradeYet) {
  plan_.click(kOk).type("123").wait(600).enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result(8) + result(10) + result(12), "     0     3     0");
  EXPECT_EQ(result_grade(), "10級 ");
  EXPECT_EQ(record("RANK.TXT"), "2\n");
  plan_.key("x");
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
}

TEST_F(ZarbetTest, TimeRunningOutMidLineEndsAtOnceAndAnEqualGradeIsNotStored) {
  write_record("RANK.TXT", " 12\n");  // a rewrite would drop the blank
  plan_.click(kOk);
  type_right(545);  // 27 lines and 5 letters of the 28th
  plan_.wait(600).enter().click({0, 0});
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(result(8) + result(12), "   545   545");
  EXPECT_EQ(result_grade(), "初段 ");
  EXPECT_EQ(record("RANK.TXT"), " 12\n");
}

TEST_F(ZarbetTest, QuittingMidTestRecordsNothingAndStartsTheLauncher) {
  plan_.click(kOk);
  type_right(2);
  plan_.click({100, 100}).double_click({623, 377});  // outside, then at the edge
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(text({30, 5}, 16), std::string(16, ' '));  // the screen was cleared
  plan_ = {};
  plan_.click(kOk).key("1").function_key(2).function_key(1);
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  plan_ = {};
  plan_.click(centre_of(kSetupQuitButton));
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(record("RANK.TXT"), "1\n");
  EXPECT_FALSE(std::filesystem::exists(root_ / history::kHistoryFile));
}

TEST_F(ZarbetTest, LinesHoldOnlyLettersNeverTheSameTwiceInARow) {
  TestState s;
  std::map<int, int> seen;
  for (int n = 1; n <= 123; ++n) {
    backend_.set_clock("12:00:0" + std::to_string(n % 10));  // the seconds digit varies
    next_problem_line(con_, s);
    for (int p = 1; p <= kLineLength; ++p) {
      const int key = s.line[static_cast<size_t>(p - 1)];
      ++seen[key];
      ASSERT_NE(std::find(kAkmoji.begin(), kAkmoji.end(), key), kAkmoji.end()) << key;
      EXPECT_EQ(text(letter_text_cell(p), 2), lessonkit::key(key).legend);
      EXPECT_TRUE(p == 1 || key != s.line[static_cast<size_t>(p - 2)]) << n << " at " << p;
    }
  }
  EXPECT_EQ(seen.size(), 26u);  // every letter turns up
  EXPECT_EQ(text(kLineNumberCell, 4), "１２");
}

}  // namespace
}  // namespace tutor::trytest
