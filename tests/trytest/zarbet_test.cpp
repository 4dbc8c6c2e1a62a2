#include "trytest/zarbet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "console/text.h"
#include "tests/support/headless_fixture.h"

namespace tutor::trytest {
namespace {

using tutor::testing::as_shown;
using tutor::testing::centre_of;
using tutor::testing::ran_out_of_script;
using tutor::testing::started;

Point arrow() {
  return centre_of(kArrowButton);
}
Point item(int i) {
  return centre_of(time_menu_item(i));
}

// The ASCII letter of a full-width letter.
char letter_of(std::string_view full_width) {
  const auto cps = decode_utf8(full_width);
  return cps.size() == 1 ? static_cast<char>('A' + (cps[0] - U'Ａ')) : '?';
}

class ZarbetTest : public tutor::testing::HeadlessTest {
 protected:
  // Runs the test against `plan_`.
  Outcome run_plan() {
    script() = plan_;
    return run(trytest::run);
  }

  // The text plane after `s` in a fresh run seeded as the fixture's first
  // run: the letters a learner would read off the screen at that point.
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

  // Types a wrong key `times` times, counting them against the expected letter.
  void type_wrong(int times, std::string_view key = "1") {
    missed_[expected()] += times;
    for (int i = 0; i < times; ++i) {
      plan_.key(key);
    }
  }

  // The six-place number on result row 8, 10 or 12, and the grade on row 14.
  [[nodiscard]] std::string result_number(int row) const { return text({45, row}, 6); }
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
  EXPECT_EQ(text({32, 20}, 5), as_shown("Ｏ Ｋ"));
  EXPECT_EQ(pixel({470, 70}), 0);   // the sunken field's black face
  EXPECT_EQ(pixel({400, 330}), 4);  // the quit button

  for (const char* contents : {"abc\n", "68\n", "-3\n", "", "2.5\n", "(missing)"}) {
    if (std::string_view(contents) == "(missing)") {
      remove_record("RANK.TXT");
    } else {
      write_record("RANK.TXT", contents);
    }
    EXPECT_TRUE(ran_out_of_script(run_plan()));
    EXPECT_EQ(text({56, 1}, 4), "０級") << contents;
  }
  write_record("RANK.TXT", "0\n");
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({56, 1}, 4), "    ");
}

TEST_F(ZarbetTest, TheTimeMenuHighlightsUnderThePointerAndSetsTheLength) {
  plan_.click(arrow()).move_pointer(item(3));
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(pixel({470, 100}), 14);  // item 1 plain
  EXPECT_EQ(pixel({470, 130}), 2);   // item 3 lit
  EXPECT_EQ(text(time_menu_cell(3), 6), "  3 分");
  EXPECT_EQ(text_colour({58, 8}), Colour(7));
  EXPECT_EQ(text(time_menu_cell(10), 6), " 10 分");

  plan_.move_pointer(item(5));
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(pixel({470, 130}), 14);
  EXPECT_EQ(text_colour({58, 8}), Colour(0));
  EXPECT_EQ(pixel({470, 162}), 2);

  plan_.click(item(3));
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), " 3 分");
  EXPECT_EQ(pixel({470, 130}), 0);  // the menu is gone
  EXPECT_EQ(text(time_menu_cell(3), 6), "      ");

  // The test runs three minutes from the first key: a key at 2:59 still
  // counts, one at 3:00 does not.
  plan_.click(centre_of(kOkButton)).key("1");
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kRemainingCell, 21), " あと  2 分 59 秒です");
  plan_.wait(179).key("2").wait(1).key("3").enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result_number(10), "     2");
}

TEST_F(ZarbetTest, TheLengthFieldAlwaysShowsTheLengthTheTestRuns) {
  plan_.click(item(3));  // the menu is closed: nothing happens
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  EXPECT_EQ(pixel({470, 130}), 0);

  // Choosing 3 and then opening and closing the menu sets the length back to
  // 10; the field must say so.
  plan_.click(arrow()).click(item(3)).click(arrow());
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  plan_.click(arrow());
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kLengthCell, 4), "10 分");
  EXPECT_EQ(pixel({470, 130}), 0);

  plan_.click(centre_of(kOkButton)).key("1").wait(599).key("2").wait(1).key("3").enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result_number(10), "     2");
}

TEST_F(ZarbetTest, TheClockRunsOverTheHourAndOverMidnight) {
  struct Case {
    int minutes;
    const char* start;
    const char* last_second;
    const char* end;
  };
  for (const Case& c :
       {Case{3, "12:58:30", "13:01:29", "13:01:30"}, Case{2, "23:59:00", "00:00:59", "00:01:00"}}) {
    plan_ = {};
    plan_.click(arrow()).click(item(c.minutes)).click(centre_of(kOkButton));
    plan_.clock(c.start).key("1").clock(c.last_second).key("2");
    plan_.clock(c.end).key("3").enter();
    EXPECT_TRUE(ran_out_of_script(run_plan()));
    EXPECT_EQ(result_number(10), "     2") << c.start;
  }
}

TEST_F(ZarbetTest, BeforeTheFirstKeyTheTimeStaysFullAndTheTestWaits) {
  plan_.click(centre_of(kOkButton)).wait(3600).idle(3);
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text({30, 5}, 16), "タイムトライアル");
  EXPECT_EQ(text(kRemainingCell, 21), " あと 10 分  0 秒です");

  plan_.key("1").wait(61).idle();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(text(kRemainingCell, 21), " あと  8 分 58 秒です");
}

