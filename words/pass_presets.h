#pragma once

#include <array>
#include <string_view>

#include "words/material_types.h"

// Who practises: the pass marks of the word course by school stage, each a
// speed in kana a minute and a share of right keystrokes. A survey of the
// ministry of education (2022) measured 15.8 characters a minute for 5th
// graders, half of them under 15; 23.0 in the 2nd year of junior high and
// 28.4 in the 2nd year of high school. Each mark stands a little below its
// stage's mean, so that a learner of that stage passes with practice; the
// first years, not measured, by the same steps below. "一般" is the course's
// first rule: an evaluation of 80 with at most 30 wrong keystrokes.
namespace tutor::words {

struct PassPreset {
  std::string_view name;       // on the menu and the result screen
  std::string_view conf_name;  // in kotoba.conf
  int kana_per_minute;         // 0: the first rule
  int percent_right;
  WordSet words;  // the built-in lessons of that stage
};

inline constexpr std::array<PassPreset, 6> kPassPresets = {{
    {"小学校1・2年", "grade1-2", 6, 80, WordSet::Younger},
    {"小学校3・4年", "grade3-4", 10, 85, WordSet::Younger},
    {"小学校5・6年", "grade5-6", 15, 85, WordSet::Older},
    {"中学生", "junior-high", 20, 90, WordSet::Everyday},
    {"高校生", "high-school", 25, 90, WordSet::Everyday},
    {"一般", "general", 0, 0, WordSet::Everyday},
}};
inline constexpr std::size_t kGeneralPreset = kPassPresets.size() - 1;

}  // namespace tutor::words
