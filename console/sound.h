#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The few sounds a course may make, made by the program itself: no sound
// files. Whether they play is the course's choice; only the word course
// makes any, and only when the learner switches them on.
namespace tutor {

enum class Sound { KeyClick, Miss, Chime };

// One note of a sound: a sine at `hertz`, fading out over its length.
struct Note {
  int hertz = 0;
  int milliseconds = 0;
  double loudness = 0;  // of full scale
};

// A soft click for a right key, a low short tone for a miss, two rising
// notes for a pass.
inline constexpr std::array<std::array<Note, 2>, 3> kSoundNotes = {{
    {{{1800, 12, 0.10}, {}}},
    {{{196, 140, 0.25}, {}}},
    {{{784, 160, 0.22}, {1175, 320, 0.22}}},
}};

// The sound as 16-bit mono samples at `rate` a second.
[[nodiscard]] std::vector<std::int16_t> synthesise(Sound sound, int rate);

}  // namespace tutor