TEST_F(ZarbetTest, WrongKeysCountAgainstTheExpectedLetterAndScoreBelowZero) {
  plan_.click(centre_of(kOkButton));
  type_wrong(2);
  type_right(1);
  type_wrong(1, keys::kEnter);
  type_right(4);
  type_wrong(4, expected() == 'Q' ? "w" : "q");  // another letter, in lower case
  plan_.wait(600);
  const TextPlane missed = text_after(plan_);
  ASSERT_EQ(missed.text_at({22, 1}, 34), "あなたの間違えたキーは次の通りです");
  for (int n = 1; n <= 26; ++n) {
    const char c = static_cast<char>('A' + n - 1);
    EXPECT_EQ(letter_of(missed.text_at(missed_letter_cell(n), 2)), c);
    const std::string count = std::to_string(missed_[c]);
    EXPECT_EQ(missed.text_at(missed_count_cell(n), 3), std::string(3 - count.size(), ' ') + count)
        << c;
  }

  plan_.double_click({320, 200});
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result_number(8), "     5");
  EXPECT_EQ(result_number(10), "     7");
  EXPECT_EQ(result_number(12), "    -2");
  EXPECT_EQ(result_grade(), "０級 ");
  EXPECT_EQ(record("RANK.TXT"), "1\n");
}

TEST_F(ZarbetTest, NothingRightScoresZeroAndBeatsNoGradeYet) {
  plan_.click(centre_of(kOkButton)).type("123").wait(600).enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result_number(8), "     0");
  EXPECT_EQ(result_number(10), "     3");
  EXPECT_EQ(result_number(12), "     0");
  EXPECT_EQ(result_grade(), "10級 ");
  EXPECT_EQ(text({21, 18}, 38), "    マウスをクリックすると終了します。");
  EXPECT_EQ(record("RANK.TXT"), "2\n");
  plan_.key("x");
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
}

TEST_F(ZarbetTest, TimeRunningOutMidLineEndsAtOnce) {
  write_record("RANK.TXT", "12\n");
  plan_.click(centre_of(kOkButton));
  type_right(3);
  plan_.wait(600).enter();
  EXPECT_TRUE(ran_out_of_script(run_plan()));
  EXPECT_EQ(result_number(8), "     3");
  EXPECT_EQ(result_number(12), "     3");
  EXPECT_EQ(result_grade(), "10級 ");
  EXPECT_EQ(record("RANK.TXT"), "12\n");
}

TEST_F(ZarbetTest, AnEqualGradeLeavesTheRecordAlone) {
  write_record("RANK.TXT", " 12\n");  // a rewrite would drop the blank
  plan_.click(centre_of(kOkButton));
  type_right(545);
  plan_.wait(600).double_click({0, 0}).click({0, 0});
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(result_number(12), "   545");
  EXPECT_EQ(result_grade(), "初段 ");
  EXPECT_EQ(record("RANK.TXT"), " 12\n");
}

TEST_F(ZarbetTest, QuittingMidTestRecordsNothingAndStartsTheLauncher) {
  const Point quit = centre_of(kTestQuitButton);
  plan_.click(centre_of(kOkButton));
  type_right(2);
  plan_.click({100, 100}).double_click({623, 377});  // outside, then at the edge
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(text({30, 5}, 16), "                ");  // the screen was cleared
  EXPECT_EQ(record("RANK.TXT"), "1\n");

  plan_ = {};
  plan_.click(centre_of(kOkButton)).key("1").function_key(2).function_key(1);
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  plan_ = {};
  plan_.click(centre_of(kOkButton)).click(quit);
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  plan_ = {};
  plan_.click(centre_of(kSetupQuitButton));
  EXPECT_EQ(started(run_plan()), "./Velmora.exe");
  EXPECT_EQ(record("RANK.TXT"), "1\n");
}

// Problem lines drawn one after another, the clock's seconds digit changing.
TEST_F(ZarbetTest, LinesHoldOnlyLettersNeverTheSameTwiceInARow) {
  TestState s;
  std::map<int, int> seen;
  for (int n = 1; n <= 123; ++n) {
    backend_.set_clock("12:00:0" + std::to_string(n % 10));
    next_problem_line(con_, s);
    for (int p = 1; p <= kLineLength; ++p) {
      const int key = s.line[static_cast<size_t>(p - 1)];
      ++seen[key];
      ASSERT_NE(std::find(kAkmoji.begin(), kAkmoji.end(), key), kAkmoji.end()) << key;
      EXPECT_EQ(text(letter_text_cell(p), 2), lessonkit::key(key).legend);
      if (p > 1) {
        EXPECT_NE(key, s.line[static_cast<size_t>(p - 2)]) << "line " << n << " at " << p;
      }
    }
    if (n == 9) {
      EXPECT_EQ(text(kLineNumberCell, 2), "９");
    }
  }
  EXPECT_EQ(seen.size(), 26u);  // every letter turns up
  EXPECT_EQ(text(kLineNumberCell, 4), "１２");
}

}  // namespace
}  // namespace tutor::trytest
