#include "lessonkit/block_history.h"

#include "console/print_using.h"

namespace tutor::lessonkit {

std::string shown_evaluation_text(float evaluation) {
  std::string text = format_using("#,###.#", {static_cast<double>(evaluation)});
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

BlockKeeper::BlockKeeper(history::HistoryWriter history, classsync::SendStarter sender)
    : history_(std::move(history)), sender_(std::move(sender)) {}

BlockKeeper BlockKeeper::of(const Console& con) {
  return BlockKeeper(
      history::HistoryWriter::of(con),
      classsync::SendStarter(history::file_of(con), con.file_path(classsync::kLauncherProgram)));
}

bool BlockKeeper::keep(const history::BlockEntry& block) {
  const bool kept = history_.keep(block);
  sender_.start();
  return kept;
}

void keep_block(Console& con,
                BlockKeeper& keeper,
                int step,
                const BlockResult& block,
                const Score& score,
                std::string_view result,
                const ResultExtras& extras) {
  con.show_now();
  keeper.keep(history::BlockEntry{
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
