// TMediaPlayer: the media-control player for music other than the MPEG
// player's, over SDL2_mixer (WAV, MIDI, OGG, FLAC, MP3). It offers what the
// play list uses: open a file, play, stop, close, the mode, the position and
// the length in milliseconds, and a completion notification.
//
// The audio device is held only from open or play until the track stops, so
// a stopped player sends nothing to the output. Completion is noticed by
// tick(), which the owner calls from a timer on its own thread; OnNotify
// runs there too, never on the audio thread. Failures (no audio device, a
// file that cannot be read) raise TMediaPlayerError, which callers may
// swallow. SDL_mixer has one music stream per process, so only one player
// may hold the device at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

struct _Mix_Music;

class TMediaPlayerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
enum class TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

class TMediaPlayer {
 public:
  TMediaPlayer() = default;
  ~TMediaPlayer();
  TMediaPlayer(const TMediaPlayer &) = delete;
  TMediaPlayer &operator=(const TMediaPlayer &) = delete;

  const std::string &fileName() const { return fileName_; }
  void setFileName(const std::string &name) { fileName_ = name; }
  bool notify() const { return notify_; }
  void setNotify(bool on) { notify_ = on; }

  void open();
  void play();
  void stop();
  void close();
  // Notices the end of a track and sends the notification.
  void tick();

  TMPModes mode() const;
  int32_t position() const;
  // INT32_MAX when the format does not tell its length (MIDI, for one).
  int32_t length() const { return length_; }

  // Called with nvSuccessful when a track has played to its end; stopping or
  // closing sends nothing.
  std::function<void(TMPNotifyValues)> OnNotify;

 private:
  enum class State { Closed, Stopped, Playing };

  void acquireDevice();
  void releaseDevice();
  bool finishedPlaying() const;

  std::string fileName_;
  bool notify_ = true;
  State state_ = State::Closed;
  _Mix_Music *music_ = nullptr;
  int32_t length_ = 0;
  int32_t stoppedAt_ = 0;
  std::chrono::steady_clock::time_point startedAt_{};
};
