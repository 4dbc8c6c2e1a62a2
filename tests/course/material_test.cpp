#include <gtest/gtest.h>

#include "course/stages.h"
#include "lessonkit/key_table.h"

namespace tutor::course {
namespace {

TEST(StageMaterial, EveryLineIsTwentyCharactersAndEveryCharacterHasAKey) {
  for (const Stage* stage : {&kOstrin, &kPalvek, &kRundel, &kMestra, &kHollin}) {
    for (const Step& step : stage->steps) {
      EXPECT_EQ(step.lines.size(), stage == &kOstrin ? 30u : 20u) << stage->name;
      for (std::string_view line : step.lines) {
        ASSERT_EQ(line.size(), 20u) << stage->name << ": \"" << line << "\"";
        for (char ch : line) {
          EXPECT_NE(lessonkit::key_typing(std::string_view(&ch, 1)), 0)
              << stage->name << ": '" << ch << "' in \"" << line << "\"";
        }
      }
    }
  }
}

TEST(StageMaterial, LaterStagesReuseTheBeginnersLines) {
  for (size_t s = 0; s < 4; ++s) {
    EXPECT_EQ(kMestra.steps[s].lines.data(), kRundel.steps[s].lines.data());
  }
  for (size_t s = 0; s < 3; ++s) {
    EXPECT_EQ(kHollin.steps[s].lines.data(), kRundel.steps[s].lines.data());
  }
  EXPECT_EQ(kHollin.steps[3].lines.front(), "GURF YMGJ TNVF HBNJ ");
  EXPECT_EQ(kHollin.steps[3].lines.back(), "JVYATEQSHRODMHIBODMW");
}

}  // namespace
}  // namespace tutor::course
