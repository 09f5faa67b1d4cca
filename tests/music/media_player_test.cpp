// The media-control player on SDL's disk driver, which writes what would be
// heard to a file.
#include "music/media_player.h"

#include <gtest/gtest.h>

#include <SDL2/SDL_mixer.h>
#include <cstdlib>
#include <fstream>

#include "audio_fixtures.h"

namespace {

class MediaPlayerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testaudio::TempDir;
    ASSERT_TRUE(testaudio::makeTone(file("short.wav"), 1.0, 44100, 2));
    ASSERT_TRUE(testaudio::makeTone(file("long.wav"), 10.0, 44100, 2));
    std::ofstream(file("garbage.wav")) << std::string(4096, 'x');
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string file(const std::string &name) { return *dir_ / name; }

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file("heard.raw").c_str(), 1);
    std::filesystem::remove(file("heard.raw"));
    player_.OnNotify = [this](TMPNotifyValues v) { notified_.push_back(v); };
  }

  static testaudio::TempDir *dir_;
  TMediaPlayer player_;
  std::vector<TMPNotifyValues> notified_;
};

testaudio::TempDir *MediaPlayerTest::dir_ = nullptr;

TEST_F(MediaPlayerTest, PlaysAWavToItsEndAndNotifiesOnce) {
  player_.setFileName(file("short.wav"));
  player_.open();
  EXPECT_EQ(player_.mode(), TMPModes::mpStopped);
  EXPECT_EQ(player_.length(), 1000);
  player_.play();
  EXPECT_EQ(player_.mode(), TMPModes::mpPlaying);
  ASSERT_TRUE(testaudio::waitFor([&] {
    player_.tick();
    return !notified_.empty();
  }));
  EXPECT_EQ(notified_, std::vector{TMPNotifyValues::nvSuccessful});
  EXPECT_EQ(player_.mode(), TMPModes::mpStopped);
  EXPECT_EQ(player_.position(), player_.length());
  player_.tick();
  EXPECT_EQ(notified_.size(), 1u);
  EXPECT_GT(testaudio::peakOf(testaudio::readS16(file("heard.raw"))), 8000);
}

TEST_F(MediaPlayerTest, StopEndsTheOutputAndSendsNoNotification) {
  player_.setFileName(file("long.wav"));
  player_.open();
  player_.play();
  EXPECT_EQ(player_.length(), 10000);
  ASSERT_TRUE(testaudio::waitFor([&] { return player_.position() > 0; }));
  EXPECT_LE(player_.position(), player_.length());
  ASSERT_TRUE(testaudio::waitFor([&] { return testaudio::sizeOf(file("heard.raw")) > 0; }));
  player_.stop();
  EXPECT_EQ(player_.mode(), TMPModes::mpStopped);
  // The output device is closed, its writer thread joined: nothing more
  // can be heard, and a tick finds nothing to report.
  EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
  player_.tick();
  EXPECT_TRUE(notified_.empty());
  // Playing again starts the output again.
  player_.play();
  EXPECT_EQ(player_.mode(), TMPModes::mpPlaying);
  player_.close();
  EXPECT_EQ(player_.mode(), TMPModes::mpNotReady);
  EXPECT_TRUE(notified_.empty());
}

// A file that cannot be read, no audio device, or one another player
// holds: open raises and leaves the player closed; once the device is
// there again, opening works.
TEST_F(MediaPlayerTest, OpenFailuresRaiseAndLeaveThePlayerClosed) {
  const struct {
    const char *label;
    std::string name;
    const char *driver;
    bool held;
  } cases[] = {
      {"missing file", file("missing.wav"), "disk", false},
      {"garbage file", file("garbage.wav"), "disk", false},
      {"no name", "", "disk", false},
      {"no audio device", file("short.wav"), "no-such-driver", false},
      {"device held by another player", file("short.wav"), "disk", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    setenv("SDL_AUDIODRIVER", c.driver, 1);
    TMediaPlayer holder;
    holder.setFileName(file("long.wav"));
    if (c.held) holder.open();
    player_.setFileName(c.name);
    EXPECT_THROW(player_.open(), TMediaPlayerError);
    EXPECT_EQ(player_.mode(), TMPModes::mpNotReady);
    EXPECT_THROW(player_.play(), TMediaPlayerError);
    holder.close();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    if (c.name != file("short.wav")) continue;
    player_.open();
    EXPECT_EQ(player_.mode(), TMPModes::mpStopped);
    player_.close();
  }
}

}  // namespace
