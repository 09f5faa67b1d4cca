// The background music of the full-screen show: the play list, the choice
// between the MPEG player and the media-control player, and the walk from
// track to track. One instance per run.
//
// Use: construct it with its context (filled from the start-up state) and a
// host, call StartMusic() when the full-screen window is first shown and
// StopMusic() when it closes. The preview and the configuration dialog never
// start it. Every failure is swallowed: without a sound card the show runs
// on silently. In the program:
//
//   vantor::MusicSet music(context, std::make_unique<vantor::QtMusicHost>());
//   music.StartMusic();   // first show of the full-screen window
//   music.StopMusic();    // its close; the sound ends at once
//
// Everything the context refers to must outlive the MusicSet.
//
// Everything runs on the main thread. End-of-track events arrive inside a
// player's own handler; the next track is started from a task posted to the
// host, after that handler has returned, because the packaged rules free the
// players before each track.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "music/music_host.h"
#include "music/playlist.h"
#include "music/track_player.h"
#include "platform/interval_timer.h"
#include "platform/result.h"

namespace vantor {

class ContentPackage;
class IniFile;
class ItemResolver;
class RandomSource;
struct TSaverSetting;

// What the music reads of the start-up state.
struct MusicContext {
  // The music list and the play-list flags. The loose-file rules replace
  // the list's entries with the files they resolve to.
  TSaverSetting &settings;
  // The package the program carries (absent for loose files); its MPEG
  // library is cut out of it, with the settings file `ini`, when a packaged
  // show starts.
  const ContentPackage &package;
  const IniFile *ini;
  // Turns an entry into a file to open; null: no entry resolves.
  const ItemResolver *resolver;
  // The random order of the tracks.
  RandomSource &random;
};

class MusicSet {
 public:
  // Without a factory the real players are used.
  MusicSet(MusicContext context, std::unique_ptr<MusicHost> host,
           std::unique_ptr<PlayerFactory> players = nullptr);
  ~MusicSet();
  MusicSet(const MusicSet &) = delete;
  MusicSet &operator=(const MusicSet &) = delete;

  // Starts the music of the settings' music list, when PlayMusic is set.
  void StartMusic();
  // Stops both players; with `freePlayers` they are also released.
  void StopMusic(bool freePlayers = true);
  // Plays `fileName`, or with an empty name the next track of the play list.
  void PlayTrack(const std::string &fileName);

  // The player choice flag: MP3 files go to the media-control player too.
  void setMediaPlayerMp3(bool on) { mediaPlayerMp3_ = on; }
  bool mediaPlayerMp3() const { return mediaPlayerMp3_; }

  const TMyMusicSet &playlist() const { return set_; }
  // The position in the settings' music list when the program carries a package.
  int32_t packagedTrackIndex() const { return packagedIndex_; }
  bool hasMpegPlayer() const { return mpeg_ != nullptr; }
  bool hasMediaPlayer() const { return media_ != nullptr; }

 private:
  enum class Hook { Nothing, NextTrack, Restart };
  enum class Player { Mpeg, Media };

  void restart();
  void startPackaged();
  void startLoose();
  void playWith(Player player, const std::string &path);
  TrackPlayer &mpegPlayer();
  TrackPlayer &mediaPlayer();
  void pollMedia();
  void trackEnded(Player player);
  void trackFailed();
  void runLater(Hook hook);
  void advance(Hook hook);
  Status resolve(std::string &entry) const;

  MusicContext context_;
  std::unique_ptr<MusicHost> host_;
  std::unique_ptr<PlayerFactory> factory_;
  TMyMusicSet set_;
  int32_t packagedIndex_ = -1;
  bool mediaPlayerMp3_ = false;
  Hook mpegHook_ = Hook::NextTrack;
  Hook notifyHook_ = Hook::Nothing;
  // Posted tasks carry the generation they were posted in; StopMusic starts
  // a new one, so a track end that was waiting is dropped.
  uint64_t generation_ = 0;
  // List positions of the tracks that failed to start since one last
  // played; bounds the skipping.
  std::set<int32_t> failed_;
  std::unique_ptr<IntervalTimer> pollTimer_;
  std::unique_ptr<TrackPlayer> mpeg_;
  std::unique_ptr<TrackPlayer> media_;
};

}  // namespace vantor
