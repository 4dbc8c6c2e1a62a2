#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The time-attack game (タイムアタック): a course of 60, 90 or 120 seconds in
// which words come one after another; a word typed before it leaves scores
// and gives back a little time, a miss costs some. Its clock is the
// console's, so that it runs the same however it is driven.
namespace tutor::challenges {

struct GameCourse {
  int seconds = 60;
  int word_life_ms = 0;  // how long a word stays before it leaves
  int bonus_ms = 0;      // given back for a word typed in time
  int miss_cost_ms = 0;  // taken for a wrong keystroke
};

// Longer courses have longer words (challenges/game_words.h), and so more
// time for each.
inline constexpr std::array<GameCourse, 3> kGameCourses = {{
    {60, 6000, 1000, 500},
    {90, 8000, 1200, 500},
    {120, 10000, 1500, 500},
}};

[[nodiscard]] std::optional<GameCourse> game_course(int seconds);

// A game's clock and score, in the console's milliseconds.
class GameClock {
 public:
  GameClock(const GameCourse& course, std::int64_t started_ms);

  // A new word comes now.
  void word_comes(std::int64_t now_ms);
  // The word is typed whole now: it scores where it had not left yet.
  // True where it scored.
  bool word_typed(std::int64_t now_ms);
  void missed(std::int64_t now_ms);

  // Whether the word on show has left (and a new one is due).
  [[nodiscard]] bool word_left(std::int64_t now_ms) const;
  [[nodiscard]] std::int64_t remaining_ms(std::int64_t now_ms) const;
  [[nodiscard]] bool over(std::int64_t now_ms) const { return remaining_ms(now_ms) == 0; }

  [[nodiscard]] int words_typed() const { return words_typed_; }
  [[nodiscard]] int words_left() const { return words_left_; }
  [[nodiscard]] int misses() const { return misses_; }

 private:
  GameCourse course_;
  std::int64_t ends_ms_;
  std::int64_t word_since_ms_;
  int words_typed_ = 0;
  int words_left_ = 0;  // gone before they were typed
  int misses_ = 0;
};

}  // namespace tutor::challenges
