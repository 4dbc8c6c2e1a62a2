#pragma once

#include <SDL.h>

#include "console/sound.h"

namespace tutor {

// The window's sounds through SDL's audio, opened at the first sound played,
// so that a program that plays none never starts it; where there is no
// audio device the program stays silent.
class SdlSound {
 public:
  SdlSound() = default;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;
  ~SdlSound() { close(); }
  void play(Sound sound);
  // Closes the audio device, before SDL itself is shut down.
  void close();

 private:
  static constexpr int kRate = 22050;
  bool tried_ = false;
  SDL_AudioDeviceID device_ = 0;
};

}  // namespace tutor
