#include "keygroups/key_group_course.h"

#include <gtest/gtest.h>

#include "console/text.h"
#include "lessonkit/key_table.h"
#include "tests/support/headless_fixture.h"

namespace tutor::keygroups {
namespace {

using lessonkit::key;
using lessonkit::kKeyGroupStrip;
using tutor::testing::as_shown;
using tutor::testing::started;

class KeyGroupTest : public tutor::testing::HeadlessTest {
 protected:
  Outcome run_course(const KeyGroupCourse& course) {
    return run([&](Console& c) { keygroups::run_course(c, course); });
  }
  void start_step() { script().key("x"); }
  // A key typed on is dropped; Enter goes on as a click does.
  void click_results() { script().type("x").enter(); }
  // Passes the number-row course's first `steps` steps.
  void pass_steps(size_t steps) {
    for (size_t s = 0; s < steps; ++s) {
      start_step();
      type_block(kQuillon.steps[s].lines, 60);
      click_results();
    }
  }

  // The cursor cell's area, rim included.
  [[nodiscard]] int cell_area(int n) const {
    const Rect area = kKeyGroupStrip.cell(n).grown(2);
    return pixel({area.x1 + 1, area.y1 + 1});
  }
  // Every key 1-51 in face 14 but those listed.
  void expect_plain_keys_but(std::initializer_list<int> lit) const {
    for (int k = 1; k <= lessonkit::kKeyCount; ++k) {
      if (std::find(lit.begin(), lit.end(), k) == lit.end()) {
        EXPECT_EQ(key_face(k), 14) << "key " << k;
      }
    }
  }
  [[nodiscard]] std::string counter() const { return text({30, 22}, 17); }
};

TEST_F(KeyGroupTest, QuillonRunsItsFourStepsAndRecordsTheCourse) {
  start_step();
  script().inspect([&] {
    EXPECT_EQ(text({22, 1}, 40), as_shown(kQuillonStepTitles[0]));
    EXPECT_EQ(key_face(5), 11);  // "5" to type first
    EXPECT_EQ(key_face(6), 1);   // scheme 1: left index finger
    EXPECT_EQ(key_face(7), 14);
    EXPECT_EQ(cell_area(1), 11);                               // the cursor cell
    EXPECT_EQ(pixel({kKeyGroupStrip.cell(1).x1 - 2, 70}), 3);  // its outline
    EXPECT_EQ(counter(), std::string(17, ' '));
  });
  script().type("5").inspect([&] { EXPECT_EQ(counter(), "  あと   399 文字"); });
  type_block(kQuillonStep1, 60, 1);
  script().inspect([&] {
    EXPECT_EQ(text({17, 16}, 51), kQuillonPassMessages[0]);
    EXPECT_EQ(pixel({135, 260}), 10);
  });
  click_results();
  for (int s = 1; s < 4; ++s) {
    start_step();
    script().inspect([&, s] {
      EXPECT_EQ(text({22, 1}, 40), as_shown(kQuillonStepTitles[static_cast<size_t>(s)]));
    });
    type_block(kQuillon.steps[static_cast<size_t>(s)].lines, 60);
    click_results();
  }
  EXPECT_EQ(started(run_course(kQuillon)), "./Velmora.exe");
  EXPECT_EQ(record("SUU.TXT"), "クリアー\n");
}

TEST_F(KeyGroupTest, TheStepStartShowsTheHomePositionAndOnlyAKeyOrClickEndsIt) {
  for (const KeyGroupCourse* course : {&kQuillon, &kTesmar}) {
    script() = {};
    for (int f = 1; f <= 10; ++f) {
      script().function_key(f);
    }
    EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(*course)));
    EXPECT_EQ(text({22, 1}, display_width(course->home_title)), as_shown(course->home_title));
    EXPECT_EQ(pixel({4, 16}), 13);  // the title bar
    EXPECT_EQ(text({9, 3}, 18), "１．右手の４本指を");
    EXPECT_EQ(text({27, 3}, 16), "  Ｊ  Ｋ  Ｌ  ；");
    EXPECT_EQ(text({43, 5}, 26), as_shown("　の上に軽くのせましょう。"));
    EXPECT_EQ(text({27, 5}, 16), "  Ａ  Ｓ  Ｄ  Ｆ");
    EXPECT_EQ(text({12, 22}, 30), "それでは練習をしてみましょう。");
    EXPECT_EQ(text({42, 22}, 26), "どれかキーを押してください");
    EXPECT_EQ(text_colour({42, 22}), kLightCyan);
    EXPECT_EQ(pixel({228, 46}), 11);  // the caps
    EXPECT_EQ(pixel({228, 78}), 7);
    EXPECT_EQ(key_face(32), 11);
    EXPECT_EQ(key_face(26), 7);
    script().click({10, 10});
    EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(*course)));
    EXPECT_EQ(text({12, 22}, 30), std::string(30, ' '));
    EXPECT_EQ(pixel({228, 46}), 0);
    EXPECT_EQ(text({5, 4}, 8), "練習問題");
  }
}

