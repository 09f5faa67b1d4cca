// The library as an outside program uses it: loaded with dlopen and driven
// through its C function table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "audio_fixtures.h"
#include "mpeg_library.h"

namespace {

using testaudio::waitFor;

constexpr int32_t kModeClosed = 0, kModeStopped = 1, kModePaused = 2, kModePlaying = 3,
                  kModeEnded = 4;
constexpr int32_t kNoError = 0, kIncorrectMode = 2, kInputError = 3, kOutputFailure = 5;
constexpr int kRate = 44100;

class MpegDllTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testaudio::TempDir;
    ASSERT_TRUE(testaudio::makeTone(file("tone.wav"), 2.0, kRate, 2));
    ASSERT_TRUE(testaudio::makeMp3(file("tone.wav"), file("tone.mp3")));
    ASSERT_TRUE(testaudio::decodeWithMpg123(file("tone.mp3"), file("reference.pcm")));
    ASSERT_TRUE(testaudio::makeTone(file("long.wav"), 20.0, kRate, 2));
    ASSERT_TRUE(testaudio::makeMp3(file("long.wav"), file("long.mp3")));
    // Without the encoder's header frame the length has to be counted.
    ASSERT_TRUE(testaudio::run("lame --quiet -t -b 128 '" + file("tone.wav") + "' '" +
                               file("bare.mp3") + "'"));
    std::ofstream(file("garbage.mp3")) << std::string(8192, 'x') << "not an MPEG stream";
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string file(const std::string &name) { return dir_->file(name); }

  void SetUp() override {
    ASSERT_TRUE(lib_.loaded()) << dlerror();
    ASSERT_EQ(lib_.init(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override {
    if (lib_.loaded()) lib_.Close();
  }

  // Plays `mp3` into a PCM file and waits for the end flag.
  void playToFile(const std::string &mp3, int32_t startMs = 0, int32_t endMs = 0) {
    lib_.openFile(mp3);
    ASSERT_EQ(lib_.LastError(), kNoError);
    lib_.SetOutputDevice(2, file("out.pcm").c_str());
    ASSERT_EQ(lib_.Play(startMs, endMs, &endFlag_), 0);
    ASSERT_TRUE(waitFor([&] { return flagSet(); }));
  }

  // The library's thread writes the flag; read it as shared memory.
  bool flagSet() const { return __atomic_load_n(&endFlag_, __ATOMIC_ACQUIRE) != 0; }

  static testaudio::TempDir *dir_;
  MpegLibrary lib_{builtMpegLibrary()};
  volatile uint8_t endFlag_ = 0;
};

testaudio::TempDir *MpegDllTest::dir_ = nullptr;

// Decoders may differ by their last bit of rounding.
void expectSamePcm(const std::vector<int16_t> &got, const std::vector<int16_t> &want) {
  ASSERT_EQ(got.size(), want.size());
  int worst = 0;
  for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
  EXPECT_LE(worst, 1);
}

TEST_F(MpegDllTest, DecodesToTheSamePcmAsMpg123) {
  playToFile(file("tone.mp3"));
  std::vector<int16_t> got = testaudio::readS16(file("out.pcm"));
  expectSamePcm(got, testaudio::readS16(file("reference.pcm")));
  EXPECT_GT(testaudio::peakOf(got), 10000);
}

std::vector<int16_t> withoutLeadingSilence(std::vector<int16_t> samples) {
  auto sound = std::find_if(samples.begin(), samples.end(), [](int16_t v) { return v != 0; });
  samples.erase(samples.begin(), sound - (sound - samples.begin()) % 2);
  return samples;
}

TEST_F(MpegDllTest, TheDefaultOutputHearsTheSamePcm) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file("heard.raw").c_str(), 1);
  lib_.openFile(file("tone.mp3"));
  lib_.SetOutputDevice(0, "");
  ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0) << lib_.LastError();
  ASSERT_TRUE(waitFor([&] { return flagSet(); }));
  lib_.Close();
  std::vector<int16_t> want = withoutLeadingSilence(testaudio::readS16(file("reference.pcm")));
  std::vector<int16_t> heard = withoutLeadingSilence(testaudio::readS16(file("heard.raw")));
  ASSERT_GE(heard.size(), want.size());
  heard.resize(want.size());
  expectSamePcm(heard, want);
}

