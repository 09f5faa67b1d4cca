// The two players as the play list uses them, so that the play-list rules
// can run over fakes. RealPlayerFactory (track_players.h) supplies the MPEG
// player and the media-control player.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/interval_timer.h"

namespace vantor {

class TrackPlayer {
 public:
  virtual ~TrackPlayer() = default;
  // Plays the file from its start; throws when it cannot.
  virtual void playFile(const std::string &path) = 0;
  // Stops and closes the track when one is playing; may throw.
  virtual void stopIfPlaying() = 0;
  // The media-control player's poll: notices a natural end, which may call
  // the end-of-track callback.
  virtual void tick() {}
  // The media-control player's poll: stopped, or at its last millisecond.
  virtual bool finished() { return false; }
};

class PlayerFactory {
 public:
  virtual ~PlayerFactory() = default;
  // `onEnd` is called by the player's own handler, as the last thing it does,
  // when a track has played to its end. The MPEG player's position timer
  // comes from `timers`.
  virtual std::unique_ptr<TrackPlayer> createMpeg(IntervalTimerFactory timers,
                                                  std::function<void()> onEnd) = 0;
  virtual std::unique_ptr<TrackPlayer> createMedia(std::function<void()> onEnd) = 0;
};

}  // namespace vantor
