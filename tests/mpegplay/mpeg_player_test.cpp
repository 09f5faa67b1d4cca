#include "mpegplay/mpeg_player.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio_fixtures.h"
#include "mpegplay/mpeg_library.h"
#include "platform/paths.h"

namespace {

const std::string kBin = VANTOR_BINARY_DIR "/bin";

std::string stubFolder(const std::string &variant) {
  return kBin + "/mpegstubs/" + variant;
}

// A timer that only records what the player asks of it; tests call tick().
class FakeTimer : public vantor::IntervalTimer {
 public:
  explicit FakeTimer(FakeTimer **self) { *self = this; }
  void setInterval(int ms) override { interval_ = ms; }
  int interval() const override { return interval_; }
  void setEnabled(bool on) override {
    on_ = on;
    everEnabled = everEnabled || on;
  }
  bool enabled() const override { return on_; }
  bool everEnabled = false;

 private:
  int interval_ = -1;
  bool on_ = false;
};

vantor::IntervalTimerFactory fakeTimers(FakeTimer **created) {
  return [created](std::function<void()>) { return std::make_unique<FakeTimer>(created); };
}

void expectError(const std::function<void()> &action, const std::string &message, int code) {
  try {
    action();
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const TMPEGError &e) {
    EXPECT_EQ(e.what(), message);
    EXPECT_EQ(e.code(), code);
  }
}

TEST(MpegLibraryName, MapsTheWindowsNameAndJoinsTheFolder) {
  EXPECT_EQ(mpegplay::platformLibraryName("mpegdll.dll"), "libmpegdll.so");
  EXPECT_EQ(mpegplay::platformLibraryName("MPEGDLL.DLL"), "libMPEGDLL.so");
  EXPECT_EQ(mpegplay::platformLibraryName("libz.so"), "libz.so");
  EXPECT_EQ(mpegplay::mpegLibraryPath(""), "libmpegdll.so");
  EXPECT_EQ(mpegplay::mpegLibraryPath("/opt/x"), "/opt/x/libmpegdll.so");
  EXPECT_EQ(mpegplay::mpegLibraryPath("/opt/x/"), "/opt/x/libmpegdll.so");
  EXPECT_EQ(mpegplay::mpegLibraryPath("dir\\sub\\"), "dir/sub/libmpegdll.so");
}

// Installed libraries come first; the one a package carries is tried last,
// and the per-user data folder, which packages used to write, never.
TEST(MpegLibraryName, ABareNameIsLookedForAmongInstalledLibrariesFirst) {
  setenv("XDG_DATA_HOME", "/data/home", 1);
  const std::string bin = std::filesystem::canonical(kBin).string() + "/libmpegdll.so";
  const std::string installed = vantor::systemFolder() + "libmpegdll.so";
  struct Case {
    std::string packaged;
    std::vector<std::string> candidates;
  } cases[] = {
      {"", {bin, installed, "libmpegdll.so"}},
      {"/proc/self/fd/9/libmpegdll.so",
       {bin, installed, "libmpegdll.so", "/proc/self/fd/9/libmpegdll.so"}},
  };
  for (const Case &c : cases) {
    mpegplay::SetPackagedLibrary(c.packaged);
    EXPECT_EQ(mpegplay::libraryCandidates("libmpegdll.so"), c.candidates) << c.packaged;
    EXPECT_EQ(mpegplay::libraryCandidates("/opt/libmpegdll.so"),
              std::vector<std::string>{"/opt/libmpegdll.so"});
  }
  EXPECT_EQ(installed.rfind("/data/home", 0), std::string::npos);
  mpegplay::SetPackagedLibrary("");
  unsetenv("XDG_DATA_HOME");
}

TEST(MpegLibraryMessages, FollowTheTableAndNameLargerCodes) {
  const char *table[] = {
      "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
      "Input stream error",      "Input stream is non-seekable", "Output device failure"};
  for (int code = 0; code <= 5; ++code) EXPECT_EQ(mpegplay::libraryErrorMessage(code), table[code]);
  EXPECT_EQ(mpegplay::libraryErrorMessage(9), "MPEG library error 9");
}

struct LoadCase {
  std::string folder;
  std::string message;
  int code;
};

TEST(MpegPlayerLoad, FailuresRaiseTheirMessages) {
  const LoadCase cases[] = {
      {"/no/such/folder", "Can't load MPEG library", 255},
      {stubFolder("incomplete"), "MPEG library not loaded", 0},
      {stubFolder("init_fails_0"), "MPEG library not loaded", 0},
      {stubFolder("init_fails_1"), "Internal decoder error", 1},
      {stubFolder("init_fails_9"), "MPEG library error 9", 9},
  };
  for (const LoadCase &c : cases) {
    SCOPED_TRACE(c.folder);
    TMPEGPlayer player;
    player.setPathToDLL(c.folder);
    expectError([&] { player.loadLibrary(); }, c.message, c.code);
    EXPECT_FALSE(player.libraryLoaded());
  }
}

TEST(MpegPlayerLoad, EveryOperationNeedsTheLibrary) {
  TMPEGPlayer player;
  player.setStreamName("x.mp3");
  const std::function<void()> operations[] = {[&] { player.open(); }, [&] { player.play(); },
                                              [&] { player.stop(); }, [&] { player.close(); },
                                              [&] { player.playerMode(); }};
  for (const auto &op : operations) expectError(op, "MPEG library not loaded", 0);
}

// The recorder stub ends every track at once and remembers the arguments.
struct StubRecord {
  int32_t device, priority, startPos, endPos;
  const char *outName, *streamName;
};

class RecorderTest : public testing::Test {
 protected:
  void SetUp() override {
    player_.setPathToDLL(stubFolder("recorder"));
    player_.loadLibrary();
    stub_ = dlopen((stubFolder("recorder") + "/libmpegdll.so").c_str(), RTLD_NOW);
    ASSERT_NE(stub_, nullptr);
  }
  void TearDown() override { dlclose(stub_); }
  StubRecord record() { return reinterpret_cast<StubRecord (*)()>(dlsym(stub_, "stubRecord"))(); }

