#include "lessonkit/key_tallies.h"

#include <limits>

namespace tutor::lessonkit {

std::vector<history::KeyTally> KeyTallies::rows() const {
  std::vector<history::KeyTally> rows;
  for (size_t k = 1; k < counts_.size(); ++k) {
    const auto [right, wrong] = counts_[k];
    if (right == 0 && wrong == 0) {
      continue;
    }
    history::KeyTally& t =
        rows.emplace_back(history::KeyTally{static_cast<int>(k), right, wrong, {}});
    for (auto it = instead_.lower_bound({k, std::numeric_limits<int>::min()});
         it != instead_.end() && it->first.first == k; ++it) {
      t.instead.push_back({it->first.second, it->second});
    }
  }
  return rows;
}

}  // namespace tutor::lessonkit
