// The library's one player: an open MP3 stream, an output sink and the thread
// that decodes into it. Every public call is serialised by one lock and
// leaves its outcome in lastError(); the decoding thread never takes that
// lock, it talks to the calls only through atomics, so Stop and Close from
// the caller always get through while it decodes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio_sink.h"
#include "mp3_decoder.h"

namespace mpegdll {

enum class Error : int32_t {
  None = 0,
  Internal = 1,
  Mode = 2,
  Input = 3,
  NotSeekable = 4,
  Output = 5,
};

// Thread priority as the library's callers give it (-15 idle .. 15 time
// critical) turned into a nice value relative to the process's own.
int niceFor(int32_t priority, int processNice);

class Player {
 public:
  Player() = default;
  ~Player();
  Player(const Player &) = delete;
  Player &operator=(const Player &) = delete;

  bool init();
  void deinit();
  void open(const char *name, bool fromStream);
  void setPriority(int32_t priority);
  void setOutputDevice(int32_t device, const char *fileName);
  int32_t play(int32_t startMs, int32_t endMs, volatile uint8_t *endFlag);
  void restart();
  void stop();
  void close();
  void pause();
  void seek(int32_t positionMs);
  void resetMode();

  int32_t mode();
  int32_t position();
  int32_t length();
  int32_t frequency();
  int32_t bitrate();
  int32_t layer();
  int32_t lastError() const { return error_.load(); }

 private:
  struct Request {
    bool valid = false;
    int32_t startMs = 0;
    int32_t endMs = 0;
    volatile uint8_t *endFlag = nullptr;
  };

  int32_t currentMode() const;
  bool start();
  void halt();
  void run(int64_t endFrame);
  void decodeUntil(int64_t endFrame);
  void waitWhilePaused();
  void applyPriority();
  int64_t msToFrame(int64_t ms) const;
  int64_t currentFrame() const;
  bool fail(Error e);
  void succeed() { error_.store(0); }

  std::mutex api_;
  std::atomic<int32_t> error_{0};
  bool ready_ = false;
  int processNice_ = 0;
  std::atomic<int32_t> priority_{0};
  int32_t device_ = 0;
  std::string outFileName_;
  Request request_;

  std::unique_ptr<Mp3Decoder> decoder_;
  std::unique_ptr<AudioSink> sink_;
  std::thread thread_;
  std::atomic<int32_t> mode_{0};
  std::atomic<bool> finished_{false};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> paused_{false};
  std::mutex pauseMutex_;
  std::condition_variable pauseChanged_;
  std::atomic<int64_t> pendingSeek_{-1};
  std::atomic<int64_t> baseFrame_{0};
  std::atomic<int> threadId_{0};
  int64_t stoppedFrame_ = 0;
};

}  // namespace mpegdll