TEST_F(MpegDllTest, ReportsTheStreamsFacts) {
  lib_.openFile(file("tone.mp3"));
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  EXPECT_NEAR(lib_.GetLength(), 2000, 1);
  EXPECT_EQ(lib_.GetFrequency(), kRate);
  EXPECT_EQ(lib_.GetLayer(), 3);
  EXPECT_EQ(lib_.GetBitrate(), 128);
  EXPECT_EQ(lib_.GetCurrentPos(), 0);
  EXPECT_EQ(lib_.LastError(), kNoError);
}

TEST_F(MpegDllTest, CountsTheLengthOfAStreamWithoutHeaderFrame) {
  ASSERT_TRUE(testaudio::decodeWithMpg123(file("bare.mp3"), file("bare.pcm")));
  playToFile(file("bare.mp3"));
  std::vector<int16_t> want = testaudio::readS16(file("bare.pcm"));
  expectSamePcm(testaudio::readS16(file("out.pcm")), want);
  // libmpg123 counts such a stream to within one MPEG frame (26 ms).
  EXPECT_NEAR(lib_.GetLength(), static_cast<int32_t>(want.size() / 2 * 1000 / kRate), 26);
  EXPECT_GT(lib_.GetLength(), 2000);
}

TEST_F(MpegDllTest, EndsWithTheFlagSetAndThePositionAtTheLength) {
  playToFile(file("tone.mp3"));
  EXPECT_EQ(lib_.GetPlayerMode(), kModeEnded);
  EXPECT_EQ(lib_.GetCurrentPos(), lib_.GetLength());
  lib_.ResetPlayerMode();
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
}

TEST_F(MpegDllTest, PlaysOnlyTheRangeFromStartToEnd) {
  playToFile(file("tone.mp3"), 500, 1500);
  std::vector<int16_t> got = testaudio::readS16(file("out.pcm"));
  std::vector<int16_t> all = testaudio::readS16(file("reference.pcm"));
  std::vector<int16_t> want(all.begin() + kRate / 2 * 2, all.begin() + kRate * 3 / 2 * 2);
  expectSamePcm(got, want);
  EXPECT_EQ(lib_.GetCurrentPos(), 1500);
}

TEST_F(MpegDllTest, RestartPlaysTheRangeAgainAndSetsTheFlagAgain) {
  playToFile(file("tone.mp3"));
  std::filesystem::remove(file("out.pcm"));
  lib_.Restart();
  EXPECT_EQ(lib_.LastError(), kNoError);
  ASSERT_TRUE(waitFor([&] { return flagSet(); }));
  expectSamePcm(testaudio::readS16(file("out.pcm")), testaudio::readS16(file("reference.pcm")));
}

TEST_F(MpegDllTest, ModeIsThreeWhilePlayingAndStopEndsIt) {
  lib_.openFile(file("long.mp3"));
  lib_.SetOutputDevice(0, "");
  ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0) << lib_.LastError();
  EXPECT_EQ(lib_.GetPlayerMode(), kModePlaying);
  EXPECT_TRUE(waitFor([&] { return lib_.GetCurrentPos() > 0; }));
  lib_.Stop();
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  EXPECT_FALSE(flagSet());
  lib_.Stop();
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
}

TEST_F(MpegDllTest, PauseHoldsThePositionUntilResumed) {
  lib_.openFile(file("long.mp3"));
  lib_.SetOutputDevice(0, "");
  ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0);
  ASSERT_TRUE(waitFor([&] { return lib_.GetCurrentPos() > 100; }));
  lib_.Pause();
  EXPECT_EQ(lib_.GetPlayerMode(), kModePaused);
  int32_t held = lib_.GetCurrentPos();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(lib_.GetCurrentPos(), held);
  lib_.Pause();
  EXPECT_EQ(lib_.GetPlayerMode(), kModePlaying);
  EXPECT_TRUE(waitFor([&] { return lib_.GetCurrentPos() > held; }));
}

