// Device 0: the default audio output through SDL2's queue. The decoding
// thread keeps about a quarter second queued ahead of what is heard.
#include <SDL2/SDL.h>

#include <chrono>
#include <thread>

#include "audio_sink.h"

namespace mpegdll {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);

class SdlSink : public AudioSink {
 public:
  SdlSink(SDL_AudioDeviceID device, long rate, int channels)
      : device_(device),
        frameBytes_(static_cast<uint32_t>(channels) * 2),
        aheadBytes_(static_cast<uint32_t>(rate / 4) * frameBytes_) {
    SDL_PauseAudioDevice(device_, 0);
  }
  ~SdlSink() override {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool write(const uint8_t *pcm, size_t bytes, const std::atomic<bool> &cancel) override {
    while (SDL_GetQueuedAudioSize(device_) > aheadBytes_) {
      if (cancel.load()) return true;
      if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) return false;
      std::this_thread::sleep_for(kPollInterval);
    }
    if (SDL_QueueAudio(device_, pcm, static_cast<Uint32>(bytes)) != 0) return false;
    queuedFrames_.fetch_add(static_cast<int64_t>(bytes / frameBytes_));
    return true;
  }

  bool drain(const std::atomic<bool> &cancel) override {
    while (SDL_GetQueuedAudioSize(device_) > 0 && !cancel.load()) {
      if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) return false;
      std::this_thread::sleep_for(kPollInterval);
    }
    return true;
  }

  void setPaused(bool paused) override { SDL_PauseAudioDevice(device_, paused ? 1 : 0); }

  void discard() override {
    SDL_ClearQueuedAudio(device_);
    queuedFrames_.store(0);
  }

  int64_t framesPlayed() const override {
    int64_t waiting = SDL_GetQueuedAudioSize(device_) / frameBytes_;
    int64_t played = queuedFrames_.load() - waiting;
    return played > 0 ? played : 0;
  }

 private:
  SDL_AudioDeviceID device_;
  uint32_t frameBytes_;
  uint32_t aheadBytes_;
  std::atomic<int64_t> queuedFrames_{0};
};

}  // namespace

std::unique_ptr<AudioSink> openSdlSink(long rate, int channels) {
  // Audio brings up SDL's event layer, which would take over the host
  // program's signals unless the host asked for that itself.
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(rate);
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(channels);
  want.samples = 2048;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlSink>(device, rate, channels);
}

}  // namespace mpegdll
