// TMPEGPlayer: plays MP3 streams through the MPEG audio library, loaded at
// run time. It keeps the play state, polls the end of a track with its
// position timer and reports it through OnPlayEnd. Every failure is raised
// as TMPEGError. All calls, the timer included, belong to one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mpegplay/mpeg_error.h"
#include "mpegplay/mpeg_library.h"
#include "platform/interval_timer.h"

enum class TPlayerPriority {
  Idle,
  Lowest,
  BelowNormal,
  Normal,
  AboveNormal,
  Highest,
  TimeCritical
};
enum class TOutputDevice { wavemapper, pcmfile };

// The value the library gets for a priority: -15, -2, -1, 0, 1, 2, 15.
int32_t libraryPriority(TPlayerPriority priority);

class TMPEGPlayer {
 public:
  // Without a factory the player has no timer of its own; the owner then
  // calls tick() itself.
  explicit TMPEGPlayer(vantor::IntervalTimerFactory timerFactory = {});
  ~TMPEGPlayer();
  TMPEGPlayer(const TMPEGPlayer &) = delete;
  TMPEGPlayer &operator=(const TMPEGPlayer &) = delete;

  // Loads the library named by PathToDLL, binds its exports and calls init.
  void loadLibrary();
  bool libraryLoaded() const { return library_.loaded(); }

  void open();
  void play();
  void stop();
  void close();
  // The position timer's handler.
  void tick();

  int32_t playerMode();
  int32_t length() const { return length_; }
  bool opened() const { return opened_; }
  bool playing() const { return playing_; }

  void setSeekable(bool on) { seekable_ = on; }
  void setFromStream(bool on) { fromStream_ = on; }
  void setPlayerPriority(TPlayerPriority p) { priority_ = p; }
  bool useTimer() const { return useTimer_; }
  void setUseTimer(bool on);
  void setTimerFreq(int milliseconds);
  void setAutoPlay(bool on) { autoPlay_ = on; }
  void setStreamName(const std::string &name);
  void setOutputDevice(TOutputDevice device) { outputDevice_ = device; }
  void setOutFilename(const std::string &name) { outFilename_ = name; }
  void setPathToDLL(const std::string &path) { pathToDll_ = path; }
  void setStartPos(int32_t ms) { startPos_ = ms; }
  void setEndPos(int32_t ms) { endPos_ = ms; }
  int32_t playedXTimes() const { return playedXTimes_; }

  // Stream events, kept for streams fed by the program; the library built
  // with this program plays files only and answers streams with error 3.
  std::function<void()> OnOpenStream;
  std::function<void()> OnCloseStream;
  std::function<void()> OnRestartStream;
  std::function<int64_t()> OnGetStreamSize;
  std::function<int64_t(int64_t position)> OnSeekStream;
  std::function<int32_t(void *buffer, int32_t size)> OnReadStream;
  std::function<void(int32_t position, int32_t length)> OnPosUpdate;
  std::function<void()> OnPlayEnd;

 private:
  const mpegplay::MpegFunctions &lib() const;
  void check() const;
  void firstPlay();
  void updateTimerInterval();
  void switchTimer(bool on);
  // The flag is shared with the library's thread.
  bool ended() const { return __atomic_load_n(&endFlag_, __ATOMIC_ACQUIRE) != 0; }
  void clearEndFlag() { __atomic_store_n(&endFlag_, 0, __ATOMIC_RELEASE); }

  vantor::IntervalTimerFactory timerFactory_;
  std::unique_ptr<vantor::IntervalTimer> timer_;
  mpegplay::MpegLibraryHandle library_;

  bool seekable_ = false;
  bool fromStream_ = false;
  TPlayerPriority priority_ = TPlayerPriority::Normal;
  bool useTimer_ = true;
  int timerFreq_ = 1000;
  bool autoPlay_ = false;
  std::string streamName_;
  TOutputDevice outputDevice_ = TOutputDevice::wavemapper;
  std::string outFilename_;
  std::string pathToDll_;
  int32_t startPos_ = 0;
  int32_t endPos_ = 0;
  int32_t playedXTimes_ = 0;

  bool opened_ = false;
  bool playing_ = false;
  // Written by the library's decoding thread when the track has ended.
  volatile uint8_t endFlag_ = 0;
  int32_t length_ = 0;
};
