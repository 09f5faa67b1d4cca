// The play-list rules of the show's music over recording players and a
// manual event loop: order, looping, random draws, the packaged rules, the
// choice of player, failures and stopping.
#include "music/music_set.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "platform/debug_log.h"
#include "show_fixture.h"

namespace {

using musictest::FakeFactory;
using musictest::ManualHost;
using musictest::ShowFolder;
using musictest::Track;
using musictest::World;

const std::vector<Track> kThreeWavs = {{"1.wav", "one"}, {"2.wav", "two"}, {"3.wav", "three"}};

struct Options {
  bool packaged = false;
  bool random = false;
  bool loop = false;
  bool mediaPlayerMp3 = false;
};

class Show {
 public:
  Show(const std::vector<Track> &tracks, Options o) {
    if (o.packaged)
      folder_.makePackaged(state, tracks);
    else
      folder_.makeLoose(state, tracks);
    state.settings.RandomMusic = o.random;
    state.settings.LoopMusic = o.loop;
    state.settings.MediaPlayerMp3 = o.mediaPlayerMp3;
    auto host = std::make_unique<ManualHost>();
    loop_ = host->shared();
    music = std::make_unique<vantor::MusicSet>(state.music(), std::move(host),
                                               std::make_unique<FakeFactory>(world));
  }

  bool playing() const {
    return (world.mpeg && world.mpeg->playing()) || (world.media && world.media->playing());
  }

  // The current track plays to its end and the event loop runs on: the MPEG
  // player reports from its own timer, the media player at the next poll.
  void endTrack() {
    if (world.mpeg && world.mpeg->playing()) {
      world.mpeg->end();
    } else if (world.media && world.media->playing()) {
      world.media->end();
      firePoll();
    }
    runPosted();
  }

  void firePoll() {
    for (musictest::ManualTimer *t : std::vector(loop_->timers))
      if (t->interval() == 800) t->fire();
  }

  // Ends tracks until the music stops or `ends` tracks have ended.
  std::vector<std::string> playThrough(int ends) {
    for (int i = 0; i < ends && playing(); ++i) endTrack();
    return world.played;
  }

  void runPosted() { musictest::runPosted(*loop_); }
  size_t waitingTasks() const { return loop_->tasks.size(); }
  musictest::ManualTimer *pollTimer() const {
    for (musictest::ManualTimer *t : loop_->timers)
      if (t->interval() == 800) return t;
    return nullptr;
  }

  ShowFolder folder_;
  musictest::ShowState state;
  World world;
  std::shared_ptr<musictest::Loop> loop_;
  std::unique_ptr<vantor::MusicSet> music;
};

std::vector<std::string> media(std::initializer_list<const char *> names) {
  std::vector<std::string> out;
  for (const char *n : names) out.push_back(std::string("media:") + n);
  return out;
}

// Packaged tracks each get a new player, since every start frees them; a
// packaged list never ends at random, and a seeded source repeats its order.
TEST(MusicSet, PlaysInOrderOrAtRandomOnceOrLoopedLooseAndPackaged) {
  const std::vector<std::string> once = media({"1.wav", "2.wav", "3.wav"});
  const std::vector<std::string> looped =
      media({"1.wav", "2.wav", "3.wav", "1.wav", "2.wav", "3.wav", "1.wav"});
  struct Case {
    const char *name;
    Options options;
    std::vector<std::string> heard;  // in order; at random only the count counts
    int playersMade;
  } cases[] = {
      {"loose once", {false, false, false}, once, 1},
      {"loose looped", {false, false, true}, looped, 1},
      {"packaged once", {true, false, false}, once, 3},
      {"packaged looped", {true, false, true}, looped, 7},
      {"loose random once", {false, true, false}, once, 1},
      {"loose random looped", {false, true, true}, looped, 1},
      {"packaged random once", {true, true, false}, looped, 7},
      {"packaged random looped", {true, true, true}, looped, 7},
  };
  const std::vector<std::string> all = media({"1.wav", "2.wav", "3.wav"});
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> orders[2];
    for (std::vector<std::string> &heard : orders) {
      Show show(kThreeWavs, c.options);
      show.state.random.seed(41);
      show.music->StartMusic();
      for (int i = 0; i < 6 && show.playing(); ++i) {
        if (c.options.packaged && c.options.random) {
          EXPECT_GE(show.music->packagedTrackIndex(), 0);
          EXPECT_LT(show.music->packagedTrackIndex(), 3);
        }
        show.endTrack();
      }
      heard = show.world.played;
      EXPECT_EQ(show.world.mediaCreated, c.playersMade);
      EXPECT_FALSE(show.world.freedInsideCallback);
      EXPECT_EQ(show.waitingTasks(), 0u);
      EXPECT_EQ(show.playing(), c.heard.size() > 3);  // only a looping list plays on
    }
    if (c.options.random) {
      EXPECT_EQ(orders[0].size(), c.heard.size());
      for (const std::string &track : orders[0])
        EXPECT_NE(std::find(all.begin(), all.end(), track), all.end()) << track;
      EXPECT_EQ(orders[0], orders[1]);
    } else {
      EXPECT_EQ(orders[0], c.heard);
    }
  }
}

