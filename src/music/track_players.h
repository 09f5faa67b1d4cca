// The real players behind TrackPlayer: TMPEGPlayer over the MPEG audio
// library and TMediaPlayer over SDL2_mixer.
#pragma once

#include "music/track_player.h"

namespace vantor {

class RealPlayerFactory : public PlayerFactory {
 public:
  // The MPEG player is configured for files on the default output and loads
  // its library at once; a library that will not load leaves a player whose
  // every track fails to open.
  std::unique_ptr<TrackPlayer> createMpeg(IntervalTimerFactory timers,
                                          std::function<void()> onEnd) override;
  std::unique_ptr<TrackPlayer> createMedia(std::function<void()> onEnd) override;
};

}  // namespace vantor
