#include "console/sound.h"

#include <cmath>
#include <numbers>

namespace tutor {

std::vector<std::int16_t> synthesise(Sound sound, int rate) {
  std::vector<std::int16_t> samples;
  for (const Note& note : kSoundNotes[static_cast<std::size_t>(sound)]) {
    const int count = rate * note.milliseconds / 1000;
    for (int i = 0; i < count; ++i) {
      const double t = static_cast<double>(i) / rate;
      // A short rise, so that the note starts without a crack, then a fade.
      const double rise = std::min(1.0, i / (0.002 * rate));
      const double fade = std::exp(-5.0 * i / count);
      const double value =
          note.loudness * rise * fade * std::sin(2 * std::numbers::pi * note.hertz * t);
      samples.push_back(static_cast<std::int16_t>(value * 32767));
    }
  }
  return samples;
}

}  // namespace tutor