TEST(MusicSet, Mp3GoesToTheMpegPlayerUnlessMediaPlayerMp3IsSet) {
  struct Case {
    const char *file;
    bool mediaPlayerMp3;
    const char *player;
  } cases[] = {
      {"a.mp3", false, "mpeg"},   {"b.Mp3", false, "mpeg"},  {"c.MP3", false, "mpeg"},
      {"d.wav", false, "media"},  {"e.mid", false, "media"}, {"f.mp3.ogg", false, "media"},
      {"g.mp3x", false, "media"}, {"a.mp3", true, "media"},  {"b.Mp3", true, "media"},
      {"c.MP3", true, "media"},   {"d.wav", true, "media"},  {"e.mid", true, "media"},
  };
  for (const Case &c : cases) {
    // The settings' choice, or the runner's, made after loading them.
    for (int packagedOrRunner = 0; packagedOrRunner < 3; ++packagedOrRunner) {
      Show show({{c.file, "x"}},
                {packagedOrRunner == 1, false, false, packagedOrRunner < 2 && c.mediaPlayerMp3});
      if (packagedOrRunner == 2) show.music->setMediaPlayerMp3(c.mediaPlayerMp3);
      show.music->StartMusic();
      EXPECT_EQ(show.world.played, std::vector<std::string>{std::string(c.player) + ":" + c.file})
          << c.file << " way " << packagedOrRunner;
    }
  }
}

TEST(MusicSet, MixedListMovesBetweenThePlayersAndWithoutTheMpegLibraryPlaysTheRest) {
  for (bool packaged : {false, true}) {
    for (bool mpegFails : {false, true}) {
      Show show({{"1.mp3", "a"}, {"2.wav", "b"}, {"3.mp3", "c"}}, {packaged});
      show.world.mpegFails = mpegFails;
      show.music->StartMusic();
      show.runPosted();
      const std::vector<std::string> want =
          mpegFails ? media({"2.wav"})
                    : std::vector<std::string>{"mpeg:1.mp3", "media:2.wav", "mpeg:3.mp3"};
      EXPECT_EQ(show.playThrough(5), want) << packaged << mpegFails;
      if (!packaged && !mpegFails) {
        EXPECT_EQ(show.world.mpegCreated, 1);
        EXPECT_EQ(show.world.mediaCreated, 1);
      }
    }
  }
}

TEST(MusicSet, NothingIsLoadedWithoutPlayMusicOrTracks) {
  struct Case {
    const char *name;
    bool playMusic;
    std::vector<Track> tracks;
  } cases[] = {{"PlayMusic off", false, kThreeWavs}, {"no tracks", true, {}}};
  for (const Case &c : cases) {
    for (bool packaged : {false, true}) {
      Show show(c.tracks, {packaged});
      show.state.settings.PlayMusic = c.playMusic;
      show.music->StartMusic();
      EXPECT_TRUE(show.world.played.empty()) << c.name;
      EXPECT_FALSE(show.music->hasMpegPlayer()) << c.name;
      EXPECT_FALSE(show.music->hasMediaPlayer()) << c.name;
      EXPECT_EQ(show.music->packagedTrackIndex(), -1) << c.name;
    }
  }
}

TEST(MusicSet, LooseEntriesAreResolvedOnceAndMissingOnesDropped) {
  Show show({{"1.wav", "one"}, {"gone.wav", ""}, {"3.wav", "three"}}, {});
  show.music->StartMusic();
  const std::vector<std::string> resolved = {show.folder_.path("sample/1.wav"),
                                             show.folder_.path("sample/3.wav")};
  EXPECT_EQ(show.state.settings.MusicList, resolved);
  EXPECT_EQ(show.music->playlist().List, resolved);
  EXPECT_EQ(show.playThrough(5), media({"1.wav", "3.wav"}));
}

