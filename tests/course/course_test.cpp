#include "course/course.h"

#include <gtest/gtest.h>

#include "console/text.h"
#include "lessonkit/key_table.h"
#include "tests/support/headless_fixture.h"

namespace tutor::course {
namespace {

using lessonkit::key;
using lessonkit::kStageStrip;
using tutor::testing::started;

class CourseTest : public tutor::testing::HeadlessTest {
 protected:
  Outcome run_stage(const Stage& stage) {
    return run([&](Console& c) { course::run_stage(c, stage); });
  }

  void click_results() { script().click({320, 225}); }
  // Types the stage's first `steps` steps right, a minute each; `skip` characters typed.
  void pass_steps(const Stage& stage, size_t steps, size_t skip = 0) {
    for (size_t s = 0; s < steps; ++s) {
      type_block(stage.steps[s].lines, 60, s == 0 ? skip : 0);
      click_results();
    }
  }

  [[nodiscard]] int cell_face(int n) const {
    return pixel({kStageStrip.cell(n).x1 + 1, kStageStrip.cell(n).y1 + 1});
  }
  // The shaded rim under a cell.
  [[nodiscard]] int cell_shadow(int n) const {
    const Rect c = kStageStrip.cell(n);
    return pixel_at({(c.x1 + c.x2) / 2, pixel_y(c.y2) + 1});
  }
};

TEST_F(CourseTest, OstrinPassedShowsItsResultsRecordsStageTwoAndStartsPalvek) {
  script().key("x").inspect([&] {
    EXPECT_EQ(text({22, 1}, 40), "ステップ１（ホームポジションキーの練習）");
    EXPECT_EQ(text({30, 22}, 16), "  あと  600 文字");
    EXPECT_EQ(key_face(29), 11);  // F to type first
    EXPECT_EQ(key_face(32), 1);   // J, a home key of step 1
    EXPECT_EQ(key_face(17), 14);  // R
  });
  script().clock("10:00:00");
  type_block(kOstrinLines, 300);
  script().inspect([&] {
    EXPECT_EQ(text({42, 8}, 4), "   5");
    EXPECT_EQ(text({50, 8}, 2), " 0");
    EXPECT_EQ(text({45, 10}, 5), "    0");
    EXPECT_EQ(text({41, 12}, 7), "  120.0");
    EXPECT_EQ(text({17, 16}, display_width(kOstrinLastPass)), kOstrinLastPass);
    EXPECT_EQ(pixel({125, 260}), 3);
    EXPECT_EQ(text({24, 20}, 34), "マウスを左クリックすると終了します");
    EXPECT_EQ(record("step.TXT"), "1\n");
  });
  click_results();
  EXPECT_EQ(started(run_stage(kOstrin)), "././M1/Palvek.exe");
  EXPECT_EQ(record("step.TXT"), "2\n");
}

TEST_F(CourseTest, CorrectionsOfTheSystemClockMidBlockLeaveItsTimeAlone) {
  script().key("x").clock("10:00:00").type("F").correct_clock(-1);
  script().inspect([&] { EXPECT_EQ(text({30, 22}, 16), "  あと  599 文字"); });
  script().type("FJJ FJFF").correct_clock(3600);
  type_block(kOstrinLines, 300, 9);
  script().inspect([&] {
    EXPECT_EQ(text({42, 8}, 4) + text({50, 8}, 2), "   5 0");
    EXPECT_EQ(text({41, 12}, 7), "  120.0");
  });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kOstrin)));
}

TEST_F(CourseTest, ASlowOstrinBlockIsTooSlowAndShowsTheHomeScreenAgain) {
  script().function_key(5);  // moves on as a letter would
  script().clock("10:00:00");
  type_block(kOstrinLines, 600);  // 60 a minute
  script().inspect([&] {
    EXPECT_EQ(text({41, 12}, 7), "   60.0");
    EXPECT_EQ(text({17, 16}, 52), "打つ速度が遅すぎます。総合評価を80以上にしましょう。");
    EXPECT_EQ(pixel({125, 260}), 5);
  });
  click_results();
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kOstrin)));
  EXPECT_EQ(text({12, 22}, 30), "それでは練習をしてみましょう。");
  EXPECT_EQ(text({27, 3}, 16), "  Ｊ  Ｋ  Ｌ  ；");
  EXPECT_EQ(record("step.TXT"), "1\n");
}

