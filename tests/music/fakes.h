// A manual event loop and recording players for the play-list tables.
#pragma once

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "music/music_host.h"
#include "music/track_player.h"

namespace musictest {

class ManualTimer : public vantor::IntervalTimer {
 public:
  explicit ManualTimer(std::function<void()> handler) { onTimeout = std::move(handler); }
  void setInterval(int ms) override { interval_ = ms; }
  void setEnabled(bool on) override { enabled_ = on; }
  bool enabled() const override { return enabled_; }
  int interval() const override { return interval_; }
  // One expiry, as the event loop would deliver it.
  void fire() {
    if (enabled_ && interval_ > 0) onTimeout();
  }

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

// Timers are shared with the test, which fires them; a timer whose owner
// has released it is never fired again.
class ManualHost : public vantor::MusicHost {
 public:
  std::unique_ptr<vantor::IntervalTimer> createTimer(std::function<void()> handler) override;
  void post(std::function<void()> task) override { tasks_->push_back(std::move(task)); }

  struct Shared {
    std::deque<std::function<void()>> tasks;
    std::vector<ManualTimer *> timers;
  };
  std::shared_ptr<Shared> shared() const { return shared_; }

 private:
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::deque<std::function<void()>> *tasks_ = &shared_->tasks;
};

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
  FakePlayer(World &world, bool mpeg, std::function<void()> onEnd);
  ~FakePlayer() override;
  void playFile(const std::string &path) override;
  void stopIfPlaying() override;
  void tick() override;
  bool finished() override { return ended_; }
  // The track has played to its end; the MPEG player reports it at once from
  // its position timer, the media player at its next poll.
  void end();
  bool playing() const { return playing_; }

 private:
  void callBack();

  World &world_;
  bool mpeg_;
  std::function<void()> onEnd_;
  bool playing_ = false, ended_ = false, notified_ = false, inCallback_ = false;
};

class FakeFactory : public vantor::PlayerFactory {
 public:
  explicit FakeFactory(World &world) : world_(world) {}
  std::unique_ptr<vantor::TrackPlayer> createMpeg(vantor::IntervalTimerFactory,
                                                  std::function<void()> onEnd) override;
  std::unique_ptr<vantor::TrackPlayer> createMedia(std::function<void()> onEnd) override;

 private:
  World &world_;
};

// Runs the posted tasks until none is left (at most `limit`).
void runPosted(ManualHost::Shared &loop, int limit = 1000);

}  // namespace musictest
