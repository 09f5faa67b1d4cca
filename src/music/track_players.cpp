#include "music/track_players.h"

#include "mpegplay/mpeg_player.h"
#include "music/media_player.h"
#include "platform/debug_log.h"

namespace vantor {

namespace {

// The library reports this mode while a track plays.
constexpr int32_t kMpegPlaying = 3;

class MpegTrackPlayer : public TrackPlayer {
 public:
  MpegTrackPlayer(IntervalTimerFactory timers, std::function<void()> onEnd)
      : player_(std::move(timers)) {
    player_.setSeekable(false);
    player_.setFromStream(false);
    player_.setPlayerPriority(TPlayerPriority::Normal);
    player_.setUseTimer(true);
    player_.setTimerFreq(1000);
    player_.setAutoPlay(false);
    player_.setOutputDevice(TOutputDevice::wavemapper);
    player_.setStartPos(0);
    player_.setEndPos(0);
    player_.setPathToDLL("");
    player_.OnPlayEnd = std::move(onEnd);
    try {
      player_.loadLibrary();
    } catch (const TMPEGError &e) {
      // MP3 tracks stay silent; every later open fails and is swallowed.
      debugLogOnce("MP3 library", std::string("no MP3 library: ") + e.what());
    }
  }

  void playFile(const std::string &path) override {
    player_.setStreamName(path);
    player_.open();
    player_.play();
  }

  // Closing also silences a track whose stop was refused.
  void stopIfPlaying() override {
    if (player_.playerMode() != kMpegPlaying) return;
    try {
      player_.stop();
    } catch (const TMPEGError &e) {
      debugLog(std::string("MP3 track did not stop: ") + e.what());
    }
    player_.close();
  }

 private:
  TMPEGPlayer player_;
};

class MediaTrackPlayer : public TrackPlayer {
 public:
  explicit MediaTrackPlayer(std::function<void()> onEnd) {
    player_.OnNotify = [onEnd = std::move(onEnd)](TMPNotifyValues value) {
      if (value == TMPNotifyValues::nvSuccessful && onEnd) onEnd();
    };
  }

  void playFile(const std::string &path) override {
    player_.close();
    player_.setFileName(path);
    player_.open();
    player_.play();
  }

  void stopIfPlaying() override {
    if (player_.mode() != TMPModes::mpPlaying) return;
    player_.stop();
    player_.close();
  }

  void tick() override { player_.tick(); }

  bool finished() override {
    return player_.mode() == TMPModes::mpStopped || player_.position() >= player_.length() - 1;
  }

 private:
  TMediaPlayer player_;
};

}  // namespace

std::unique_ptr<TrackPlayer> RealPlayerFactory::createMpeg(IntervalTimerFactory timers,
                                                           std::function<void()> onEnd) {
  return std::make_unique<MpegTrackPlayer>(std::move(timers), std::move(onEnd));
}

std::unique_ptr<TrackPlayer> RealPlayerFactory::createMedia(std::function<void()> onEnd) {
  return std::make_unique<MediaTrackPlayer>(std::move(onEnd));
}

}  // namespace vantor