  FakeTimer *timer_ = nullptr;
  TMPEGPlayer player_{fakeTimers(&timer_)};
  void *stub_ = nullptr;
};

// Every priority reaches the library as its value; a PCM file without a
// name goes to the default output.
TEST_F(RecorderTest, PassesNameDevicePriorityAndRange) {
  const struct {
    TPlayerPriority priority;
    int32_t value;
    const char *outName;
    int32_t device;
  } cases[] = {{TPlayerPriority::Idle, -15, "out.pcm", 2}, {TPlayerPriority::Lowest, -2, "", 0},
               {TPlayerPriority::BelowNormal, -1, "a", 2}, {TPlayerPriority::Normal, 0, "", 0},
               {TPlayerPriority::AboveNormal, 1, "b", 2},  {TPlayerPriority::Highest, 2, "", 0},
               {TPlayerPriority::TimeCritical, 15, "c", 2}};
  int32_t start = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.value);
    player_.setStreamName(c.device == 2 ? "song.mp3" : "other.mp3");
    player_.setPlayerPriority(c.priority);
    player_.setStartPos(start += 100);
    player_.setEndPos(start + 800);
    player_.setOutputDevice(TOutputDevice::pcmfile);
    player_.setOutFilename(c.outName);
    player_.play();
    const StubRecord r = record();
    EXPECT_EQ(std::string(r.streamName), c.device == 2 ? "song.mp3" : "other.mp3");
    EXPECT_EQ(r.device, c.device);
    if (c.device == 2) {
      EXPECT_EQ(std::string(r.outName), c.outName);
    }
    EXPECT_EQ(r.priority, c.value);
    EXPECT_EQ(r.startPos, start);
    EXPECT_EQ(r.endPos, start + 800);
    EXPECT_EQ(player_.length(), 1000);
  }
}

// Names that do not fit are refused, not cut; the longest that fits opens.
TEST_F(RecorderTest, UnfitNamesAreRefused) {
  const struct {
    const char *label;
    std::string stream, out;
    bool play;
    const char *message;
    int code;
  } cases[] = {
      {"stream name too long", std::string(512, 'a'), "", false, "Input stream error", 3},
      {"out name too long", std::string(511, 'a'), std::string(260, 'b'), true,
       "Output device failure", 5},
      {"no stream to open", "", "", false, "Can't play non-specified stream", 254},
      {"no stream to play", "", "", true, "Can't play non-specified stream", 254},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    player_.setStreamName(c.stream);
    player_.setOutputDevice(c.out.empty() ? TOutputDevice::wavemapper : TOutputDevice::pcmfile);
    player_.setOutFilename(c.out);
    expectError([&] { c.play ? player_.play() : player_.open(); }, c.message, c.code);
  }
}

TEST_F(RecorderTest, TimerRunsWhilePlayingAndReportsTheEnd) {
  ASSERT_NE(timer_, nullptr);
  EXPECT_EQ(timer_->interval(), 1000);
  EXPECT_FALSE(timer_->enabled());
  std::vector<std::pair<int32_t, int32_t>> updates;
  int ends = 0;
  player_.OnPosUpdate = [&](int32_t pos, int32_t len) { updates.emplace_back(pos, len); };
  player_.OnPlayEnd = [&] { ++ends; };
  player_.setStreamName("song.mp3");
  player_.play();
  // The handler ran once at once; the stub had already ended the track.
  EXPECT_TRUE(timer_->everEnabled);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(timer_->enabled());
  EXPECT_FALSE(player_.playing());
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0], std::make_pair(250, 1000));
  player_.tick();
  EXPECT_EQ(ends, 1);
}