TEST_F(CourseTest, WrongKeystrokesCountEachTimeAndOnlyTheLastStaysMarked) {
  script().key("x").clock("10:00:00");
  script().type("XXY").inspect([&] {
    EXPECT_EQ(key_face(19), 7);   // Y, pressed last
    EXPECT_EQ(key_face(39), 14);  // X, given back its face
    EXPECT_EQ(key_face(29), 11);  // F still to type
    EXPECT_EQ(cell_face(1), 7);
    EXPECT_EQ(cell_shadow(1), 0);
  });
  script().type("f").inspect([&] {  // lower case is right
    EXPECT_EQ(key_face(19), 14);
    EXPECT_EQ(cell_face(1), 0);
    EXPECT_EQ(cell_face(2), 11);
    EXPECT_EQ(text({30, 22}, 16), "  あと  599 文字");
  });
  script().enter().inspect([&] {
    EXPECT_EQ(key_face(lessonkit::kLeftShift), 7);
    EXPECT_EQ(cell_face(2), 7);
  });
  // A function key is not typing: it neither counts nor moves the drill.
  script().function_key(5).type("F").inspect([&] {
    EXPECT_EQ(key_face(lessonkit::kLeftShift), 14);
    EXPECT_EQ(cell_face(2), 0);
  });
  type_block(kOstrinLines, 300, 2);
  script().inspect([&] { EXPECT_EQ(text({45, 10}, 5), "    4"); });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kOstrin)));
}

TEST_F(CourseTest, PalvekChangesSchemesAtTheirLinesAndGoesOnToStepThree) {
  script().key("x");
  const std::string first_four = tutor::testing::joined(kPalvekStep1, 4);
  script().type(first_four).inspect([&] {
    EXPECT_EQ(text({22, 1}, 34), kPalvekSchemeTitles[1]);  // right index finger
    EXPECT_EQ(key_face(7), 1);                             // 7
    EXPECT_EQ(key_face(5), 14);                            // 5
    EXPECT_EQ(key_face(20), 11);                           // U, the first of line 5
    EXPECT_EQ(cell_shadow(1), 1);                          // as the line first appears
  });
  pass_steps(kPalvek, 1, first_four.size());
  type_block(kPalvekStep2, 60);
  script().inspect([&] {
    EXPECT_EQ(text({15, 16}, display_width(kStepPassMessages[1])),
              tutor::testing::as_shown(kStepPassMessages[1]));
    EXPECT_EQ(pixel({105, 260}), 3);
  });
  click_results();
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kPalvek)));
  EXPECT_EQ(text({22, 1}, 34), tutor::testing::as_shown(kPalvekSchemeTitles[6]));
  EXPECT_EQ(key_face(14), 1);   // Q: little fingers
  EXPECT_EQ(key_face(17), 14);  // R
  EXPECT_EQ(key_face(38), 11);  // Z, the first of step 3
  EXPECT_EQ(record("step.TXT"), "1\n");
}

TEST_F(CourseTest, AFailedRundelStepRepeatsOnlyThatStepWithAFreshBlock) {
  script().key("x");
  pass_steps(kRundel, 2);
  type_block(kRundelStep3, 600);  // too slow
  click_results();
  script().inspect([&] {
    EXPECT_EQ(text({22, 1}, 34), tutor::testing::as_shown(kStepTitles[2]));
    EXPECT_EQ(text({18, 4}, 2), "Ａ");
    EXPECT_EQ(text({30, 22}, 16), std::string(16, ' '));  // no counter before a right key
  });
  script().type("A");
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kRundel)));
  EXPECT_EQ(text({30, 22}, 16), "  あと  399 文字");
  EXPECT_EQ(text({21, 4}, 2), "；");
}

