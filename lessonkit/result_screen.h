#pragma once

#include <string_view>

#include "console/console.h"
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

}  // namespace tutor::lessonkit
