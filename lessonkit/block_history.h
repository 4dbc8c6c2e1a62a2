#pragma once

#include <string_view>

#include "console/console.h"
#include "history/history.h"
#include "lessonkit/evaluation.h"

namespace tutor::lessonkit {

// The evaluation as the ResultScreen writes it, without its leading blanks.
[[nodiscard]] std::string shown_evaluation_text(float evaluation);

// Keeps a block whose ResultScreen has been drawn: the screen is put on show
// first, so that writing to the disk never holds it back.
void keep_block(Console& con,
                history::HistoryWriter& history,
                int step,
                const BlockResult& block,
                const Score& score,
                std::string_view result);

}  // namespace tutor::lessonkit
