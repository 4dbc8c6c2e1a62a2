#include "challenges/check_score.h"

#include <cmath>

namespace tutor::challenges {

int check_score(int right, int wrong, double seconds) {
  const int all = right + wrong;
  if (all <= 0 || right <= 0 || seconds <= 0) {
    return 0;
  }
  const double share = static_cast<double>(right) / all;
  return static_cast<int>(std::lround(all * 60.0 / seconds * share * share * share));
}

const CheckRank& rank_of(int score) {
  const CheckRank* reached = &kCheckRanks.front();
  for (const CheckRank& rank : kCheckRanks) {
    if (score >= rank.from) {
      reached = &rank;
    }
  }
  return *reached;
}

std::optional<int> next_rank_from(int score) {
  for (const CheckRank& rank : kCheckRanks) {
    if (rank.from > score) {
      return rank.from;
    }
  }
  return std::nullopt;
}

}  // namespace tutor::challenges
