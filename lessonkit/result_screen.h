#pragma once

#include <string_view>

#include "console/console.h"
#include "history/history.h"
#include "lessonkit/block_history.h"
#include "lessonkit/evaluation.h"

namespace tutor::lessonkit {

// Clears the screen and shows the time, the errors and the evaluation on their
// three bars, with the prompt to click.
void draw_result_screen(Console& con, const Score& score);

// Messages of the verdicts every course shares.
inline constexpr std::string_view kTooManyErrorsMessage =
    "ミスタッチが多すぎます。エラーを30以内にしましょう。";
inline constexpr std::string_view kNotYetMessage =
    " まだまだ力不足です。神経を集中して練習しましょう。";

// A verdict box with its message on row 16.
struct VerdictBox {
  Rect box;
  Colour face;
  int message_column;
  Colour message_colour;
};
void draw_verdict(Console& con, const VerdictBox& look, std::string_view message);

// How a course shows one verdict: its box and its message.
struct VerdictLook {
  VerdictBox box;
  std::string_view message;
};
// A course's look for each of the four verdicts.
struct VerdictLooks {
  VerdictLook pass;
  VerdictLook too_many_errors;
  VerdictLook too_slow;
  VerdictLook not_yet;
  [[nodiscard]] const VerdictLook& of(Verdict v) const;
};

// The end of a block in every course with verdicts: scores it, shows the
// ResultScreen with the verdict in the course's look, keeps the block in the
// history (as step `step_number`) and waits for the click or Enter; other
// keys pressed on this screen are dropped, so none counts in the next block.
Verdict show_block_result(Console& con,
                          BlockKeeper& keeper,
                          int step_number,
                          const BlockResult& block,
                          const VerdictLooks& looks,
                          const ResultExtras& extras = {});

}  // namespace tutor::lessonkit
