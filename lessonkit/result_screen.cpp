#include "lessonkit/result_screen.h"

#include "console/frame_box.h"
#include "lessonkit/home_position.h"

namespace tutor::lessonkit {

void draw_result_screen(Console& con, const Score& score) {
  con.clear_screen();
  constexpr Colour kBarFaces[] = {kRed, kGreen, kYellow};
  for (int i = 0; i < 3; ++i) {
    frame_box(con, {162, 124 + 32 * i, 494, 146 + 32 * i}, raised_box(kBarFaces[i]));
  }
  con.print({21, 8}, kGrey, "　あなたの所用時間は      分    秒です");
  con.print({21, 10}, kGrey, "　あなたの入力エラー          回です");
  // Black on the yellow bar: grey there could not be read.
  con.print({21, 12}, kBlack, "　あなたの総合評価は　　　 　字／分です");
  con.print({24, 20}, kYellow, "マウスを左クリックすると終了します");
  con.print_using({42, 8}, kGrey, "####", {static_cast<double>(score.time.minutes)});
  con.print_using({50, 8}, kGrey, "##", {static_cast<double>(score.time.seconds)});
  con.print_using({45, 10}, kGrey, "#,###", {static_cast<double>(score.errors)});
  con.print_using({41, 12}, kBlack, "#,###.#", {static_cast<double>(score.evaluation)});
}

void draw_verdict(Console& con, const VerdictBox& look, std::string_view message) {
  frame_box(con, look.box, raised_box(look.face));
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
                          BlockKeeper& keeper,
                          int step_number,
                          const BlockResult& block,
                          const VerdictLooks& looks,
                          const ResultExtras& extras) {
  const Score score = score_block(block);
  const Verdict verdict = verdict_of(score);
  draw_result_screen(con, score);
  const VerdictLook& look = looks.of(verdict);
  draw_verdict(con, look.box, look.message);
  if (extras.draw) {
    extras.draw(con, score);
  }
  keep_block(con, keeper, step_number, block, score, verdict_name(verdict), extras);
  wait_click_or_enter(con);
  return verdict;
}

}  // namespace tutor::lessonkit
