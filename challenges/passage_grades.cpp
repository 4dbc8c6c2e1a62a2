#include "challenges/passage_grades.h"

#include <algorithm>
#include <cmath>

namespace tutor::challenges {

std::optional<PassageGrade> passage_grade(int characters, int mistakes) {
  std::optional<PassageGrade> reached;
  for (const PassageGrade& grade : kPassageGrades) {
    if (characters - mistakes * grade.per_mistake >= grade.characters) {
      reached = grade;
    }
  }
  return reached;
}

TenMinutePace at_ten_minutes(int characters, int mistakes, int minutes) {
  minutes = std::clamp(minutes, 1, kPassageMinutes);
  const double scale = static_cast<double>(kPassageMinutes) / minutes;
  // Rounded down: a pace is not rounded up into a grade it did not reach.
  TenMinutePace pace{static_cast<int>(std::floor(characters * scale)),
                     static_cast<int>(std::ceil(mistakes * scale)), std::nullopt};
  pace.grade = passage_grade(pace.characters, pace.mistakes);
  return pace;
}

}  // namespace tutor::challenges
