#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "classsync/send_start.h"
#include "console/console.h"
#include "history/history.h"
#include "lessonkit/evaluation.h"

namespace tutor::lessonkit {

// The evaluation as the ResultScreen writes it, without its leading blanks.
[[nodiscard]] std::string shown_evaluation_text(float evaluation);

// What a course shows and keeps beside the others: figures drawn under the
// result bars, and the block's word-course fields in the history.
struct ResultExtras {
  std::function<void(Console&, const Score&)> draw;
  std::string lesson;
  std::string_view input;
  std::vector<history::KanaTally> kana;
};

// Where a program keeps its blocks: the progress history, and from there the
// class server where the school has one, through the sender it starts after
// each block (which also sends what earlier programs left waiting).
class BlockKeeper {
 public:
  [[nodiscard]] static BlockKeeper of(const Console& con);
  // Keeps a block in the history, then starts sending it.
  bool keep(const history::BlockEntry& block);

 private:
  BlockKeeper(history::HistoryWriter history, classsync::SendStarter sender);
  history::HistoryWriter history_;
  classsync::SendStarter sender_;
};

// Keeps a block whose ResultScreen has been drawn: the screen is put on show
// first, so that writing to the disk never holds it back.
void keep_block(Console& con,
                BlockKeeper& keeper,
                int step,
                const BlockResult& block,
                const Score& score,
                std::string_view result,
                const ResultExtras& extras = {});

}  // namespace tutor::lessonkit
