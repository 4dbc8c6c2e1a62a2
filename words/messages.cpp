#include "words/messages.h"

#include <vector>

#include "console/text.h"
#include "lessonkit/home_position.h"
#include "lessonkit/screen_pieces.h"
#include "words/menu_layout.h"

namespace tutor::words {

std::string problem_text(const Problem& p) {
  return p.file + (p.line > 0 ? " " + std::to_string(p.line) + "行目" : "") + ": " + p.what;
}

void show_message(Console& con, std::string_view title, std::span<const std::string> lines) {
  con.clear_screen();
  lessonkit::draw_title_bar(con, kTitleBarFace);
  lessonkit::write_title(con, title, kBlack);
  int row = 4;
  for (const std::string& line : lines) {
    if (row > 19) {
      break;
    }
    con.print({2, row++}, kWhite, cut_to_width(line, 76));
  }
  con.print({24, 21}, kLightCyan, "どれかキーを押してください");
  lessonkit::wait_any_input(con, Arm::mouse());
}

void show_problems(Console& con, const LessonEntry& l) {
  std::vector<std::string> lines = {
      l.items.empty() ? "このレッスンには練習できる行がありません。"
                      : "このレッスンには練習できない行があります。ほかの行で練習します。",
      ""};
  for (const Problem& p : l.problems) {
    lines.push_back(problem_text(p));
  }
  show_message(con, l.title, lines);
}

}  // namespace tutor::words
