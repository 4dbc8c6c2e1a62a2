#include "lessonkit/block_history.h"

#include "console/print_using.h"

namespace tutor::lessonkit {

std::string shown_evaluation_text(float evaluation) {
  std::string text = format_using("#,###.#", {static_cast<double>(evaluation)});
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

void keep_block(Console& con,
                history::HistoryWriter& history,
                int step,
                const BlockResult& block,
                const Score& score,
                std::string_view result,
                const ResultExtras& extras) {
  con.show_now();
  history.keep(history::BlockEntry{
      .ended_at = history::local_time_now(),
      .program = con.program_name(),
      .step = step,
      .seconds = score.time.minutes * 60 + score.time.seconds,
      .right = block.right,
      .wrong = block.wrong,
      .evaluation = shown_evaluation_text(score.evaluation),
      .result = std::string(result),
      .keys = block.keys.rows(),
      .lesson = extras.lesson,
      .input = std::string(extras.input),
      .kana = extras.kana,
  });
}

}  // namespace tutor::lessonkit
