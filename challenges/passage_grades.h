#pragma once

#include <array>
#include <optional>
#include <string_view>

// The ten-minute passage test (長文) graded as Japan's word-processing
// certificate grades its speed test: characters of the written text typed in
// ten minutes, less a number of characters for each mistake that grows
// with the grade.
namespace tutor::challenges {

inline constexpr int kPassageMinutes = 10;

struct PassageGrade {
  std::string_view name;
  int characters = 0;   // needed in ten minutes, after the deductions
  int per_mistake = 0;  // characters taken off for each mistake
};

// From the lowest grade up.
inline constexpr std::array<PassageGrade, 6> kPassageGrades = {{
    {"4級", 200, 1},
    {"3級", 300, 1},
    {"準2級", 400, 3},
    {"2級", 500, 3},
    {"準1級", 600, 5},
    {"1級", 700, 5},
}};

// The highest grade ten minutes of `characters` with `mistakes` reach;
// none below 4級.
[[nodiscard]] std::optional<PassageGrade> passage_grade(int characters, int mistakes);

// A shorter run (1-10 minutes) as the ten-minute run at its pace: its
// characters and mistakes scaled to ten minutes, and the grade they would
// reach. Marked as such wherever it is shown.
struct TenMinutePace {
  int characters = 0;
  int mistakes = 0;
  std::optional<PassageGrade> grade;
};
[[nodiscard]] TenMinutePace at_ten_minutes(int characters, int mistakes, int minutes);

}  // namespace tutor::challenges