TEST_F(CourseTest, TooManyErrorsAndNotYetShowTheirBoxesAndRepeatTheStep) {
  script().key("x");
  struct Case {
    int seconds;
    const char* evaluation;
    std::string_view message;
  };
  for (const Case& c :
       {Case{60, "  369.0", "ミスタッチが多すぎます。エラーを30以内にしましょう。"},
        Case{600, "   36.9", " まだまだ力不足です。神経を集中して練習しましょう。"}}) {
    script().type(std::string(31, 'Q'));
    type_block(kRundelStep1, c.seconds);
    script().inspect([&, c] {
      EXPECT_EQ(text({45, 10}, 5), "   31");
      EXPECT_EQ(text({41, 12}, 7), c.evaluation);
      EXPECT_EQ(text({17, 16}, display_width(c.message)), c.message);
      EXPECT_EQ(text_colour({c.message[0] == ' ' ? 18 : 17, 16}), Colour(6));
      EXPECT_EQ(pixel({120, 263}), 5);  // the box (120, 252)-(564, 274)
      EXPECT_EQ(pixel({564, 263}), 5);
      EXPECT_EQ(pixel({110, 263}), 0);
    });
    click_results();
  }
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kRundel)));
  EXPECT_EQ(text({22, 1}, 34), tutor::testing::as_shown(kStepTitles[0]));  // step 1 again
  EXPECT_EQ(record("step.TXT"), "1\n");
}

TEST_F(CourseTest, MestraMarksWrongKeysButDoesNotLightTheNextOne) {
  script().key("x").type("Q");
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_stage(kMestra)));
  EXPECT_EQ(key_face(29), 14);  // F is next but stays plain
  EXPECT_EQ(key_face(14), 7);   // Q marked
  EXPECT_EQ(text({22, 1}, 34), tutor::testing::as_shown(kStepTitles[0]));
  EXPECT_EQ(text_colour({32, 1}), Colour(7));
}

TEST_F(CourseTest, HollinDrillsWithoutAKeyboardAndHandsOverToTheTryTest) {
  script().key("x").type("QF").inspect([&] {
    EXPECT_EQ(key_face(14), 0);  // no keyboard, nothing marked
    EXPECT_EQ(key_face(29), 0);
    EXPECT_EQ(cell_face(2), 11);
    EXPECT_EQ(cell_shadow(2), 1);
  });
  pass_steps(kHollin, 4, 1);
  EXPECT_EQ(started(run_stage(kHollin)), "././M1/Zarbet.exe");
  EXPECT_EQ(record("step.TXT"), "6\n");
}

TEST_F(CourseTest, TheExitButtonLeavesOnlyInsideItsAreaAndRecordsNothing) {
  script().key("x").type("FF");
  script().click({539, 400}).double_click({600, 420}).click({613, 400}).click({560, 389});
  script().inspect([&] { EXPECT_EQ(text({30, 22}, 16), "  あと  598 文字"); });
  script().click({540, 390});
  EXPECT_EQ(started(run_stage(kOstrin)), "./Velmora.exe");
  EXPECT_EQ(record("step.TXT"), "1\n");

  script().key("x").type("FFJJ").double_click({612, 419});
  EXPECT_EQ(started(run_stage(kOstrin)), "./Velmora.exe");
}

TEST_F(CourseTest, AFailedRecordWriteShowsTheFatalErrorBox) {
  std::filesystem::remove_all(root_ / "M0");
  script().key("x");
  type_block(kOstrinLines, 60);
  click_results();
  const Outcome o = run_stage(kOstrin);
  const auto* box = std::get_if<FatalErrorShown>(&o);
  ASSERT_NE(box, nullptr);
  // Under the message: what failed, with the record's path, for a teacher.
  EXPECT_NE(box->text.find("\n記録ファイルに書き込めません: "), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("/M0/data/step.TXT\n"), std::string::npos) << box->text;
}

}  // namespace
}  // namespace tutor::course
