#include "music/media_player.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <climits>
#include <cmath>

namespace {

// The player that holds SDL_mixer's one music stream, if any.
const TMediaPlayer *deviceHolder = nullptr;

[[noreturn]] void raise(const std::string &what) {
  throw TMediaPlayerError(what + ": " + SDL_GetError());
}

void initDecoders() {
  static const bool done = [] {
    Mix_Init(MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MID);
    return true;
  }();
  (void)done;
}

int32_t toMs(double seconds) {
  if (seconds < 0 || !std::isfinite(seconds) || seconds * 1000.0 >= INT32_MAX) return -1;
  return static_cast<int32_t>(std::lround(seconds * 1000.0));
}

}  // namespace

TMediaPlayer::~TMediaPlayer() {
  releaseDevice();
}

// Opens the default output and loads the file; on failure nothing is held.
void TMediaPlayer::acquireDevice() {
  if (music_) return;
  if (deviceHolder && deviceHolder != this)
    throw TMediaPlayerError("Audio device is in use by another player");
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) raise("No audio output");
  initDecoders();
  if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    raise("Can't open the audio device");
  }
  music_ = Mix_LoadMUS(fileName_.c_str());
  if (!music_) {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    raise("Can't open " + fileName_);
  }
  deviceHolder = this;
}

void TMediaPlayer::releaseDevice() {
  if (!music_) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  deviceHolder = nullptr;
}

void TMediaPlayer::open() {
  close();
  if (fileName_.empty()) throw TMediaPlayerError("No file name");
  acquireDevice();
  int32_t ms = toMs(Mix_MusicDuration(music_));
  length_ = ms >= 0 ? ms : INT32_MAX;
  stoppedAt_ = 0;
  state_ = State::Stopped;
}

void TMediaPlayer::play() {
  if (state_ == State::Closed) throw TMediaPlayerError("No file open");
  if (state_ == State::Playing && !finishedPlaying()) return;
  acquireDevice();
  if (Mix_PlayMusic(music_, 0) != 0) raise("Can't play " + fileName_);
  startedAt_ = std::chrono::steady_clock::now();
  state_ = State::Playing;
}

void TMediaPlayer::stop() {
  if (state_ == State::Closed) throw TMediaPlayerError("No file open");
  stoppedAt_ = position();
  releaseDevice();
  state_ = State::Stopped;
}

void TMediaPlayer::close() {
  releaseDevice();
  state_ = State::Closed;
  length_ = 0;
  stoppedAt_ = 0;
}

bool TMediaPlayer::finishedPlaying() const {
  return !music_ || Mix_PlayingMusic() == 0;
}

void TMediaPlayer::tick() {
  if (state_ != State::Playing || !finishedPlaying()) return;
  stoppedAt_ = length_;
  releaseDevice();
  state_ = State::Stopped;
  // Last: the handler may open the next track on this player.
  if (notify_ && OnNotify) OnNotify(TMPNotifyValues::nvSuccessful);
}

TMPModes TMediaPlayer::mode() const {
  switch (state_) {
    case State::Closed:
      return TMPModes::mpNotReady;
    case State::Playing:
      return finishedPlaying() ? TMPModes::mpStopped : TMPModes::mpPlaying;
    default:
      return TMPModes::mpStopped;
  }
}

// Formats that cannot tell their position are timed from the start of play.
int32_t TMediaPlayer::position() const {
  if (state_ != State::Playing || finishedPlaying()) return stoppedAt_;
  int32_t ms = toMs(Mix_GetMusicPosition(music_));
  if (ms < 0) {
    auto elapsed = std::chrono::steady_clock::now() - startedAt_;
    ms = static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  }
  return std::min(ms, length_);
}
