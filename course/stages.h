#pragma once

#include <span>
#include <string_view>

#include "console/geometry.h"
#include "course/material.h"
#include "course/texts.h"
#include "lessonkit/drill.h"
#include "lessonkit/home_position.h"
#include "lessonkit/screen_pieces.h"
#include "lessonkit/step_colours.h"

namespace tutor::course {

using lessonkit::Scheme;
using lessonkit::SchemeChange;

// The introduction's six finger steps.
inline constexpr Scheme kOstrinSchemes[] = {
    Scheme{"A S D F J K L ;"},    // home position
    Scheme{"5 6 R T F G V B"},    // left index finger
    Scheme{"7 8 Y U H J N M"},    // right index finger
    Scheme{"4 9 E I D K C ,"},    // middle fingers
    Scheme{"3 0 W O S L X ."},    // ring fingers
    Scheme{"1 2 - Q P A ; Z /"},  // little fingers
};

// The fundamentals' eight schemes.
inline constexpr Scheme kPalvekSchemes[] = {
    Scheme{"5 6 R T F G V B"},                  // left index finger
    Scheme{"7 8 Y U H J N M"},                  // right index finger
    Scheme{"5 6 7 8 R T Y U F G H J V B N M"},  // both index fingers
    Scheme{"4 9 E I D K C ,"},                  // middle fingers
    Scheme{"3 0 W O S L X ."},                  // ring fingers
    Scheme{"3 4 9 0 W E I O S D K L X C , ."},  // middle and ring fingers
    Scheme{"1 2 - Q P A ; Z /"},                // little fingers
    Scheme{""},                                 // all keys (review)
};

// Introduction: scheme s before line 5s-4 of its one block.
inline constexpr SchemeChange kOstrinSchemeChanges[] = {
    {1, &kOstrinSchemes[0], kOstrinSchemeTitles[0]},
    {6, &kOstrinSchemes[1], kOstrinSchemeTitles[1]},
    {11, &kOstrinSchemes[2], kOstrinSchemeTitles[2]},
    {16, &kOstrinSchemes[3], kOstrinSchemeTitles[3]},
    {21, &kOstrinSchemes[4], kOstrinSchemeTitles[4]},
    {26, &kOstrinSchemes[5], kOstrinSchemeTitles[5]},
};

constexpr SchemeChange palvek_scheme(int before_line, int scheme) {
  return {before_line, &kPalvekSchemes[scheme - 1],
          kPalvekSchemeTitles[static_cast<size_t>(scheme - 1)]};
}

// Fundamentals: the scheme in force for lines 1-4, 5-8, 9-12, 13-16 and 17-20.
inline constexpr SchemeChange kPalvekStep1Schemes[] = {palvek_scheme(1, 1), palvek_scheme(5, 2),
                                                       palvek_scheme(9, 1), palvek_scheme(13, 2),
                                                       palvek_scheme(17, 3)};
inline constexpr SchemeChange kPalvekStep2Schemes[] = {palvek_scheme(1, 4), palvek_scheme(9, 5),
                                                       palvek_scheme(17, 6)};
inline constexpr SchemeChange kPalvekStep3Schemes[] = {palvek_scheme(1, 7)};
inline constexpr SchemeChange kPalvekStep4Schemes[] = {palvek_scheme(1, 8)};

using lessonkit::Step;

// A stage program of the course.
struct Stage {
  std::string_view name;
  lessonkit::HomePositionLook home;
  // The introduction runs all its finger steps as one block on the
  // HomePositionScreen's keyboard, and a failure shows that screen again.
  bool one_block_on_home_screen;
  // The fundamentals show the home keys lit until the first scheme applies.
  bool home_keys_on_drill_screen;
  lessonkit::DrillLook drill;
  std::span<const Step> steps;
  // The pass verdict box and the column of its message.
  Rect pass_box;
  int pass_column;
  int stage_reached;  // written to step.TXT when the last step is passed
  std::string_view next_program;
};

inline constexpr lessonkit::DrillLook kStageDrill = {
    .keyboard_shown = true,
    .light_next_key = true,
    .mark_wrong_key = true,
    .cell_shadow = kBlack,
    .strip = lessonkit::kStageStrip,
    .cursor = lessonkit::Cursor::LitCell,
    .wrong_keys = lessonkit::WrongKeys::CountMarkingShiftForUnknown,
    .counter = lessonkit::kFramedEachUpdate,
    .legends = &lessonkit::kPlainLegends,
    .target_of = lessonkit::plain_target,
    .key_of_keystroke = lessonkit::plain_key_of,
    .leaves = lessonkit::in_stage_exit_area,
};

constexpr lessonkit::DrillLook ostrin_drill() {
  lessonkit::DrillLook d = kStageDrill;
  d.counter = lessonkit::kFramedOnceFromStart;
  return d;
}
constexpr lessonkit::DrillLook mestra_drill() {
  lessonkit::DrillLook d = kStageDrill;
  d.light_next_key = false;
  return d;
}
constexpr lessonkit::DrillLook hollin_drill() {
  lessonkit::DrillLook d = kStageDrill;
  d.keyboard_shown = false;
  d.light_next_key = false;
  d.mark_wrong_key = false;
  d.cell_shadow = kBlue;
  return d;
}

inline constexpr Step kOstrinSteps[] = {
    {kOstrinLines, kOstrinSchemeChanges, kOstrinSchemeTitles[0], kOstrinLastPass}};

inline constexpr Step kPalvekSteps[] = {
    {kPalvekStep1, kPalvekStep1Schemes, kPalvekSchemeTitles[0], kStepPassMessages[0]},
    {kPalvekStep2, kPalvekStep2Schemes, kPalvekSchemeTitles[3], kStepPassMessages[1]},
    {kPalvekStep3, kPalvekStep3Schemes, kPalvekSchemeTitles[6], kStepPassMessages[2]},
    {kPalvekStep4, kPalvekStep4Schemes, kPalvekSchemeTitles[7], kPalvekLastPass},
};

constexpr std::array<Step, 4> rundel_steps(std::string_view last_pass,
                                           std::span<const std::string_view> step4) {
  return {{{kRundelStep1, {}, kStepTitles[0], kStepPassMessages[0]},
           {kRundelStep2, {}, kStepTitles[1], kStepPassMessages[1]},
           {kRundelStep3, {}, kStepTitles[2], kStepPassMessages[2]},
           {step4, {}, kStepTitles[3], last_pass}}};
}
inline constexpr auto kRundelSteps = rundel_steps(kRundelLastPass, kRundelStep4);
// The intermediate stage types the beginner's material again.
inline constexpr auto kMestraSteps = rundel_steps(kMestraLastPass, kRundelStep4);
// The advanced stage types it for steps 1-3 and has its own step 4.
inline constexpr auto kHollinSteps = rundel_steps(kHollinLastPass, kHollinStep4);

inline constexpr Rect kOstrinPassBox = {120, 252, 564, 274};
inline constexpr Rect kStepPassBox = {100, 252, 564, 274};

// The StageTable: name, home-position look, one block on the home screen,
// home keys on the drill screen, drill look, steps, pass box and its message
// column, the stage reached, the program that follows.
// clang-format off
inline constexpr Stage kOstrin = {"Ostrin", {kOstrinTitle, kCream, kBlack}, true, false,
    ostrin_drill(), kOstrinSteps, kOstrinPassBox, 17, 2, "././M1/Palvek.exe"};
inline constexpr Stage kPalvek = {"Palvek", {kPalvekTitle, kPink, kBlack}, false, true,
    kStageDrill, kPalvekSteps, kStepPassBox, 15, 3, "././M1/Rundel.exe"};
inline constexpr Stage kRundel = {"Rundel", {kRundelTitle, kLightBlue, kBlack}, false, false,
    kStageDrill, kRundelSteps, kStepPassBox, 15, 4, "././M1/Mestra.exe"};
inline constexpr Stage kMestra = {"Mestra", {kMestraTitle, kMagenta, kGrey}, false, false,
    mestra_drill(), kMestraSteps, kStepPassBox, 15, 5, "././M1/Hollin.exe"};
inline constexpr Stage kHollin = {"Hollin", {kHollinTitle, kCyan, kGrey}, false, false,
    hollin_drill(), kHollinSteps, kStepPassBox, 15, 6, "././M1/Zarbet.exe"};
// clang-format on

}  // namespace tutor::course
