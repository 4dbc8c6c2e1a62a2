#pragma once

#include <array>
#include <span>
#include <string_view>

#include "keygroups/material.h"
#include "keygroups/texts.h"
#include "lessonkit/drill.h"
#include "lessonkit/step_colours.h"

namespace tutor::keygroups {

using lessonkit::Scheme;
using lessonkit::SchemeChange;

// The number-row course's ten colour schemes, by finger group.
inline constexpr Scheme kSchemes[] = {
    Scheme{"5 6 R T F G V B"},                   // 1 left index finger
    Scheme{"7 8 Y U H J N M"},                   // 2 right index finger
    Scheme{"5 6 7 8 R T Y U F G H J V B N M"},   // 3 both index fingers
    Scheme{"4 9 E I D K C ,"},                   // 4 middle fingers
    Scheme{"3 0 W O S L X ."},                   // 5 ring fingers
    Scheme{"3 4 9 0 W E I O S D K L X C , ."},   // 6 middle and ring fingers
    Scheme{"1 2 Q A Z"},                         // 7 left little finger
    Scheme{"- ^ \\ P @ [ ; : ] / _"},            // 8 right little finger
    Scheme{"1 2 - ^ \\ Q P @ [ A ; : ] Z / _"},  // 9 both little fingers
    Scheme{""},                                  // 10 review
};

using SchemePerLine = std::array<int, 20>;

// The scheme shown with each drill line r = 1-20 of the number-row steps.
// clang-format off
inline constexpr SchemePerLine kStep1Schemes = {1, 1, 1, 1, 2, 2, 2, 2, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};
inline constexpr SchemePerLine kStep2Schemes = {4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6};
inline constexpr SchemePerLine kStep3Schemes = {7, 7, 7, 8, 8, 8, 7, 7, 8, 8, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
inline constexpr SchemePerLine kStep4Schemes = {1, 1, 2, 2, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 9, 9, 9, 9, 10, 10};
// clang-format on

// Every line applies its scheme to the keyboard; the step title stays.
constexpr std::array<SchemeChange, 20> schemes_by_line(const SchemePerLine& per_line) {
  std::array<SchemeChange, 20> out{};
  for (size_t r = 0; r < 20; ++r) {
    out[r] = {static_cast<int>(r) + 1, &kSchemes[per_line[r] - 1], ""};
  }
  return out;
}
inline constexpr auto kStep1Changes = schemes_by_line(kStep1Schemes);
inline constexpr auto kStep2Changes = schemes_by_line(kStep2Schemes);
inline constexpr auto kStep3Changes = schemes_by_line(kStep3Schemes);
inline constexpr auto kStep4Changes = schemes_by_line(kStep4Schemes);
// The symbol keys colour no finger group: every line shows every key plain.
inline constexpr SchemePerLine kAllPlain = {10, 10, 10, 10, 10, 10, 10, 10, 10, 10,
                                            10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
inline constexpr auto kPlainChanges = schemes_by_line(kAllPlain);

using lessonkit::Step;

// A key-group course: the number row, or the symbol keys built on it.
struct KeyGroupCourse {
  std::string_view name;
  std::string_view home_title;
  std::span<const Step> steps;
  // Written "クリアー" when the last step is passed.
  std::string_view record;
  // A failed step is tried again; else any verdict but a pass ends the course.
  bool repeats_failed_step;
};

inline constexpr Step kQuillonSteps[] = {
    {kQuillonStep1, kStep1Changes, kQuillonStepTitles[0], kQuillonPassMessages[0]},
    {kQuillonStep2, kStep2Changes, kQuillonStepTitles[1], kQuillonPassMessages[1]},
    {kQuillonStep3, kStep3Changes, kQuillonStepTitles[2], kQuillonPassMessages[2]},
    {kQuillonStep4, kStep4Changes, kQuillonStepTitles[3], kQuillonPassMessages[3]},
};
inline constexpr Step kTesmarSteps[] = {
    {kTesmarLines, kPlainChanges, kTesmarStepTitle, kTesmarPassMessage},
};

inline constexpr KeyGroupCourse kQuillon = {"Quillon", kQuillonTitle, kQuillonSteps,
                                            "././M0/data/SUU.TXT", true};
inline constexpr KeyGroupCourse kTesmar = {"Tesmar", kTesmarTitle, kTesmarSteps,
                                           "././M0/data/KIGO.TXT", false};

}  // namespace tutor::keygroups
