#include "console/sdl_sound.h"

namespace tutor {

void SdlSound::close() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_ = 0;
  }
}

void SdlSound::play(Sound sound) {
  if (!tried_) {
    tried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      return;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 512;  // about 23 ms: a click follows its key at once
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return;
    }
    SDL_PauseAudioDevice(device_, 0);
  }
  if (device_ == 0) {
    return;
  }
  // A new sound cuts the one before: a key's click never waits for a chime.
  SDL_ClearQueuedAudio(device_);
  const std::vector<std::int16_t> samples = synthesise(sound, kRate);
  SDL_QueueAudio(device_, samples.data(),
                 static_cast<Uint32>(samples.size() * sizeof(std::int16_t)));
}

}  // namespace tutor
