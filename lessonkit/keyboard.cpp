#include "lessonkit/keyboard.h"

#include "console/frame_box.h"
#include "spelling/kana_layout.h"

namespace tutor::lessonkit {

void write_legend(Console& con, int k, const Legends& legends, Colour colour) {
  const std::string_view legend = legends[static_cast<size_t>(k)];
  if (const auto cell = key(k).legend_cell; cell && !legend.empty()) {
    con.print(*cell, colour, legend);
  }
}

void draw_key(Console& con, int k, Colour face, Colour shade, const Legends& legends) {
  frame_box(con, key(k).rect, {kWhite, shade, face});
  write_legend(con, k, legends, text_on(face));
}

void draw_keyboard_panel(Console& con) {
  frame_box(con, {42, 114, 594, 334}, kRaisedBox);
}

void draw_function_key_row(Console& con) {
  // Three groups of four, four and two caps.
  for (int i = 0; i < 10; ++i) {
    const int gap = i < 4 ? 74 : i < 8 ? 82 : 90;
    frame_box(con, {gap + 48 * i, 126, gap + 44 + 48 * i, 146}, key_box(kCream));
  }
}

void draw_keyboard(Console& con, const Legends& legends) {
  draw_keyboard_panel(con);
  draw_function_key_row(con);
  for (int k = 1; k <= kKeyCount; ++k) {
    frame_box(con, key(k).rect, key_box(kCream));
  }
  for (int k = 1; k <= kKeyCount; ++k) {
    write_legend(con, k, legends);
  }
}

void colour_keys(Console& con, const Scheme& scheme, const Legends& legends) {
  for (int k = 1; k <= kTypingKeys; ++k) {
    draw_key(con, k, scheme.face(k), kBlack, legends);
  }
}

}  // namespace tutor::lessonkit

namespace tutor::lessonkit {
namespace {

// Only the Shift keys keep a text legend on the kana keyboard.
constexpr Legends kShiftLegendsOnly = [] {
  Legends l{};
  l[kLeftShift] = key(kLeftShift).legend;
  l[kRightShift] = key(kRightShift).legend;
  return l;
}();

const spelling::KanaKey* kana_key(int k) {
  for (const spelling::KanaKey& kk : spelling::kKanaLayout) {
    if (k < kSpaceBar && kk.place == key(k).place) {
      return &kk;
    }
  }
  return nullptr;
}

}  // namespace

KanaCap kana_cap(int k) {
  const Rect r = key(k).rect;
  const spelling::KanaKey* kk = kana_key(k);
  if (kk == nullptr || kk->shifted == 0) {
    return {{r.x1 + 1, r.y1 + 1, r.x2 - 1, r.y2 - 1}, {}};
  }
  const Rect shifted = {r.x2 - 12, r.y1 + 1, r.x2 - 1, r.y1 + 12};
  if (kk->kana == U'゜') {
    // Raised, as it stands beside a kana: at the foot of the key it reads as 。.
    return {{r.x1 + 1, r.y1 + 1, r.x1 + 16, r.y1 + 16}, shifted};
  }
  // As a JIS key cap prints them: the shifted kana above, to the right.
  return {{r.x1 + 1, r.y2 - 16, r.x1 + 16, r.y2 - 1}, shifted};
}

void draw_kana_key(Console& con, int k, Colour face) {
  draw_key(con, k, face, kBlack, kShiftLegendsOnly);
  if (const spelling::KanaKey* kk = kana_key(k)) {
    const KanaCap cap = kana_cap(k);
    con.label(cap.kana, kana_font_units(kk->kana, false), text_on(face), kk->kana);
    if (kk->shifted != 0) {
      con.label(cap.shifted, kana_font_units(kk->shifted, true), text_on(face), kk->shifted);
    }
  }
}

void draw_kana_keyboard(Console& con) {
  draw_keyboard(con, kShiftLegendsOnly);
  for (int k = 1; k < kSpaceBar; ++k) {
    draw_kana_key(con, k, kCream);
  }
}

}  // namespace tutor::lessonkit
