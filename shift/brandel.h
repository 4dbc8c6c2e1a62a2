#pragma once

#include <string_view>

#include "console/console.h"
#include "lessonkit/drill.h"
#include "lessonkit/screen_pieces.h"
#include "shift/shift_keys.h"

namespace tutor::shift {

// The best evaluation so far, in characters per minute; 0 for none yet.
inline constexpr std::string_view kBestRecord = "././M0/data/SFT.TXT";

inline constexpr std::string_view kBrandelTitle = "　　　タイピング練習(シフト)";

// The drill of the shift-key course: the next key lit with the Shift key to
// hold, a keystroke that no key types counted but not drawn, and a wrong
// keystroke on the very key to type left marked until the next keystroke.
inline constexpr lessonkit::DrillLook kBrandelDrill = {
    .keyboard_shown = true,
    .light_next_key = true,
    .mark_wrong_key = true,
    .mark_outlasts_light = true,
    .cell_shadow = kBlack,
    .strip = lessonkit::kShiftStrip,
    .cursor = lessonkit::Cursor::LitCell,
    .wrong_keys = lessonkit::WrongKeys::CountMarkingNothingForUnknown,
    .counter = lessonkit::kFramedOnceFromStart,
    .legends = &kShiftLegends,
    .target_of = shift_target,
    .key_of_keystroke = key_of_keystroke,
    .leaves = lessonkit::in_stage_exit_area,
};

// The evaluation as the ResultScreen shows it, to one decimal.
[[nodiscard]] float shown_evaluation(float evaluation);

// Stores the evaluation as shown if it beats the stored best. A record that
// is missing or holds no number counts as 0; a record that cannot be written
// shows the fatal error box. True when it was stored as the new best.
bool keep_best(Console& con, float evaluation);

// The shift-key course: the HomePositionScreen, one block of shifted
// characters, the results and the best evaluation kept; then the launcher.
// The ExitButton leaves for the launcher while a keystroke is awaited.
[[noreturn]] void run_brandel(Console& con);

}  // namespace tutor::shift
