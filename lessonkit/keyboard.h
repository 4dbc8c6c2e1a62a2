#pragma once

#include <array>
#include <string_view>

#include "console/console.h"
#include "lessonkit/key_table.h"
#include "lessonkit/step_colours.h"

namespace tutor::lessonkit {

// The legends a keyboard shows, per key 1-51 (index 0 unused); "" shows none.
using Legends = std::array<std::string_view, kKeyCount + 1>;

// The full-width legends of the key table; the space bar shows none.
inline constexpr Legends kPlainLegends = [] {
  Legends l{};
  for (int k = 1; k <= kKeyCount; ++k) {
    l[static_cast<size_t>(k)] = k == kSpaceBar ? "" : key(k).legend;
  }
  return l;
}();

// Draws key k: rims 15 and `shade`, face `face`, then its legend in colour 0.
void draw_key(Console& con,
              int k,
              Colour face,
              Colour shade = kBlack,
              const Legends& legends = kPlainLegends);
// Writes key k's legend, if it has one, in black or in a colour that reads on
// the key's face.
void write_legend(Console& con,
                  int k,
                  const Legends& legends = kPlainLegends,
                  Colour colour = kBlack);

// The panel the keyboard stands on.
void draw_keyboard_panel(Console& con);
// The ten blank function-key caps above the keyboard, rims 15/0, face 14.
void draw_function_key_row(Console& con);
// Panel, function-key row, all 51 keys in face 14 with rims 15/0, then every legend.
void draw_keyboard(Console& con, const Legends& legends = kPlainLegends);
// Recolours keys 1-49 with the faces of `scheme`, legends rewritten.
void colour_keys(Console& con, const Scheme& scheme, const Legends& legends = kPlainLegends);

// The keyboard of kana input: keys 1-48 show the kana of the JIS kana layout
// instead of their Latin legends, the shifted kana smaller at the top right
// where a key has one; the Shift keys show "Shift".
void draw_kana_keyboard(Console& con);
// Draws key k of the kana keyboard with face `face`, its kana in black or in
// a colour that reads on the face.
void draw_kana_key(Console& con, int k, Colour face);
// Where key k shows its kana and its shifted kana, design units; the plain
// kana fills the key where there is no shifted one.
struct KanaCap {
  Rect kana;
  Rect shifted;
};
[[nodiscard]] KanaCap kana_cap(int k);
// The size of a key's kana: marks, whose ink is small in its em, larger.
[[nodiscard]] constexpr int kana_font_units(char32_t kana, bool shifted) {
  const bool mark = kana == U'゛' || kana == U'゜' || kana == U'、' || kana == U'。' ||
                    kana == U'・' || kana == U'「' || kana == U'」';
  return shifted ? (mark ? 16 : 12) : (mark ? 24 : 16);
}

}  // namespace tutor::lessonkit
