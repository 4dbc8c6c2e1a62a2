#include "challenges/game_rules.h"

#include <algorithm>

namespace tutor::challenges {

std::optional<GameCourse> game_course(int seconds) {
  for (const GameCourse& course : kGameCourses) {
    if (course.seconds == seconds) {
      return course;
    }
  }
  return std::nullopt;
}

GameClock::GameClock(const GameCourse& course, std::int64_t started_ms)
    : course_(course), ends_ms_(started_ms + course.seconds * 1000LL), word_since_ms_(started_ms) {}

void GameClock::word_comes(std::int64_t now_ms) {
  if (word_left(now_ms)) {
    ++words_left_;
  }
  word_since_ms_ = now_ms;
}

bool GameClock::word_typed(std::int64_t now_ms) {
  if (over(now_ms) || word_left(now_ms)) {
    return false;
  }
  ++words_typed_;
  ends_ms_ += course_.bonus_ms;
  return true;
}

void GameClock::missed(std::int64_t now_ms) {
  if (over(now_ms)) {
    return;
  }
  ++misses_;
  // A miss never takes the game below now: it ends, at the latest, at once.
  ends_ms_ = std::max(now_ms, ends_ms_ - course_.miss_cost_ms);
}

bool GameClock::word_left(std::int64_t now_ms) const {
  return now_ms - word_since_ms_ >= course_.word_life_ms;
}

std::int64_t GameClock::remaining_ms(std::int64_t now_ms) const {
  return std::max<std::int64_t>(0, ends_ms_ - now_ms);
}

}  // namespace tutor::challenges
