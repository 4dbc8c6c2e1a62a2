#include "lessonkit/keyboard.h"

#include "console/frame_box.h"

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
