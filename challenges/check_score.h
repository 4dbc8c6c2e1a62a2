#pragma once

#include <array>
#include <optional>
#include <string_view>

// The week's level check (腕だめし): its score and the ranks it reaches.
namespace tutor::challenges {

// Keystrokes a minute × (right ÷ all keystrokes)³, rounded: a mistake costs
// more than a slow key, so that accuracy counts more than speed. 0 for no
// keystroke or no time.
[[nodiscard]] int check_score(int right, int wrong, double seconds);

// A rank from its lowest score up.
struct CheckRank {
  int from = 0;
  std::string_view name;  // in kana: every learner from ten reads it
};

// Each a step of a plant's year and then of the sky: from a sprout to a comet.
inline constexpr std::array<CheckRank, 10> kCheckRanks = {{
    {0, "めばえ"},
    {50, "ふたば"},
    {100, "わかば"},
    {150, "つぼみ"},
    {200, "はなざかり"},
    {250, "そよかぜ"},
    {300, "はやて"},
    {400, "いなずま"},
    {500, "ながれぼし"},
    {600, "すいせい"},
}};

// The rank of a score (a negative one is the first).
[[nodiscard]] const CheckRank& rank_of(int score);

// The score the next rank begins at; none past the last.
[[nodiscard]] std::optional<int> next_rank_from(int score);

}  // namespace tutor::challenges
