#include "lessonkit/home_position.h"

#include "console/frame_box.h"
#include "lessonkit/keyboard.h"
#include "lessonkit/screen_pieces.h"

namespace tutor::lessonkit {

void wait_any_input(Console& con, Arm armed) {
  while (con.poll(armed).kind == Event::Kind::None) {
  }
}

void wait_click_or_enter(Console& con) {
  while (true) {
    const Event e = con.poll(Arm::mouse());
    if (e.is_mouse() || (e.is_key() && e.key == keys::kEnter)) {
      return;
    }
  }
}

void write_home_position_prompt(Console& con) {
  con.print({9, 3}, kGrey, "１．右手の４本指を");
  con.print({43, 3}, kGrey, "　の上に軽くのせましょう。");
  con.print({9, 5}, kGrey, "２．左手の４本指を");
  con.print({43, 5}, kGrey, "　の上に軽くのせましょう。");
  con.print({27, 3}, kBlack, "　Ｊ　Ｋ　Ｌ　；");
  con.print({27, 5}, kBlack, "　Ａ　Ｓ　Ｄ　Ｆ");
  // Light cyan on black: cyan is a face that carries light text.
  con.print({12, 22}, kLightCyan, "それでは練習をしてみましょう。");
  con.print({42, 22}, kLightCyan, "どれかキーを押してください");
}

void home_position_screen(Console& con, const HomePositionLook& look) {
  con.clear_screen();
  draw_title_bar(con, look.title_bar_face);
  draw_keyboard_panel(con);
  write_title(con, look.title, look.title_colour);

  for (int i = 0; i < 4; ++i) {
    frame_box(con, {226 + 32 * i, 44, 252 + 32 * i, 68}, raised_box(kLightCyan));
    frame_box(con, {226 + 32 * i, 76, 252 + 32 * i, 103}, raised_box(kGrey));
  }
  write_home_position_prompt(con);

  draw_function_key_row(con);
  for (int k = 1; k <= kKeyCount; ++k) {
    frame_box(con, key(k).rect, key_box(kCream));
  }
  constexpr int kLeftHome[] = {26, 27, 28, 29};   // A S D F
  constexpr int kRightHome[] = {32, 33, 34, 35};  // J K L ;
  for (int k : kLeftHome) {
    frame_box(con, key(k).rect, key_box(kGrey));
  }
  for (int k : kRightHome) {
    frame_box(con, key(k).rect, key_box(kLightCyan));
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
  frame_box(con, {226, 44, 360, 103}, kBlackBox);
}

}  // namespace tutor::lessonkit
