#include <gtest/gtest.h>

#include "course/course.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/programs.h"

namespace tutor {
namespace {

using tutor::testing::programs;

class JourneyTest : public tutor::testing::HeadlessTest {
 protected:
  // Runs programs one after another, each started by the one before, from
  // the launcher until the script runs out; returns the paths started.
  std::vector<std::string> follow() {
    std::vector<std::string> path;
    std::string next = "./Velmora.exe";
    while (true) {
      const auto it = programs().find(next);
      if (it == programs().end()) {
        ADD_FAILURE() << "no program at " << next;
        return path;
      }
      const Outcome o = run(it->second.run);
      next = tutor::testing::started(o);
      if (next.empty()) {
        return path;
      }
      path.push_back(next);
    }
  }

  // Passes a stage: the home-position prompt, then each step typed right in a
  // minute and its results clicked away. The title bar shows the stage's colour.
  void pass_stage(const course::Stage& stage, int title_face) {
    const auto title_bar = [this, &stage, title_face] {
      EXPECT_EQ(pixel({4, 16}), title_face) << stage.name;
    };
    script().inspect(title_bar).key("x").inspect(title_bar);
    for (const course::Step& step : stage.steps) {
      type_block(step.lines, 60);
      script().click({320, 225});
    }
  }
};

TEST_F(JourneyTest, FromTheFirstLessonThroughTheTryTestToClearingTheRecords) {
  script().function_key(1);
  pass_stage(course::kOstrin, 14);
  pass_stage(course::kPalvek, 13);
  pass_stage(course::kRundel, 9);
  pass_stage(course::kMestra, 3);
  pass_stage(course::kHollin, 5);
  // The timed test: OK at ten minutes, one wrong key to start the clock, the
  // time runs out, then the missed keys and the result are clicked away.
  script().click({276, pixel_y(328)}).type("1").wait(601).idle();
  script().double_click({320, 200}).click({320, 200});
  script().inspect([&] {
    EXPECT_EQ(record("step.TXT"), "6\n");
    EXPECT_EQ(record("RANK.TXT"), "2\n");  // 10級
  });
  script().function_key(10).inspect([&] {
    EXPECT_EQ(text({36, 3}, 8), "トライ編");
    EXPECT_EQ(text({58, 3}, 4), "10級");
  });
  script().key(keys::kRight).enter();

  const std::vector<std::string> expected = {
      "././M1/Ostrin.exe", "././M1/Palvek.exe", "././M1/Rundel.exe",
      "././M1/Mestra.exe", "././M1/Hollin.exe", "././M1/Zarbet.exe",
      "./Velmora.exe",     "././M1/Ulvane.exe", "./Velmora.exe"};
  EXPECT_EQ(follow(), expected);
  EXPECT_EQ(records(), tutor::testing::kStartingRecords);
}

}  // namespace
}  // namespace tutor