TEST_F(KeyGroupTest, TooManyErrorsAndNotYetShowTheirBoxesAndStartTheStepAgain) {
  struct Case {
    int seconds;
    std::string_view message;
  };
  for (const Case& c : {Case{60, "ミスタッチが多すぎます。エラーを30以内にしましょう。"},
                        Case{600, " まだまだ力不足です。神経を集中して練習しましょう。"}}) {
    start_step();
    script().type(std::string(31, '3'));  // a key that types something: each counts
    type_block(kQuillonStep1, c.seconds);
    script().inspect([&, c] {
      EXPECT_EQ(text({45, 10}, 5), "   31");
      EXPECT_EQ(text({17, 16}, display_width(c.message)), c.message);
      EXPECT_EQ(text_colour({c.message[0] == ' ' ? 18 : 17, 16}), Colour(7));
      EXPECT_EQ(pixel({130, 263}), 5);  // the box (130, 252)-(544, 274)
      EXPECT_EQ(pixel({544, 263}), 5);
      EXPECT_EQ(pixel({120, 263}), 0);
    });
    click_results();
  }
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
  EXPECT_EQ(text({12, 22}, 30), "それでは練習をしてみましょう。");
  start_step();
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
  EXPECT_EQ(text({22, 1}, 40), as_shown(kQuillonStepTitles[0]));
  EXPECT_EQ(record("SUU.TXT"), "未 達 成\n");
}

TEST_F(KeyGroupTest, AFailedStepStartsAgainAtItsFirstLine) {
  pass_steps(2);
  start_step();
  type_block(kQuillonStep3, 600);  // 40 a minute
  script().inspect([&] {
    EXPECT_EQ(text({17, 16}, 52), "スピードが遅すぎます。総合評価を80以上にしましょう。");
    EXPECT_EQ(text_colour({17, 16}), Colour(7));
    EXPECT_EQ(pixel({135, 260}), 5);
  });
  click_results();
  start_step();
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
  EXPECT_EQ(text({22, 1}, 40), as_shown(kQuillonStepTitles[2]));
  EXPECT_EQ(text({18, 4}, 11), "１ Ａ ２ Ａ");
  EXPECT_EQ(record("SUU.TXT"), "未 達 成\n");
}

TEST_F(KeyGroupTest, KeysThatTypeNothingCountNothingAndOnlyGreyTheCell) {
  pass_steps(2);
  start_step();
  script().enter().type("!").inspect([&] {
    EXPECT_EQ(cell_area(1), 7);
    EXPECT_EQ(key_face(lessonkit::kLeftShift), 14);
    EXPECT_EQ(key_face(1), 11);  // "1" still to type
  });
  script().type("1").inspect([&] {
    EXPECT_EQ(cell_area(1), 0);
    EXPECT_EQ(key_face(1), 1);  // back to its scheme colour
    EXPECT_EQ(cell_area(2), 11);
  });
  type_block(kQuillonStep3, 60, 1);
  script().inspect([&] { EXPECT_EQ(text({45, 10}, 5), "    0"); });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
}

