#include "shift/brandel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <variant>

#include "lessonkit/evaluation.h"
#include "shift/drill_lines.h"
#include "tests/support/headless_fixture.h"

namespace tutor::shift {
namespace {

using lessonkit::key;
using lessonkit::kLeftShift;
using lessonkit::kRightShift;
using tutor::testing::started;

class BrandelTest : public tutor::testing::HeadlessTest {
 protected:
  Outcome run_brandel() {
    return run([](Console& c) { shift::run_brandel(c); });
  }

  [[nodiscard]] int key_shadow(int k) const {
    const Rect r = key(k).rect;
    return pixel_at({(r.x1 + r.x2) / 2, pixel_y(r.y2) + 1});
  }
  [[nodiscard]] std::string legend(int k, int width = 2) const {
    return text(*key(k).legend_cell, width);
  }
  [[nodiscard]] int cell_face(int n) const {
    return pixel({lessonkit::kShiftStrip.cell(n).x1 + 1, lessonkit::kShiftStrip.cell(n).y1 + 1});
  }
  // Keys 1-49 in the wrong-key colour.
  [[nodiscard]] int marked_keys() const {
    int n = 0;
    for (int k = 1; k <= lessonkit::kTypingKeys; ++k) {
      n += key_face(k) == 7 ? 1 : 0;
    }
    return n;
  }
};

TEST_F(BrandelTest, TheNextKeyIsLitWithTheShiftKeyOfTheOtherHand) {
  script().inspect([&] {
    EXPECT_EQ(pixel({300, 20}), 10);
    EXPECT_EQ(text({22, 1}, 28), tutor::testing::as_shown(kBrandelTitle));
    EXPECT_EQ(text_colour({28, 1}), Colour(7));
    EXPECT_EQ(legend(29), "Ｆ");
    EXPECT_EQ(legend(5), "  ");  // only the home keys carry legends here
  });
  script().key("x").inspect([&] {
    EXPECT_EQ(key_face(29), 14);  // the home keys lose their colours
    EXPECT_EQ(legend(5), "％");
    EXPECT_EQ(legend(kLeftShift, 7), "Shift  ");
    EXPECT_EQ(text({30, 22}, 16), "  あと  400 文字");
    EXPECT_EQ(text({18, 4}, 2), "％");
    EXPECT_EQ(cell_face(1), 11);
    EXPECT_EQ(pixel({141, 70}), 11);  // the strip stands two units left of the stages'
    EXPECT_EQ(key_face(5), 11);
    EXPECT_EQ(key_shadow(5), 1);  // as the line first appears
    EXPECT_EQ(key_face(kRightShift), 11);
    EXPECT_EQ(key_shadow(kRightShift), 0);
    EXPECT_EQ(key_face(kLeftShift), 14);
  });
  script().type("%").inspect([&] {
    EXPECT_EQ(key_face(5), 14);
    EXPECT_EQ(key_face(29), 11);
    EXPECT_EQ(key_shadow(29), 0);
    EXPECT_EQ(key_face(kRightShift), 14);
    EXPECT_EQ(key_face(kLeftShift), 14);
    EXPECT_EQ(cell_face(1), 0);
    EXPECT_EQ(cell_face(2), 11);
    EXPECT_EQ(text({30, 22}, 16), "  あと  399 文字");
  });
  script().type("F").inspect([&] {
    EXPECT_EQ(key_face(8), 11);
    EXPECT_EQ(legend(8), "（");
    EXPECT_EQ(key_face(kLeftShift), 11);
    EXPECT_EQ(key_face(kRightShift), 14);
  });
  script().type("(J");
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_brandel()));
  EXPECT_EQ(key_face(lessonkit::kSpaceBar), 11);
  EXPECT_EQ(key_face(kLeftShift), 14);
  EXPECT_EQ(row(19), std::string(80, ' '));  // the space bar shows no legend
  EXPECT_EQ(legend(48), "＿");
  EXPECT_EQ(text_colour(*key(48).legend_cell), Colour(0));
}

TEST_F(BrandelTest, AWrongKeystrokeMarksTheKeyTypingItOrNoKeyAtAll) {
  script().key("x").type("5").inspect([&] {
    EXPECT_EQ(key_face(5), 7);  // the mark stays, though 5 is the key to type
    EXPECT_EQ(legend(5), "％");
    EXPECT_EQ(key_face(kRightShift), 11);
    EXPECT_EQ(cell_face(1), 7);
  });
  script().key("\"").inspect([&] {
    EXPECT_EQ(key_face(2), 7);
    EXPECT_EQ(key_face(5), 11);
  });
  script().enter().inspect([&] {
    EXPECT_EQ(marked_keys(), 0);
    EXPECT_EQ(key_face(kLeftShift), 14);
  });
  script().type("%F").enter().inspect([&] {  // at "(": the left Shift stays lit
    EXPECT_EQ(marked_keys(), 0);
    EXPECT_EQ(key_face(kLeftShift), 11);
    EXPECT_EQ(cell_face(3), 7);
  });
  script().type("x").inspect([&] {
    EXPECT_EQ(key_face(39), 7);
    EXPECT_EQ(key_face(kLeftShift), 11);
  });
  script().type("(J %").inspect([&] {  // at "&"
    EXPECT_EQ(key_face(5), 7);
    EXPECT_EQ(key_face(6), 11);
    EXPECT_EQ(key_face(39), 14);
  });
  // The whole block in no measurable time counts as one second.
  type_block(kBrandelLines, 0, 5);
  script().inspect([&] {
    EXPECT_EQ(text({50, 8}, 2), " 1");
    EXPECT_EQ(text({45, 10}, 5), "    6");
    EXPECT_EQ(text({41, 12}, 8), "23,640.0");  // 394 in a sixtieth of a minute
  });
  EXPECT_TRUE(tutor::testing::ran_out_of_script(run_brandel()));
  EXPECT_EQ(record("SFT.TXT"), "23640\n");
}