TEST_F(RecorderTest, TimerFrequencyZeroSwitchesTheTimerOff) {
  player_.setTimerFreq(0);
  EXPECT_FALSE(player_.useTimer());
  EXPECT_EQ(timer_->interval(), 0);
  player_.setStreamName("song.mp3");
  player_.play();
  EXPECT_FALSE(timer_->enabled());
  player_.setTimerFreq(500);
  player_.setUseTimer(true);
  EXPECT_EQ(timer_->interval(), 500);
}

TEST_F(RecorderTest, AutoPlayStartsAtOpenAndSettingTheNameCloses) {
  player_.setAutoPlay(true);
  player_.setStreamName("song.mp3");
  player_.open();
  EXPECT_EQ(player_.playedXTimes(), 2);
  EXPECT_EQ(player_.playerMode(), 1);
  player_.setStreamName("other.mp3");
  EXPECT_FALSE(player_.opened());
  EXPECT_EQ(player_.playerMode(), 0);
}

// The real library, playing into a PCM file; without a path it is found
// beside the program.
class RealLibraryTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testaudio::TempDir;
    ASSERT_TRUE(testaudio::makeTone(file("tone.wav"), 1.0, 44100, 2));
    ASSERT_TRUE(testaudio::makeMp3(file("tone.wav"), file("tone.mp3")));
    ASSERT_TRUE(testaudio::decodeWithMpg123(file("tone.mp3"), file("ref.pcm")));
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string file(const std::string &name) { return *dir_ / name; }
  void SetUp() override {
    player_.loadLibrary();
    player_.setOutputDevice(TOutputDevice::pcmfile);
    player_.setOutFilename(file("out.pcm"));
  }
  bool tickUntilEnd(int &ends) {
    return testaudio::waitFor([&] {
      player_.tick();
      return ends > 0;
    });
  }

  static testaudio::TempDir *dir_;
  FakeTimer *timer_ = nullptr;
  TMPEGPlayer player_{fakeTimers(&timer_)};
};

testaudio::TempDir *RealLibraryTest::dir_ = nullptr;

TEST_F(RealLibraryTest, PlaysToTheEndAndRaisesOnPlayEnd) {
  int ends = 0;
  int32_t lastPos = -1, lastLen = -1;
  player_.OnPlayEnd = [&] { ++ends; };
  player_.OnPosUpdate = [&](int32_t pos, int32_t len) { lastPos = pos, lastLen = len; };
  player_.setStreamName(file("tone.mp3"));
  player_.play();
  EXPECT_TRUE(timer_->everEnabled);
  ASSERT_TRUE(tickUntilEnd(ends));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(lastLen, 1000);
  EXPECT_EQ(lastPos, 1000);
  EXPECT_FALSE(timer_->enabled());
  EXPECT_EQ(testaudio::readBytes(file("out.pcm")), testaudio::readBytes(file("ref.pcm")));
  // Playing again restarts the stream.
  std::filesystem::remove(file("out.pcm"));
  ends = 0;
  player_.play();
  ASSERT_TRUE(tickUntilEnd(ends));
  EXPECT_EQ(player_.playedXTimes(), 3);
  EXPECT_EQ(testaudio::readBytes(file("out.pcm")).size(),
            testaudio::readBytes(file("ref.pcm")).size());
}

TEST_F(RealLibraryTest, LibraryErrorsArriveAsTheirMessagesEvenAfterTheEnd) {
  player_.setStreamName(file("missing.mp3"));
  expectError([&] { player_.open(); }, "Input stream error", 3);
  player_.setStreamName(file("tone.mp3"));
  player_.open();
  expectError([&] { player_.stop(); }, "Incorrect mode", 2);
  player_.setOutFilename(file("no/folder/out.pcm"));
  expectError([&] { player_.play(); }, "Output device failure", 5);
  EXPECT_FALSE(player_.playing());
  // A track that has ended cannot be stopped.
  player_.setOutFilename(file("out.pcm"));
  player_.play();
  ASSERT_TRUE(testaudio::waitFor([&] { return player_.playerMode() == 4; }));
  expectError([&] { player_.stop(); }, "Incorrect mode", 2);
}

TEST_F(RealLibraryTest, DestroyingAPlayingPlayerStopsTheLibrary) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    TMPEGPlayer player;
    player.loadLibrary();
    player.setStreamName(file("tone.mp3"));
    player.play();
    EXPECT_EQ(player.playerMode(), 3);
  }
  TMPEGPlayer after;
  after.loadLibrary();
  EXPECT_EQ(after.playerMode(), 0);
}

}  // namespace