TEST_F(KeyGroupTest, AWrongKeyCountsAndIsMarkedUntilTheNextKeystroke) {
  start_step();
  script().clock("10:00:00");
  script().enter().wait(60);
  type_block(kQuillonStep1, 0);
  script().inspect([&] { EXPECT_EQ(text({42, 8}, 4), "   1"); });  // timed from the Enter
  click_results();
  start_step();
  script().type("3").inspect([&] {
    EXPECT_EQ(key_face(3), 7);
    EXPECT_EQ(cell_area(1), 7);
  });
  script().type("f").inspect([&] { EXPECT_EQ(key_face(3), 14); });  // scheme 4 leaves 3 plain
  const std::string to_line_17 = tutor::testing::joined(kQuillonStep2, 16);
  script().type(to_line_17).type("3").inspect([&] { EXPECT_EQ(key_face(3), 7); });
  script().type("4").inspect([&] { EXPECT_EQ(key_face(3), 1); });  // scheme 6 colours 3
  type_block(kQuillonStep2, 60, to_line_17.size() + 1);
  script().inspect([&] { EXPECT_EQ(text({45, 10}, 5), "    3"); });  // 3, f and 3
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
}

TEST_F(KeyGroupTest, TheLastLinesOfTheReviewShowEveryKeyPlainButTheNextOne) {
  pass_steps(3);
  start_step();
  script().type(tutor::testing::joined(kQuillonStep4, 18)).inspect([&] {
    EXPECT_EQ(text({18, 4}, 2), "５");
    expect_plain_keys_but({5});
    EXPECT_EQ(key_face(5), 11);
  });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_course(kQuillon)));
}

TEST_F(KeyGroupTest, TheExitAreaLeavesWithoutARecordOnlyInsideItsEdges) {
  start_step();
  script().type("5F").click({624, 400}).click({600, 396}).double_click({559, 405});
  script().inspect([&] { EXPECT_EQ(counter(), "  あと   398 文字"); });
  script().click({560, 400});
  EXPECT_EQ(started(run_course(kQuillon)), "./Velmora.exe");
  EXPECT_EQ(record("SUU.TXT"), "未 達 成\n");
}

TEST_F(KeyGroupTest, TesmarJudgesSymbolsAndRecordsOnlyAPass) {
  start_step();
  script().inspect([&] {
    EXPECT_EQ(text({22, 1}, display_width(kTesmarStepTitle)), as_shown(kTesmarStepTitle));
    expect_plain_keys_but({24});  // "@" to type first
  });
  script().type("@+").inspect([&] {
    EXPECT_EQ(cell_area(2), 7);
    expect_plain_keys_but({35});  // ";" next; "+" marks nothing
  });
  script().type(";@").inspect([&] { expect_plain_keys_but({35}); });
  script().type("; @").inspect([&] {
    EXPECT_EQ(key_face(24), 7);  // "@" where ":" is expected
    expect_plain_keys_but({24, 36});
  });
  script().type(":").inspect([&] { expect_plain_keys_but({35}); });
  type_block(kTesmarLines, 600, 6);
  script().inspect([&] {
    EXPECT_EQ(text({45, 10}, 5), "    1");
    EXPECT_EQ(text({17, 16}, 52), "スピードが遅すぎます。総合評価を80以上にしましょう。");
  });
  click_results();
  EXPECT_EQ(started(run_course(kTesmar)), "./Velmora.exe");
  EXPECT_EQ(record("KIGO.TXT"), "未 達 成\n");

  start_step();
  type_block(kTesmarLines, 60);
  click_results();
  EXPECT_EQ(started(run_course(kTesmar)), "./Velmora.exe");
  EXPECT_EQ(record("KIGO.TXT"), "クリアー\n");
}

}  // namespace
}  // namespace tutor::keygroups
