#pragma once

#include <array>
#include <span>
#include <string_view>

#include "console/console.h"
#include "lessonkit/evaluation.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/step_colours.h"

namespace tutor::lessonkit {

// One character of a drill line as the drill engine sees it.
struct DrillTarget {
  int key = 0;                               // the key that types it, 1-49
  std::string_view shown;                    // the legend in its strip cell
  std::array<std::string_view, 2> accepted;  // keystrokes that count as right
  int shift_key = 0;                         // the Shift key to hold with it, 0 for none
};

// The DrillStrip's 20 cells: cell n (1-20) has the face
// (x1 + 24(n-1), y1)-(x1 + width + 24(n-1), y2); its character is written at
// column 18 + 3(n-1), row 4.
struct StripGeometry {
  int x1;
  int width;
  int y1;
  int y2;
  [[nodiscard]] constexpr Rect cell(int n) const {
    const int x = x1 + 24 * (n - 1);
    return {x, y1, x + width, y2};
  }
  [[nodiscard]] static constexpr Cell text_cell(int n) { return {18 + 3 * (n - 1), 4}; }
};
inline constexpr StripGeometry kStageStrip = {142, 19, 60, 84};
inline constexpr StripGeometry kShiftStrip = {140, 19, 60, 84};
inline constexpr StripGeometry kKeyGroupStrip = {142, 18, 62, 82};

// How the position to type is shown.
enum class Cursor {
  // The next cell and key are lit with face 11 as the previous character is
  // typed; a typed cell is erased.
  LitCell,
  // Each position in turn fills its cell area with 11 and outlines it in 3;
  // a typed cell is blacked out.
  FilledCell,
};

// What a keystroke that is not right does.
enum class WrongKeys {
  // Counts; the key typing it is marked, the left Shift key when none does.
  CountMarkingShiftForUnknown,
  // Counts; the key typing it is marked; when none does nothing is drawn but
  // the left Shift key stands as the marked key.
  CountMarkingNothingForUnknown,
  // Counts and is marked only when some key types it; anything else (Enter,
  // a shifted symbol) only greys the cell.
  IgnoreUnknown,
};

// The RemainingCounter's behaviour.
struct CounterLook {
  std::string_view mask;
  bool shown_at_start;       // with the block length, before the first keystroke
  bool framed_every_update;  // else framed once, then only the text is rewritten
  bool blanks_row_first;     // the first time, blank 56 columns of row 22 as well
};
inline constexpr CounterLook kFramedOnceFromStart = {"  あと #### 文字", true, false, false};
inline constexpr CounterLook kFramedEachUpdate = {"  あと #### 文字", false, true, false};
inline constexpr CounterLook kKeyGroupCounter = {"  あと #,### 文字", false, false, true};

// Everything in which one lesson program's drill differs from another's.
struct DrillLook {
  bool keyboard_shown = true;
  bool light_next_key = true;
  bool mark_wrong_key = true;
  // A wrong keystroke that marks the very key to type (its character without
  // the Shift the position needs) leaves the mark until the next keystroke,
  // instead of the key being lit again at once.
  bool mark_outlasts_light = false;
  // Shadow rim of the lit cell and of a cell typed wrong.
  Colour cell_shadow = kBlack;
  StripGeometry strip = kStageStrip;
  Cursor cursor = Cursor::LitCell;
  WrongKeys wrong_keys = WrongKeys::CountMarkingShiftForUnknown;
  CounterLook counter = kFramedEachUpdate;
  const Legends* legends = &kPlainLegends;
  // The character a drill line holds -> what to type, light and show.
  DrillTarget (*target_of)(char ch) = nullptr;
  // The key a wrong keystroke marks; 0 when no key types it.
  int (*key_of_keystroke)(std::string_view keystroke) = nullptr;
  // Whether a click or double-click at this pointer leaves for the launcher.
  bool (*leaves)(Point p) = nullptr;
};

// A scheme applied to the keyboard before a line (1-based) of a block, with
// the title written then ("" writes none).
struct SchemeChange {
  int before_line;
  const Scheme* scheme;
  std::string_view title;
};

// One DrillBlock: its lines and the schemes in force.
struct BlockPlan {
  std::span<const std::string_view> lines;
  std::span<const SchemeChange> schemes = {};
  // Key faces in force before the first change.
  const Scheme* initial_scheme = &kNoScheme;
};

// One step of a lesson program: its block, the schemes applied in it, its
// title on the drill screen and the message when it is passed.
struct Step {
  std::span<const std::string_view> lines;
  std::span<const SchemeChange> schemes;
  std::string_view title;
  std::string_view pass_message;
};

// Runs a block until every character has been typed right; returns the counts
// and the clock at the first and the last keystroke. A click in the exit area
// starts the launcher instead (and this program ends).
BlockResult run_block(Console& con, const DrillLook& look, const BlockPlan& plan);

// Plain characters: the key typing it, its legend, its two forms.
[[nodiscard]] DrillTarget plain_target(char ch);
// The first key among 1-49 typing the keystroke in either form; 0 for none.
[[nodiscard]] int plain_key_of(std::string_view keystroke);

}  // namespace tutor::lessonkit
