#include "lessonkit/evaluation.h"

#include "history/history.h"

namespace tutor::lessonkit {
namespace {

struct ClockReading {
  int h, m, s;
};

ClockReading read_clock(std::string_view t) {
  auto two = [&](size_t at) {
    return at + 1 < t.size() ? (t[at] - '0') * 10 + (t[at + 1] - '0') : 0;
  };
  return {two(0), two(3), two(6)};
}

}  // namespace

ElapsedTime elapsed_between(std::string_view start, std::string_view end) {
  const ClockReading a = read_clock(start);
  ClockReading b = read_clock(end);
  if (b.s < a.s) {
    b.s += 60;
    b.m -= 1;
  }
  if (b.m < a.m) {
    b.m += 60;
    b.h -= 1;
  }
  if (b.h < a.h) {
    b.h += 24;
  }
  return {(b.h - a.h) * 60 + b.m - a.m, b.s - a.s};
}

Score score_block(const BlockResult& block) {
  Score score;
  score.errors = block.wrong;
  if (block.right == 0) {
    return score;
  }
  score.time = elapsed_between(block.started_at, block.ended_at);
  if (score.time.minutes == 0 && score.time.seconds == 0) {
    score.time.seconds = 1;
  }
  const float minutes =
      static_cast<float>(score.time.minutes) + static_cast<float>(score.time.seconds) / 60.0f;
  score.evaluation = static_cast<float>(block.right - block.wrong) / minutes;
  return score;
}

Verdict verdict_of(const Score& score) {
  const bool fast = score.evaluation >= 80.0f;
  const bool accurate = score.errors <= 30;
  if (fast) {
    return accurate ? Verdict::Pass : Verdict::TooManyErrors;
  }
  return accurate ? Verdict::TooSlow : Verdict::NotYet;
}

std::string_view verdict_name(Verdict v) {
  switch (v) {
    case Verdict::Pass:
      return history::results::kPass;
    case Verdict::TooManyErrors:
      return history::results::kTooManyErrors;
    case Verdict::TooSlow:
      return history::results::kTooSlow;
    case Verdict::NotYet:
      return history::results::kNotYet;
  }
  return "";
}

}  // namespace tutor::lessonkit