TEST_F(BrandelTest, AWholeBlockShowsItsEvaluationKeepsItAndReturnsToTheLauncher) {
  script().key("x").clock("10:00:00").type(std::string(20, 'x'));
  type_block(kBrandelLines, 250);
  script().inspect([&] {
    EXPECT_EQ(text({42, 8}, 4), "   4");
    EXPECT_EQ(text({50, 8}, 2), "10");
    EXPECT_EQ(text({45, 10}, 5), "   20");
    EXPECT_EQ(text({41, 12}, 7), "   91.2");
    EXPECT_EQ(text({24, 20}, 34), "マウスを左クリックすると終了します");
    EXPECT_EQ(row(16), std::string(80, ' '));  // no verdict
    EXPECT_EQ(pixel({125, 260}), 0);
    EXPECT_EQ(record("SFT.TXT"), "91.2\n");  // stored before the click
  });
  bool still_shown = false;  // other keys do not end the wait; Enter does
  script().type("x").inspect([&] { still_shown = row(20).find("マウス") != std::string::npos; });
  script().enter();
  EXPECT_EQ(started(run_brandel()), "./Velmora.exe");
  EXPECT_TRUE(still_shown);
}

TEST_F(BrandelTest, OnlyABetterEvaluationReplacesTheStoredBest) {
  const auto keep = [&](int seconds, int errors) {
    char end[32];
    std::snprintf(end, sizeof end, "10:%02d:%02d", seconds / 60, seconds % 60);
    const float p = lessonkit::score_block({400, errors, "10:00:00", end, {}}).evaluation;
    run([&](Console& c) { keep_best(c, p); });
  };
  write_record("SFT.TXT", "91.20\n");
  keep(250, 20);  // 91.200005, shown 91.2
  keep(300, 0);   // 80.0
  EXPECT_EQ(record("SFT.TXT"), "91.20\n");
  keep(240, 35);  // 91.25 exactly, shown 91.3
  EXPECT_EQ(record("SFT.TXT"), "91.3\n");
  keep(249, 21);  // 91.33, shown 91.3: not better
  EXPECT_EQ(record("SFT.TXT"), "91.3\n");

  // A record that is missing or holds no number counts as no result yet.
  for (const char* stored : {"", "abc\n", "-"}) {
    write_record("SFT.TXT", stored);
    keep(300, 0);
    EXPECT_EQ(record("SFT.TXT"), "80\n") << stored;
  }
  remove_record("SFT.TXT");
  keep(300, 0);
  EXPECT_EQ(record("SFT.TXT"), "80\n");
}

TEST_F(BrandelTest, ARecordThatCannotBeReadOrWrittenShowsTheErrorBoxOverTheResults) {
  const auto data = root_ / "M0" / "data";
  // Cannot be written: no folder. Cannot be read: a folder in the file's place,
  // which must not be taken for a missing record and replaced.
  for (const auto& spoil : {std::function<void()>([&] { std::filesystem::remove_all(data); }),
                            std::function<void()>([&] {
                              std::filesystem::remove(data / "SFT.TXT");
                              std::filesystem::create_directories(data / "SFT.TXT");
                            })}) {
    spoil();
    int frames = 0;
    script() = {};
    script().key("x");
    type_block(kBrandelLines, 250, 0, [&] { frames = backend_.frames(); });
    const Outcome o = run_brandel();
    ASSERT_TRUE(std::holds_alternative<FatalErrorShown>(o));
    EXPECT_EQ(text({41, 12}, 7), "   96.0");
    EXPECT_EQ(backend_.frames(), frames + 1);  // the results were shown under the box
  }
  EXPECT_TRUE(std::filesystem::is_directory(data / "SFT.TXT"));
  EXPECT_EQ(testing::files_in(data / "SFT.TXT").size(), 0u);
}

TEST_F(BrandelTest, LeavingThroughTheExitButtonMidBlockWritesNothing) {
  script().key("x").type("%F(");
  script().click({539, 400}).double_click({600, 420});
  script().inspect([&] { EXPECT_EQ(text({30, 22}, 16), "  あと  397 文字"); });
  script().click({540, 390});
  EXPECT_EQ(started(run_brandel()), "./Velmora.exe");
  EXPECT_EQ(record("SFT.TXT"), "0\n");
}

}  // namespace
}  // namespace tutor::shift
