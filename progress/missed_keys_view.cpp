#include "progress/views.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "console/frame_box.h"
#include "console/text.h"
#include "lessonkit/keyboard.h"
#include "progress/progress_layout.h"
#include "progress/screen_text.h"

namespace tutor::progress {

RecentMisses recent_misses(const history::History& h) {
  RecentMisses m;
  const size_t first = h.blocks.size() - std::min<size_t>(h.blocks.size(), kRecentBlocks);
  for (size_t i = first; i < h.blocks.size(); ++i) {
    // Kana input's keys type kana, not the characters this view names: its
    // misses are the word course's own, by kana.
    if (input_of(h.blocks[i].program, h.blocks[i].input) == "kana") {
      continue;
    }
    const bool shift_course = h.blocks[i].program == kShiftCourse;
    for (const history::KeyTally& k : h.blocks[i].keys) {
      if (k.key < 1 || k.key > lessonkit::kKeyCount) {
        continue;
      }
      m.right[size_t(k.key)] += k.right;
      m.wrong[size_t(k.key)] += k.wrong;
      for (const history::Miss& x : k.instead) {
        m.pairs[{k.key, x.typed_instead, shift_course}] += x.count;
      }
    }
  }
  return m;
}

void draw_missed_keys(Console& con, const RecentMisses& m) {
  const long long typed = std::accumulate(m.right.begin(), m.right.end(), 0LL) +
                          std::accumulate(m.wrong.begin(), m.wrong.end(), 0LL);
  if (typed == 0) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、ミスの多いキーがここに表示されます。");
    return;
  }
  con.print({2, kLegendRow}, kGrey, "ミス率");
  int col = 9;
  auto swatch = [&](Colour face, std::string_view label) {
    frame_box(con, {col * 8, 50, col * 8 + 14, 62}, key_box(face));
    con.print({col + 3, kLegendRow}, kGrey, label);
    col += 3 + display_width(label) + 2;
  };
  swatch(kUntypedFace, "打鍵なし");
  for (const MissBand& b : kMissBands) {
    swatch(b.face, b.label);
  }
  // The most frequent "typed X for Y" pairs, most first, then in key order.
  std::vector<std::pair<MissPair, long long>> pairs(m.pairs.begin(), m.pairs.end());
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  pairs.resize(std::min<size_t>(pairs.size(), kTopPairs));
  con.print({2, 4}, kLightCyan, "最近50ブロックで多かったミス");
  for (size_t i = 0; i < pairs.size(); ++i) {
    const auto& [miss, count] = pairs[i];
    const Cell at{i < 5 ? 4 : 42, 5 + int(i % 5)};  // rows 5-9, beside the title above the keys
    con.print(at, kGrey,
              std::string(i < 9 ? " " : "") + std::to_string(i + 1) + ". " + miss_text(miss) +
                  "  " + with_commas(count) + "回");
  }
  for (int k = 1; k <= lessonkit::kKeyCount; ++k) {
    lessonkit::draw_key(con, k, miss_face(m.right[size_t(k)], m.wrong[size_t(k)]));
  }
}

}  // namespace tutor::progress
