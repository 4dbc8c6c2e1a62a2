#include "lessonkit/screen_pieces.h"

#include "console/frame_box.h"

namespace tutor::lessonkit {

void draw_title_bar(Console& con, Colour face) {
  frame_box(con, {2, 14, 637, 34}, raised_box(face));
}

void write_title(Console& con, std::string_view title, Colour colour) {
  con.print({22, 1}, colour, title);
}

void draw_label(Console& con, LabelBox box) {
  frame_box(con, box.face, kRaisedBox);
  con.print({5, 4}, kBlack, "練習問題");
}

void draw_exit_button(Console& con) {
  frame_box(con, {543, 348, 615, 372}, raised_box(kGreen));
  con.print({70, 22}, kYellow, "終 了");
}

bool in_stage_exit_area(Point p) {
  return PixelRect{540, 390, 612, 419}.contains(p);
}

bool in_key_group_exit_area(Point p) {
  return OpenArea{560, 352, 624, 368}.contains_pixel(p);
}

void draw_counter_frame(Console& con) {
  frame_box(con, {242, 350, 390, 370}, raised_box(kRed));
}

void clear_counter_row_and_frame(Console& con) {
  con.fill({0, 348, 500, 372}, kBlack);
  draw_counter_frame(con);
}

void write_counter(Console& con, std::string_view mask, int remaining) {
  con.print_using({30, 22}, kYellow, mask, {static_cast<double>(remaining)});
}

}  // namespace tutor::lessonkit
