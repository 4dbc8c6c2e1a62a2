#include "lessonkit/home_position.h"

#include "console/frame_box.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/screen_pieces.h"

namespace tutor::lessonkit {

void wait_any_input(Console& con, Arm armed) {
  while (con.poll(armed).kind == Event::Kind::None) {
  }
}

void wait_click(Console& con) {
  while (!con.poll(Arm::mouse()).is_mouse()) {
  }
}

void write_home_position_prompt(Console& con) {
  con.print({9, 3}, 7, "１．右手の４本指を");
  con.print({43, 3}, 7, "　の上に軽くのせましょう。");
  con.print({9, 5}, 7, "２．左手の４本指を");
  con.print({43, 5}, 7, "　の上に軽くのせましょう。");
  con.print({27, 3}, 0, "　Ｊ　Ｋ　Ｌ　；");
  con.print({27, 5}, 0, "　Ａ　Ｓ　Ｄ　Ｆ");
  con.print({12, 22}, 5, "それでは練習をしてみましょう。");
  con.print({42, 22}, 5, "どれかキーを押してください");
}

void home_position_screen(Console& con, const HomePositionLook& look) {
  con.clear_screen();
  draw_title_bar(con, look.title_bar_face);
  draw_keyboard_panel(con);
  write_title(con, look.title, look.title_colour);

  for (int i = 0; i < 4; ++i) {
    frame_box(con, {226 + 32 * i, 44, 252 + 32 * i, 68}, {15, 1, 11});
    frame_box(con, {226 + 32 * i, 76, 252 + 32 * i, 103}, {15, 1, 7});
  }
  write_home_position_prompt(con);

  draw_function_key_row(con);
  for (int k = 1; k <= kKeyCount; ++k) {
    frame_box(con, key(k).rect, {15, 0, 14});
  }
  constexpr int kLeftHome[] = {26, 27, 28, 29};   // A S D F
  constexpr int kRightHome[] = {32, 33, 34, 35};  // J K L ;
  for (int k : kLeftHome) {
    frame_box(con, key(k).rect, {15, 0, 7});
  }
  for (int k : kRightHome) {
    frame_box(con, key(k).rect, {15, 0, 11});
  }
  if (look.home_legends_only) {
    for (int k : kLeftHome) {
      write_legend(con, k);
    }
    for (int k : kRightHome) {
      write_legend(con, k);
    }
  } else {
    for (int k = 1; k <= kKeyCount; ++k) {
      write_legend(con, k);
    }
  }

  // A function key moves on as a letter does; it is not counted anywhere.
  wait_any_input(con, Arm::mouse_and_function_keys());

  con.blank({9, 3}, 78);
  con.blank({9, 5}, 78);
  con.blank({12, 22}, 56);
  frame_box(con, {226, 44, 360, 103}, {0, 0, 0});
}

}  // namespace tutor::lessonkit
