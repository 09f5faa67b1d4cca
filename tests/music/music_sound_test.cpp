// The show's music through the real players on SDL's disk driver, which
// writes what would be heard to a file: packaged tracks are cut out, played
// and silenced when the saver closes.
#include <gtest/gtest.h>

#include <SDL2/SDL_mixer.h>
#include <cstdlib>

#include "audio_fixtures.h"
#include "fakes.h"
#include "music/music_set.h"
#include "show_fixture.h"

namespace {

using musictest::ManualHost;
using vantor::test::readFile;

class MusicSoundTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    audio_ = new testaudio::TempDir;
    ASSERT_TRUE(testaudio::makeTone(audio("long.wav"), 20.0, 44100, 2));
    ASSERT_TRUE(testaudio::makeTone(audio("short.wav"), 0.5, 44100, 2));
    ASSERT_TRUE(testaudio::makeMp3(audio("short.wav"), audio("short.mp3")));
  }
  static void TearDownTestSuite() { delete audio_; }
  static std::string audio(const std::string &name) { return *audio_ / name; }

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audio("heard.raw").c_str(), 1);
    std::filesystem::remove(audio("heard.raw"));
  }

  void start(const std::vector<musictest::Track> &tracks) {
    folder_.makePackaged(state_, tracks);
    state_.settings.LoopMusic = false;
    auto host = std::make_unique<ManualHost>();
    loop_ = host->shared();
    music_ = std::make_unique<vantor::MusicSet>(state_.music(), std::move(host));
    music_->StartMusic();
  }

  uintmax_t heardBytes() const { return testaudio::sizeOf(audio("heard.raw")); }
  int heardPeak() const { return testaudio::peakOf(testaudio::readS16(audio("heard.raw"))); }

  // One pass of the event loop: every timer that is due fires, then the
  // posted tasks run.
  void runLoopOnce() {
    for (musictest::ManualTimer *t : std::vector(loop_->timers)) t->fire();
    musictest::runPosted(*loop_);
  }

  static testaudio::TempDir *audio_;
  musictest::ShowFolder folder_;
  musictest::ShowState state_;
  std::shared_ptr<musictest::Loop> loop_;
  std::unique_ptr<vantor::MusicSet> music_;
};

testaudio::TempDir *MusicSoundTest::audio_ = nullptr;

TEST_F(MusicSoundTest, AnMp3TrackEndsTheNextPlaysOnTheOtherPlayerUntilTheSaverCloses) {
  start({{"first.mp3", readFile(audio("short.mp3"))}, {"second.wav", readFile(audio("long.wav"))}});
  ASSERT_TRUE(music_->hasMpegPlayer());
  EXPECT_FALSE(music_->hasMediaPlayer());
  int mp3Peak = 0;
  ASSERT_TRUE(testaudio::waitFor([&] {
    if (music_->hasMpegPlayer()) mp3Peak = std::max(mp3Peak, heardPeak());
    runLoopOnce();
    return music_->hasMediaPlayer();
  }));
  EXPECT_GT(mp3Peak, 8000);
  EXPECT_FALSE(music_->hasMpegPlayer());  // freed by the packaged restart
  EXPECT_EQ(music_->packagedTrackIndex(), 1);
  // The device was opened afresh for the WAV: what is heard now is its tone.
  ASSERT_TRUE(testaudio::waitFor([&] { return heardBytes() > 44100 * 4 / 2; }));
  EXPECT_GT(heardPeak(), 8000);
  music_->StopMusic(true);
  EXPECT_FALSE(music_->hasMediaPlayer());
  // The output device is closed, its writer thread joined: nothing more
  // can be heard.
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
}

TEST_F(MusicSoundTest, WithoutASoundDeviceTheShowRunsOnSilently) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  start({{"a.mp3", readFile(audio("short.mp3"))}, {"b.wav", readFile(audio("short.wav"))}});
  for (int i = 0; i < 5; ++i) runLoopOnce();
  EXPECT_TRUE(loop_->tasks.empty());
  EXPECT_EQ(heardBytes(), 0u);
  music_->StopMusic(true);
}

}  // namespace