TEST(MusicSet, PackagedTracksAreCutOutWhenDueAndAMissingOneIsSkipped) {
  Show show({{"1.wav", "one"}, {"gone.wav", ""}, {"3.wav", "three"}}, {true, false, true});
  vantor::setDebugLogEnabled(true);
  testing::internal::CaptureStderr();
  show.music->StartMusic();
  EXPECT_TRUE(vantor::test::exists(show.folder_.work() + "1.wav"));
  EXPECT_FALSE(vantor::test::exists(show.folder_.work() + "3.wav"));
  // The settings keep the entries as they are.
  EXPECT_EQ(show.state.settings.MusicList,
            (std::vector<std::string>{"1.wav", "gone.wav", "3.wav"}));
  EXPECT_EQ(show.playThrough(4), media({"1.wav", "3.wav", "1.wav", "3.wav", "1.wav"}));
  EXPECT_EQ(show.waitingTasks(), 0u);
  // The debug log names the skipped track once, though the loop passed it twice.
  const std::string said = testing::internal::GetCapturedStderr();
  vantor::setDebugLogEnabled(false);
  const std::string line = "vantor-saver: skipped track gone.wav: ";
  EXPECT_EQ(said.find(line), 0u) << said;
  EXPECT_EQ(said.find(line, 1), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

// The end of a track starts the next one from the event loop, once the
// player's end callback has returned; an end still waiting when the saver
// closes plays nothing.
TEST(MusicSet, TheNextTrackStartsFromTheEventLoopUnlessTheSaverClosedFirst) {
  for (bool packaged : {false, true}) {
    for (bool closes : {false, true}) {
      SCOPED_TRACE(std::string(packaged ? "packaged" : "loose") + (closes ? " closes" : ""));
      Show show({{"1.mp3", "a"}, {"2.mp3", "b"}}, {packaged});
      show.music->StartMusic();
      show.world.mpeg->end();
      EXPECT_EQ(show.world.played.size(), 1u);
      EXPECT_EQ(show.waitingTasks(), 1u);
      if (closes) show.music->StopMusic(true);
      show.runPosted();
      const std::vector<std::string> first = {"mpeg:1.mp3"}, both = {"mpeg:1.mp3", "mpeg:2.mp3"};
      EXPECT_EQ(show.world.played, closes ? first : both);
      EXPECT_EQ(show.world.mpegCreated, packaged && !closes ? 2 : 1);
      EXPECT_EQ(show.music->hasMpegPlayer(), !closes);
      EXPECT_FALSE(show.world.freedInsideCallback);
    }
  }
}

// The media player is polled every 800 ms while it plays; stopping the
// music silences both players, frees them if asked, and a stopped player is
// never taken for a finished track.
TEST(MusicSet, ThePollTimerRunsWhileAMediaTrackPlaysAndStopMusicSilences) {
  for (bool freePlayers : {true, false}) {
    SCOPED_TRACE(freePlayers ? "freed" : "kept");
    Show show({{"1.wav", "a"}, {"2.mp3", "b"}, {"3.wav", "c"}}, {false, false, true});
    show.music->StartMusic();
    ASSERT_NE(show.pollTimer(), nullptr);
    EXPECT_TRUE(show.pollTimer()->enabled());
    show.firePoll();  // still playing: nothing changes
    EXPECT_EQ(show.world.played.size(), 1u);
    show.endTrack();
    EXPECT_EQ(show.world.played.back(), "mpeg:2.mp3");
    EXPECT_FALSE(show.pollTimer()->enabled());
    show.endTrack();
    ASSERT_TRUE(show.pollTimer()->enabled());
    show.music->StopMusic(freePlayers);
    EXPECT_EQ(show.world.stops, 1);  // only the media player was playing
    EXPECT_EQ(show.music->hasMpegPlayer(), !freePlayers);
    EXPECT_EQ(show.music->hasMediaPlayer(), !freePlayers);
    EXPECT_FALSE(show.playing());
    if (freePlayers) {
      EXPECT_FALSE(show.pollTimer()->enabled());
      EXPECT_EQ(show.music->playlist().Current, "");
    }
    show.firePoll();
    show.runPosted();
    EXPECT_EQ(show.world.played.size(), 3u);
  }
}

TEST(MusicSet, PlayTrackPlaysAnExistingFileAloneAndEmptiesTheList) {
  Show show(kThreeWavs, {false, false, true});
  show.music->PlayTrack(show.folder_.path("nothing.wav"));
  EXPECT_TRUE(show.world.played.empty());
  EXPECT_FALSE(show.music->hasMediaPlayer());
  show.music->StartMusic();
  show.music->PlayTrack(show.folder_.path("sample/3.wav"));
  EXPECT_TRUE(show.music->playlist().List.empty());
  EXPECT_EQ(show.playThrough(3), media({"1.wav", "3.wav"}));
}

TEST(MusicSet, WithoutAnySoundALoopedListGivesUp) {
  const Options cases[] = {
      {false, false, true}, {false, true, true}, {true, true, true}, {true, false, true}};
  for (const Options &options : cases) {
    Show show({{"1.mp3", "a"}, {"2.wav", "b"}, {"3.mp3", "c"}}, options);
    show.world.mpegFails = show.world.mediaFails = true;
    show.music->StartMusic();
    show.runPosted();
    EXPECT_EQ(show.waitingTasks(), 0u);
    EXPECT_TRUE(show.world.played.empty());
    // A new start tries again.
    show.world.mediaFails = false;
    show.music->StartMusic();
    show.runPosted();
    EXPECT_FALSE(show.world.played.empty());
  }
}

}  // namespace
