// The library as an outside program uses it: loaded with dlopen and driven
// through its C function table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "audio_fixtures.h"
#include "mpeg_library.h"

namespace {

using testaudio::readS16;
using testaudio::waitFor;

constexpr int32_t kModeClosed = 0, kModeStopped = 1, kModePaused = 2, kModePlaying = 3,
                  kModeEnded = 4;
constexpr int32_t kNoError = 0, kIncorrectMode = 2, kInputError = 3, kOutputFailure = 5;
constexpr int kRate = 44100, kFrameBytes = 4;

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
    ASSERT_TRUE(testaudio::decodeWithMpg123(file("bare.mp3"), file("bare.pcm")));
    std::ofstream(file("garbage.mp3")) << std::string(8192, 'x') << "not an MPEG stream";
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string file(const std::string &name) { return *dir_ / name; }

  void SetUp() override {
    ASSERT_TRUE(lib_.loaded()) << dlerror();
    ASSERT_EQ(lib_.init(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override {
    if (lib_.loaded()) lib_.Close();
  }

  // Opens `mp3` and starts it on `device` (the file name serves device 2).
  void start(const std::string &mp3, int32_t device, const std::string &out = "",
             int32_t startMs = 0, int32_t endMs = 0) {
    lib_.openFile(mp3);
    ASSERT_EQ(lib_.LastError(), kNoError);
    lib_.SetOutputDevice(device, out.c_str());
    ASSERT_EQ(lib_.Play(startMs, endMs, &endFlag_), 0) << lib_.LastError();
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

// The sound without the silence an output adds before, between and after
// it: every run of four or more silent stereo frames goes. A tone never
// holds such a run.
std::vector<int16_t> soundOnly(const std::vector<int16_t> &samples) {
  auto silent = [&](size_t frame) {
    return samples[2 * frame] == 0 && samples[2 * frame + 1] == 0;
  };
  std::vector<int16_t> out;
  const size_t frames = samples.size() / 2;
  for (size_t i = 0; i < frames;) {
    size_t run = 0;
    while (i + run < frames && silent(i + run)) ++run;
    size_t keep = run >= 4 ? 0 : std::max<size_t>(run, 1);
    out.insert(out.end(), samples.begin() + 2 * i, samples.begin() + 2 * (i + keep));
    i += std::max(run, keep);
  }
  return out;
}

TEST_F(MpegDllTest, ReportsTheStreamsFacts) {
  lib_.openFile(file("tone.mp3"));
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  EXPECT_NEAR(lib_.GetLength(), 2000, 1);
  EXPECT_EQ(lib_.GetFrequency(), kRate);
  EXPECT_EQ(lib_.GetLayer(), 3);
  EXPECT_EQ(lib_.GetBitrate(), 128);
  EXPECT_EQ(lib_.GetCurrentPos(), 0);
}

// Each range is written to a PCM file as mpg123 decodes it, ends with the
// flag set and the position at the range's end, and Restart plays it again.
TEST_F(MpegDllTest, PlaysTheRangeAsMpg123DecodesItAndRestartPlaysItAgain) {
  const std::vector<int16_t> tone = readS16(file("reference.pcm"));
  struct Case {
    const char *label;
    std::string mp3;
    int32_t startMs, endMs, priority;
    std::vector<int16_t> want;
  } cases[] = {
      {"whole stream", file("tone.mp3"), 0, 0, -15, tone},
      {"500 to 1500 ms",
       file("tone.mp3"),
       500,
       1500,
       15,
       {tone.begin() + kRate / 2 * 2, tone.begin() + kRate * 3 / 2 * 2}},
      {"no header frame", file("bare.mp3"), 0, 0, 0, readS16(file("bare.pcm"))},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    lib_.SetPriority(c.priority);
    EXPECT_EQ(lib_.LastError(), kNoError);
    ASSERT_NO_FATAL_FAILURE(start(c.mp3, 2, file("out.pcm"), c.startMs, c.endMs));
    // Priority changes never fail, not even while decoding.
    lib_.SetPriority(-c.priority);
    EXPECT_EQ(lib_.LastError(), kNoError);
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(waitFor([&] { return flagSet(); }));
      expectSamePcm(readS16(file("out.pcm")), c.want);
      EXPECT_EQ(lib_.GetPlayerMode(), kModeEnded);
      const int32_t wantEnd = static_cast<int32_t>(c.startMs + c.want.size() / 2 * 1000 / kRate);
      // libmpg123 counts a stream without header frame to within one MPEG frame (26 ms).
      EXPECT_NEAR(lib_.GetCurrentPos(), wantEnd, 1);
      if (c.endMs == 0) {
        EXPECT_NEAR(lib_.GetLength(), wantEnd, 26);
      }
      std::filesystem::remove(file("out.pcm"));
      if (round == 0) lib_.Restart();
      EXPECT_EQ(lib_.LastError(), kNoError);
    }
    lib_.ResetPlayerMode();
    EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  }
}

// The default output on SDL's disk driver, which writes what is heard at
// the pace it is heard, silence included. While paused the device goes on
// writing silence: that is the clock the pause is measured by.
TEST_F(MpegDllTest, PauseHoldsThePositionAndResumingLosesNoSound) {
  const std::string heard = file("heard.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", heard.c_str(), 1);
  ASSERT_NO_FATAL_FAILURE(start(file("tone.mp3"), 0));
  EXPECT_EQ(lib_.GetPlayerMode(), kModePlaying);
  ASSERT_TRUE(waitFor([&] { return lib_.GetCurrentPos() > 300; }));
  lib_.Pause();
  EXPECT_EQ(lib_.GetPlayerMode(), kModePaused);
  // One device buffer (46 ms) after the pause nothing more is on its way.
  uintmax_t pausedAt = testaudio::sizeOf(heard);
  ASSERT_TRUE(waitFor([&] { return testaudio::sizeOf(heard) > pausedAt + 8192; }));
  const int32_t held = lib_.GetCurrentPos();
  pausedAt = testaudio::sizeOf(heard);
  ASSERT_TRUE(
      waitFor([&] { return testaudio::sizeOf(heard) > pausedAt + kRate * kFrameBytes / 3; }));
  EXPECT_EQ(lib_.GetCurrentPos(), held);
  EXPECT_FALSE(flagSet());
  lib_.Pause();
  EXPECT_EQ(lib_.GetPlayerMode(), kModePlaying);
  ASSERT_TRUE(waitFor([&] { return flagSet(); }));
  lib_.Close();
  std::vector<int16_t> want = soundOnly(readS16(file("reference.pcm")));
  std::vector<int16_t> got = soundOnly(readS16(heard));
  ASSERT_GE(got.size(), want.size());
  got.resize(want.size());
  expectSamePcm(got, want);
}

TEST_F(MpegDllTest, SeekMovesThePositionAndStopEndsIt) {
  ASSERT_NO_FATAL_FAILURE(start(file("long.mp3"), 0));
  EXPECT_EQ(lib_.GetPlayerMode(), kModePlaying);
  lib_.Seek(15000);
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_TRUE(waitFor([&] { return lib_.GetCurrentPos() >= 15000; }));
  lib_.Stop();
  EXPECT_EQ(lib_.LastError(), kNoError);
  EXPECT_EQ(lib_.GetPlayerMode(), kModeStopped);
  EXPECT_FALSE(flagSet());
}

TEST_F(MpegDllTest, CloseWhileDecodingReturns) {
  for (int round = 0; round < 20; ++round) {
    const bool toSpeaker = round % 2 == 1;
    __atomic_store_n(&endFlag_, 0, __ATOMIC_RELAXED);
    ASSERT_NO_FATAL_FAILURE(start(file("long.mp3"), toSpeaker ? 0 : 2, "/dev/null"));
    std::this_thread::sleep_for(std::chrono::milliseconds(round));  // varies the moment only
    lib_.Close();
    EXPECT_EQ(lib_.GetPlayerMode(), kModeClosed);
    // Twenty seconds of sound cannot have been heard yet; the file output
    // may well have been written completely.
    if (toSpeaker) {
      EXPECT_FALSE(flagSet());
    }
  }
}

// Every refusal leaves its error code and a mode the caller can go on from.
TEST_F(MpegDllTest, RefusedCallsReportTheirErrorAndKeepTheMode) {
  const std::string tone = file("tone.mp3");
  auto open = [&](const std::string &name, int32_t fromStream = 0) {
    return [&, name, fromStream] { lib_.openFile(name, fromStream); };
  };
  auto thenCall = [&](std::function<void()> call) {
    return [&, call] {
      lib_.openFile(tone);
      call();
    };
  };
  auto play = [&] { EXPECT_NE(lib_.Play(0, 0, &endFlag_), 0); };
  struct Case {
    const char *label;
    std::function<void()> call;
    int32_t error, mode;
  } cases[] = {
      {"missing file", open(file("missing.mp3")), kInputError, kModeClosed},
      {"garbage file", open(file("garbage.mp3")), kInputError, kModeClosed},
      {"a folder", open(file("")), kInputError, kModeClosed},
      {"empty name", open(""), kInputError, kModeClosed},
      {"stream callbacks", open(tone, 1), kInputError, kModeClosed},
      {"play unopened", play, kIncorrectMode, kModeClosed},
      {"restart unplayed", [&] { lib_.Restart(); }, kIncorrectMode, kModeClosed},
      {"stop stopped", thenCall([&] { lib_.Stop(); }), kIncorrectMode, kModeStopped},
      {"pause stopped", thenCall([&] { lib_.Pause(); }), kIncorrectMode, kModeStopped},
      {"seek stopped", thenCall([&] { lib_.Seek(100); }), kIncorrectMode, kModeStopped},
      {"close", thenCall([&] { lib_.Close(); }), kNoError, kModeClosed},
      {"unknown device", thenCall([&] { lib_.SetOutputDevice(7, ""); }), kOutputFailure,
       kModeStopped},
      {"pcm file unnamed", thenCall([&] { lib_.SetOutputDevice(2, ""); }), kOutputFailure,
       kModeStopped},
      {"pcm file in a missing folder", thenCall([&] {
         lib_.SetOutputDevice(2, file("no/such/folder/out.pcm").c_str());
         EXPECT_EQ(lib_.LastError(), kNoError);
         play();
       }),
       kOutputFailure, kModeStopped},
      {"no sound card", thenCall([&] {
         setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
         lib_.SetOutputDevice(0, "");
         play();
       }),
       kOutputFailure, kModeStopped},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    lib_.Close();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    c.call();
    EXPECT_EQ(lib_.LastError(), c.error);
    EXPECT_EQ(lib_.GetPlayerMode(), c.mode);
    if (c.mode == kModeClosed) {
      EXPECT_EQ(lib_.GetLength(), 0);
    }
    EXPECT_FALSE(flagSet());
  }
}

}  // namespace
