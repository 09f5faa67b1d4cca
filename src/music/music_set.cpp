#include "music/music_set.h"

#include "mpegplay/mpeg_library.h"
#include "music/track_players.h"
#include "package/content_package.h"
#include "package/items.h"
#include "platform/debug_log.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "settings/saver_setting.h"

namespace vantor {

namespace {
constexpr int kPollMilliseconds = 800;
}

MusicSet::MusicSet(MusicContext context, std::unique_ptr<MusicHost> host,
                   std::unique_ptr<PlayerFactory> players)
    : context_(context),
      host_(std::move(host)),
      factory_(players ? std::move(players) : std::make_unique<RealPlayerFactory>()),
      mediaPlayerMp3_(context.settings.MediaPlayerMp3) {}

MusicSet::~MusicSet() {
  StopMusic(true);
}

void MusicSet::StartMusic() {
  failed_.clear();
  restart();
}

void MusicSet::restart() {
  try {
    const TSaverSetting &s = context_.settings;
    if (!s.PlayMusic || s.MusicList.empty()) return;
    StopMusic(true);
    if (context_.package.present())
      startPackaged();
    else
      startLoose();
  } catch (...) {
    // The show goes on without music.
    debugLog("music stopped: " + currentExceptionText());
  }
}

// Packaged tracks are cut out of the program file only when they are due.
void MusicSet::startPackaged() {
  const TSaverSetting &s = context_.settings;
  try {
    if (context_.ini) {
      Result<std::string> library = context_.package.EnsureMpegLibrary(*context_.ini);
      if (!library) debugLogOnce("MPEGDLL.DLL", "no MP3 library: " + library.message());
      mpegplay::SetPackagedLibrary(library.value_or(std::string()));
    }
  } catch (...) {
    // Only MP3 tracks need the library; the others still play.
    debugLogOnce("MPEGDLL.DLL", "no MP3 library: " + currentExceptionText());
  }
  mpegHook_ = notifyHook_ = Hook::Restart;
  const auto count = static_cast<int32_t>(s.MusicList.size());
  if (s.RandomMusic) {
    context_.random.reseedFromClock();
    packagedIndex_ = context_.random.below(count);
  } else if (++packagedIndex_ >= count) {
    packagedIndex_ = s.LoopMusic ? 0 : -1;
  }
  if (packagedIndex_ == -1) return;
  std::string entry = s.MusicList[static_cast<size_t>(packagedIndex_)];
  // An entry that cannot be cut out is skipped like a track that cannot
  // start.
  const std::string listed = entry;
  if (Status found = resolve(entry); found && fileExists(entry)) {
    PlayTrack(entry);
  } else {
    debugLogOnce(listed, "skipped track " + listed + ": " +
                             (found ? std::string("not found") : found.message()));
    trackFailed();
  }
}

// Loose files are all resolved at once; the resolved paths replace the
// entries of the music list and entries that resolve to nothing are dropped.
void MusicSet::startLoose() {
  TSaverSetting &s = context_.settings;
  ItemList &list = s.MusicList;
  for (size_t i = list.size(); i-- > 0;) {
    std::string entry = list[i];
    if (Status found = resolve(entry)) {
      list[i] = entry;
    } else {
      debugLogOnce(list[i], "skipped track " + list[i] + ": " + found.message());
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  LoadPlaylist(set_, list, s.RandomMusic, s.LoopMusic, context_.random);
  PlayTrack("");
}

Status MusicSet::resolve(std::string &entry) const {
  if (!context_.resolver) return Status::failure("no items to resolve against");
  return context_.resolver->ResolveItem(entry);
}

void MusicSet::PlayTrack(const std::string &fileName) {
  if (!fileName.empty()) {
    set_.Current = fileName;
    set_.List.clear();  // the end-of-track hooks then find nothing more to play
  } else {
    NextTrack(set_, context_.random);
  }
  if (set_.Current.empty() || !fileExists(set_.Current)) return;
  const bool mp3 = upperAscii(extensionOf(set_.Current)) == ".MP3";
  playWith(mp3 && !mediaPlayerMp3_ ? Player::Mpeg : Player::Media, set_.Current);
}

void MusicSet::playWith(Player player, const std::string &path) {
  try {
    if (player == Player::Mpeg) {
      mpegPlayer().playFile(path);
    } else {
      mediaPlayer().playFile(path);
      pollTimer_->setEnabled(true);
    }
    failed_.clear();
  } catch (...) {
    debugLogOnce(path, "skipped track " + path + ": " + currentExceptionText());
    trackFailed();
  }
}

TrackPlayer &MusicSet::mpegPlayer() {
  if (!mpeg_) {
    MusicHost *host = host_.get();
    mpeg_ = factory_->createMpeg(
        [host](std::function<void()> handler) { return host->createTimer(std::move(handler)); },
        [this] { trackEnded(Player::Mpeg); });
  }
  return *mpeg_;
}

TrackPlayer &MusicSet::mediaPlayer() {
  if (!media_) media_ = factory_->createMedia([this] { trackEnded(Player::Media); });
  // One poll timer for the whole run; it outlives the players.
  if (!pollTimer_) {
    pollTimer_ = host_->createTimer([this] { pollMedia(); });
    pollTimer_->setInterval(kPollMilliseconds);
    pollTimer_->setEnabled(false);
  }
  return *media_;
}

void MusicSet::pollMedia() {
  if (!media_) return;
  try {
    media_->tick();
    if (!media_->finished()) return;
  } catch (...) {
    debugLog("music player: " + currentExceptionText());
    return;
  }
  pollTimer_->setEnabled(false);
  PlayTrack("");
}

void MusicSet::trackEnded(Player player) {
  runLater(player == Player::Mpeg ? mpegHook_ : notifyHook_);
}

// A track that cannot start is skipped like one that has ended, so that
// other tracks still play when one player has no library or no device. Once
// every track of the list has failed without one playing in between, the
// music gives up, which keeps a looped list on a box without sound from
// trying for ever. Random draws may repeat a failed track before that.
void MusicSet::trackFailed() {
  const bool packaged = context_.package.present();
  const size_t tracks = packaged ? context_.settings.MusicList.size() : set_.List.size();
  if (tracks == 0) return;
  failed_.insert(packaged ? packagedIndex_ : set_.Index);
  if (failed_.size() >= tracks) return;
  runLater(packaged ? Hook::Restart : Hook::NextTrack);
}

void MusicSet::runLater(Hook hook) {
  if (hook == Hook::Nothing) return;
  host_->post([this, hook, generation = generation_] {
    if (generation == generation_) advance(hook);
  });
}

void MusicSet::advance(Hook hook) {
  if (hook == Hook::Restart)
    restart();
  else
    PlayTrack("");
}

void MusicSet::StopMusic(bool freePlayers) {
  ++generation_;
  if (pollTimer_) pollTimer_->setEnabled(false);
  if (mpeg_) {
    try {
      mpeg_->stopIfPlaying();
    } catch (...) {
      debugLog("MP3 player did not stop: " + currentExceptionText());
    }
    if (freePlayers) mpeg_.reset();
  }
  if (media_) {
    try {
      media_->stopIfPlaying();
    } catch (...) {
      debugLog("media player did not stop: " + currentExceptionText());
    }
    if (freePlayers) media_.reset();
  }
  set_.Current.clear();
}

}  // namespace vantor
