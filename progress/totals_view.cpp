#include "progress/views.h"

#include <string>
#include <string_view>
#include <utility>

#include "progress/progress_layout.h"
#include "progress/screen_text.h"

namespace tutor::progress {

void draw_totals(Console& con, const Overview& o) {
  if (o.blocks == 0) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、合計がここに表示されます。");
    return;
  }
  const std::pair<std::string_view, std::string> lines[] = {
      {"練習した時間",
       with_commas(o.seconds / 3600) + " 時間 " + std::to_string(o.seconds / 60 % 60) + " 分"},
      {"ブロック数", with_commas(o.blocks)},
      {"正しく打った文字", with_commas(o.right)},
      {"ミスタッチ", with_commas(o.wrong)},
  };
  for (int i = 0; i < 4; ++i) {
    con.print({6, 3 + i}, kGrey, lines[i].first);
    print_right_aligned(con, {36, 3 + i}, kYellow, lines[i].second);
  }
  con.print({6, kFirstProgramRow - 1}, kLightCyan, "練習");
  con.print({24, kFirstProgramRow - 1}, kLightCyan, "最高の評価");
  con.print({40, kFirstProgramRow - 1}, kLightCyan, "最新の評価");
  con.print({62, kFirstProgramRow - 1}, kLightCyan, "最新の日付");
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    const int row = kFirstProgramRow + int(i);
    const ProgramSummary& p = o.programs[i];
    con.print({6, row}, kGrey, kProgramNames[i].shown);
    if (p.blocks == 0) {
      con.print({24, row}, kGrey, "―");
      continue;
    }
    if (p.best_shown.empty()) {
      con.print({24, row}, kGrey, "合格なし");
    } else {
      con.print({24, row}, kYellow, p.best_shown);
    }
    con.print({40, row}, kYellow, p.latest_shown);
    con.print({62, row}, kGrey, p.latest_day);
  }
  con.print({6, kBestNoteRow}, kGrey, kBestNote);
}

}  // namespace tutor::progress
