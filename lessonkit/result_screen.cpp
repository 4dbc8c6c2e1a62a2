#include "lessonkit/result_screen.h"

#include "console/frame_box.h"
#include "lessonkit/block_history.h"
#include "lessonkit/home_position.h"

namespace tutor::lessonkit {

void draw_result_screen(Console& con, const Score& score) {
  con.clear_screen();
  constexpr Colour kBarFaces[] = {2, 4, 6};
  for (int i = 0; i < 3; ++i) {
    frame_box(con, {162, 124 + 32 * i, 494, 146 + 32 * i}, {15, 1, kBarFaces[i]});
  }
  con.print({21, 8}, 7, "　あなたの所用時間は      分    秒です");
  con.print({21, 10}, 7, "　あなたの入力エラー          回です");
  con.print({21, 12}, 7, "　あなたの総合評価は　　　 　字／分です");
  con.print({24, 20}, 6, "マウスを左クリックすると終了します");
  con.print_using({42, 8}, 7, "####", {static_cast<double>(score.time.minutes)});
  con.print_using({50, 8}, 7, "##", {static_cast<double>(score.time.seconds)});
  con.print_using({45, 10}, 7, "#,###", {static_cast<double>(score.errors)});
  con.print_using({41, 12}, 7, "#,###.#", {static_cast<double>(score.evaluation)});
}

void draw_verdict(Console& con, const VerdictBox& look, std::string_view message) {
  frame_box(con, look.box, {15, 1, look.face});
  con.print({look.message_column, 16}, look.message_colour, message);
}

const VerdictLook& VerdictLooks::of(Verdict v) const {
  switch (v) {
    case Verdict::Pass:
      return pass;
    case Verdict::TooManyErrors:
      return too_many_errors;
    case Verdict::TooSlow:
      return too_slow;
    case Verdict::NotYet:
      break;
  }
  return not_yet;
}

Verdict show_block_result(Console& con,
                          history::HistoryWriter& history,
                          int step_number,
                          const BlockResult& block,
                          const VerdictLooks& looks) {
  const Score score = score_block(block);
  const Verdict verdict = verdict_of(score);
  draw_result_screen(con, score);
  const VerdictLook& look = looks.of(verdict);
  draw_verdict(con, look.box, look.message);
  keep_block(con, history, step_number, block, score, verdict_name(verdict));
  wait_click(con);
  return verdict;
}

}  // namespace tutor::lessonkit