TEST_F(MpegDllTest, SeekMovesThePositionWhilePlaying) {
  lib_.openFile(file("long.mp3"));
  lib_.SetOutputDevice(0, "");
  ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0);
  lib_.Seek(15000);
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_TRUE(waitFor([&] { return lib_.GetCurrentPos() >= 15000; }));
}

TEST_F(MpegDllTest, CloseWhileDecodingReturns) {
  for (int round = 0; round < 20; ++round) {
    const bool toSpeaker = round % 2 == 1;
    lib_.openFile(file("long.mp3"));
    lib_.SetOutputDevice(toSpeaker ? 0 : 2, "/dev/null");
    __atomic_store_n(&endFlag_, 0, __ATOMIC_RELAXED);
    ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(round));
    lib_.Close();
    EXPECT_EQ(lib_.GetPlayerMode(), kModeClosed);
    // Twenty seconds of sound cannot have been heard yet; the file output
    // may well have been written completely.
    if (toSpeaker) {
      EXPECT_FALSE(flagSet());
    }
  }
}

TEST_F(MpegDllTest, PriorityChangesNeverFail) {
  lib_.openFile(file("tone.mp3"));
  lib_.SetOutputDevice(2, "/dev/null");
  for (int32_t priority : {-15, -2, -1, 0, 1, 2, 15}) {
    lib_.SetPriority(priority);
    EXPECT_EQ(lib_.LastError(), kNoError);
  }
  ASSERT_EQ(lib_.Play(0, 0, &endFlag_), 0);
  lib_.SetPriority(-15);
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_TRUE(waitFor([&] { return flagSet(); }));
}

struct OpenCase {
  const char *label;
  std::string name;
  int32_t fromStream;
};

TEST_F(MpegDllTest, StreamsThatCannotBeOpenedAreInputErrors) {
  const OpenCase cases[] = {
      {"missing file", file("missing.mp3"), 0},
      {"garbage file", file("garbage.mp3"), 0},
      {"a folder", file(""), 0},
      {"empty name", "", 0},
      {"stream callbacks", file("tone.mp3"), 1},
  };
  for (const OpenCase &c : cases) {
    lib_.openFile(c.name, c.fromStream);
    EXPECT_EQ(lib_.LastError(), kInputError) << c.label;
    EXPECT_EQ(lib_.GetPlayerMode(), kModeClosed) << c.label;
    EXPECT_EQ(lib_.GetLength(), 0) << c.label;
  }
}

TEST_F(MpegDllTest, CallsOutOfTurnAreIncorrectMode) {
  EXPECT_NE(lib_.Play(0, 0, &endFlag_), 0);
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
  lib_.Restart();
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
  lib_.openFile(file("tone.mp3"));
  lib_.Stop();
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
  lib_.Pause();
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
  lib_.Seek(100);
  EXPECT_EQ(lib_.LastError(), kIncorrectMode);
  lib_.Close();
  EXPECT_EQ(lib_.LastError(), kNoError);
}

TEST_F(MpegDllTest, UnusableOutputsAreDeviceFailures) {
  lib_.openFile(file("tone.mp3"));
  lib_.SetOutputDevice(7, "");
  EXPECT_EQ(lib_.LastError(), kOutputFailure);
  lib_.SetOutputDevice(2, "");
  EXPECT_EQ(lib_.LastError(), kOutputFailure);
  lib_.SetOutputDevice(2, file("no/such/folder/out.pcm").c_str());
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_NE(lib_.Play(0, 0, &endFlag_), 0);
  EXPECT_EQ(lib_.LastError(), kOutputFailure);
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
}

TEST_F(MpegDllTest, NoSoundCardIsADeviceFailureNotACrash) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  lib_.openFile(file("tone.mp3"));
  lib_.SetOutputDevice(0, "");
  EXPECT_NE(lib_.Play(0, 0, &endFlag_), 0);
  EXPECT_EQ(lib_.LastError(), kOutputFailure);
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  EXPECT_FALSE(flagSet());
}

}  // namespace
