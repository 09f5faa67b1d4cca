// A manual event loop and recording players for the play-list tables.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/music_host.h"
#include "music/track_player.h"

namespace musictest {

class ManualTimer;

// What the manual loop holds: the posted tasks and the live timers.
struct Loop {
  std::deque<std::function<void()>> tasks;
  std::vector<ManualTimer *> timers;
};

// Fired by the test; it leaves the loop's list when its owner frees it, so
// a freed timer is never fired again.
class ManualTimer : public vantor::IntervalTimer {
 public:
  ManualTimer(std::function<void()> handler, std::shared_ptr<Loop> loop) : loop_(std::move(loop)) {
    onTimeout = std::move(handler);
    loop_->timers.push_back(this);
  }
  ~ManualTimer() override { std::erase(loop_->timers, this); }
  void setInterval(int ms) override { interval_ = ms; }
  void setEnabled(bool on) override { enabled_ = on; }
  bool enabled() const override { return enabled_; }
  int interval() const override { return interval_; }
  // One expiry, as the event loop would deliver it.
  void fire() {
    if (enabled_ && interval_ > 0) onTimeout();
  }

 private:
  std::shared_ptr<Loop> loop_;
  int interval_ = 0;
  bool enabled_ = false;
};

class ManualHost : public vantor::MusicHost {
 public:
  std::unique_ptr<vantor::IntervalTimer> createTimer(std::function<void()> handler) override {
    return std::make_unique<ManualTimer>(std::move(handler), loop_);
  }
  void post(std::function<void()> task) override { loop_->tasks.push_back(std::move(task)); }
  std::shared_ptr<Loop> shared() const { return loop_; }

 private:
  std::shared_ptr<Loop> loop_ = std::make_shared<Loop>();
};

// Runs the posted tasks until none is left (at most `limit`).
inline void runPosted(Loop &loop, int limit = 1000) {
  while (!loop.tasks.empty() && limit-- > 0) {
    auto task = std::move(loop.tasks.front());
    loop.tasks.pop_front();
    task();
  }
}

class FakePlayer;

// What the fake players did, in order: "mpeg:<file name>" or "media:<file name>".
struct World {
  std::vector<std::string> played;
  int mpegCreated = 0, mediaCreated = 0;
  int stops = 0;
  bool mpegFails = false, mediaFails = false;
  bool freedInsideCallback = false;
  FakePlayer *mpeg = nullptr;
  FakePlayer *media = nullptr;
};

class FakePlayer : public vantor::TrackPlayer {
 public:
  FakePlayer(World &world, bool mpeg, std::function<void()> onEnd)
      : world_(world), mpeg_(mpeg), onEnd_(std::move(onEnd)) {
    (mpeg_ ? world_.mpeg : world_.media) = this;
    ++(mpeg_ ? world_.mpegCreated : world_.mediaCreated);
  }
  ~FakePlayer() override {
    if (inCallback_) world_.freedInsideCallback = true;
    (mpeg_ ? world_.mpeg : world_.media) = nullptr;
  }
  void playFile(const std::string &path) override {
    playing_ = ended_ = notified_ = false;
    if (mpeg_ ? world_.mpegFails : world_.mediaFails) throw std::runtime_error("no device");
    world_.played.push_back((mpeg_ ? "mpeg:" : "media:") +
                            std::filesystem::path(path).filename().string());
    playing_ = true;
  }
  void stopIfPlaying() override {
    if (playing_) ++world_.stops;
    playing_ = false;
  }
  void tick() override {
    if (ended_ && !notified_) {
      notified_ = true;
      callBack();
    }
  }
  bool finished() override { return ended_; }
  // The track has played to its end; the MPEG player reports it at once from
  // its position timer, the media player at its next poll.
  void end() {
    playing_ = false;
    ended_ = true;
    if (mpeg_) callBack();
  }
  bool playing() const { return playing_; }

 private:
  void callBack() {
    inCallback_ = true;
    onEnd_();
    inCallback_ = false;
  }

  World &world_;
  bool mpeg_;
  std::function<void()> onEnd_;
  bool playing_ = false, ended_ = false, notified_ = false, inCallback_ = false;
};

class FakeFactory : public vantor::PlayerFactory {
 public:
  explicit FakeFactory(World &world) : world_(world) {}
  std::unique_ptr<vantor::TrackPlayer> createMpeg(vantor::IntervalTimerFactory,
                                                  std::function<void()> onEnd) override {
    return std::make_unique<FakePlayer>(world_, true, std::move(onEnd));
  }
  std::unique_ptr<vantor::TrackPlayer> createMedia(std::function<void()> onEnd) override {
    return std::make_unique<FakePlayer>(world_, false, std::move(onEnd));
  }

 private:
  World &world_;
};

}  // namespace musictest
