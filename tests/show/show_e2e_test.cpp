// The packaged program under a virtual X server of its own: the show covers
// the screen with its pictures in order, ignores the input its settings do
// not watch, ends on the input they do with exit code 0 and an empty work
// folder, stays when the platform's password check refuses, shows the window
// behind where transparent mode keys a picture out, and plays its music.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640, kHeight = 480;

constexpr Rgb kFirst{200, 30, 40};
constexpr Rgb kSecond{20, 90, 220};
constexpr Rgb kBlue{0, 0, 255}, kRed{255, 0, 0}, kBlack{0, 0, 0};

class ShowE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(
      dir / "xvfb.log", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", 90);
  PackagedSaver saver{dir, x->display()};

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }

  // Packs two pictures of the given colours and size (and a music track when
  // given) with the given [Set] lines and starts the show.
  void start(const std::string &setLines, const std::vector<std::string> &extraEnv = {},
             const std::string &music = "", Rgb one = kFirst, Rgb two = kSecond, int width = 800,
             int height = 600) {
    writeFile(dir / "one.bmp", solidBmp(width, height, one));
    writeFile(dir / "two.bmp", solidBmp(width, height, two));
    std::vector<std::string> items = {dir / "one.bmp", dir / "two.bmp"};
    std::string sections = "[Pictures]\r\none.bmp=1\r\ntwo.bmp=1\r\n";
    if (!music.empty()) {
      items.push_back(music);
      sections += "[Music]\r\n" + std::string(std::filesystem::path(music).filename()) + "=1\r\n";
    }
    ASSERT_TRUE(
        saver.pack("[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\n"
                   "PlayMusic=" +
                       std::string(music.empty() ? "0" : "1") + "\r\n" + setLines + sections,
                   items));
    std::vector<std::string> env = {"VANTOR_TEST_PASSWORD_LOG=" + dir / "password.log"};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    saver.start({"/s"}, env);
  }

  // Whether the whole screen came to show `c` while the show ran.
  bool waitForScreen(Rgb c) {
    bool shown = false;
    waitUntil(
        [&] {
          shown = allOf(grabRgb(x->display()), size_t(kWidth) * kHeight, c);
          return shown || saver.finished();
        },
        20s);
    return shown;
  }
  void xdotool(const std::string &args) {
    ASSERT_EQ(run("DISPLAY=" + x->display() + " xdotool " + args), 0) << args;
  }
  int passwordCalls() const {
    const std::string log = readFile(dir / "password.log");
    return int(std::count(log.begin(), log.end(), '\n'));
  }
};

struct InputCase {
  const char *name;
  const char *setLines;
  Rgb one, two;      // the pictures, each as large as the screen when `screenSized`
  Rgb first, later;  // what the whole screen shows for each of them
  bool screenSized;
  const char *ignored;  // xdotool input between the pictures that must not end the show
  const char *ending;   // xdotool input that ends it
  bool refusedOnce;     // the platform's password check refuses the first exit
};

class ShowInput : public ShowE2E, public ::testing::WithParamInterface<InputCase> {};

TEST_P(ShowInput, ShowsBothPicturesAndEndsOnlyOnTheWatchedInput) {
  const InputCase &c = GetParam();
  std::vector<std::string> env;
  if (c.refusedOnce) {
    // The platform's library, found by the loader's search of the system's
    // library paths.
    const std::string system = dir / "lib/";
    std::filesystem::create_directories(system);
    std::filesystem::copy_file(
        std::string(VANTOR_BINARY_DIR) + "/tests/show/libraries/libtest_verify.so",
        system + "libpassword.so");
    writeFile(dir / "config/vantor/user.reg",
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\desktop]\r\n"
              "\"ScreenSaveUsePassword\"=dword:00000001\r\n\r\n");
    env = {"VANTOR_TEST_PASSWORD_ANSWERS=0,1", "LD_LIBRARY_PATH=" + system};
  }
  start(c.setLines, env, "", c.one, c.two, c.screenSized ? kWidth : 800,
        c.screenSized ? kHeight : 600);
  ASSERT_TRUE(waitForScreen(c.first)) << "the first picture never covered the screen";
  if (*c.ignored) xdotool(c.ignored);
  if (c.refusedOnce) EXPECT_TRUE(waitUntil([&] { return passwordCalls() == 1; }, 20s));
  // The input reached the show before its next picture was due; still running
  // and over everything, the whole screen shows the slideshow.
  EXPECT_TRUE(waitForScreen(c.later)) << "the second picture never covered the screen";
  xdotool(c.ending);
  EXPECT_EQ(saver.waitForExit(), 0);
  EXPECT_EQ(passwordCalls(), c.refusedOnce ? 2 : 0);
  EXPECT_TRUE(saver.workFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ShowInput,
    ::testing::Values(InputCase{"KeyEndsTheShow", "", kFirst, kSecond, kFirst, kSecond, false, "",
                                "key a", false},
                      InputCase{"ClickWithoutMousePressIsIgnored",
                                "MousePress=0\r\nKeyboardPress=1\r\n", kFirst, kSecond, kFirst,
                                kSecond, false, "mousemove 100 100 click 1 click 3", "key Escape",
                                false},
                      InputCase{"KeyWithoutKeyboardPressIsIgnored",
                                "MousePress=1\r\nKeyboardPress=0\r\n", kFirst, kSecond, kFirst,
                                kSecond, false, "key a", "mousemove 50 50 click 1", false},
                      InputCase{"RefusedPasswordKeepsTheShowOnTop", "", kFirst, kSecond, kFirst,
                                kSecond, false, "key a", "key a", true},
                      // Red (255 as a colour value) is keyed out: the screen shows the
                      // show's black window, not the picture that was there before.
                      InputCase{"TransparentColourShowsTheWindowBehind",
                                "TransparentMode=1\r\nTransparentModeColor=255\r\n", kBlue, kRed,
                                kBlue, kBlack, true, "", "key Escape", false}),
    [](const auto &info) { return std::string(info.param.name); });

// The loudest sample of a raw signed 16-bit file.
int peakOf(const std::string &raw) {
  int peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2)
    peak = std::max(
        peak,
        std::abs(int(int16_t(uint16_t(uint8_t(raw[i])) | uint16_t(uint8_t(raw[i + 1])) << 8))));
  return peak;
}

// The show with a 30 s tone at half of full scale as its music, its sound
// output going to a file through SDL's disk driver. An MP3 track is played by
// the MPEG library that comes with the package: the package lives away from
// the build, so the library beside the packer's program is not beside it.
class MusicE2E : public ShowE2E, public ::testing::WithParamInterface<bool> {};

TEST_P(MusicE2E, MusicPlaysWhileTheShowRunsAndStopsWhenItCloses) {
  const bool mp3 = GetParam();
  const std::string wav = dir / "tone.wav", track = mp3 ? dir / "tone.mp3" : wav;
  const std::string heard = dir / "heard.raw";
  ASSERT_EQ(run("sox -n -r " + std::string(mp3 ? "44100" : "22050") + " -c 1 -b 16 '" + wav +
                "' synth 30 sine 440 vol 0.5"),
            0);
  if (mp3) ASSERT_EQ(run("lame --quiet '" + wav + "' '" + track + "'"), 0);
  start("", {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + heard}, track);
  ASSERT_TRUE(waitForScreen(kFirst));
  EXPECT_TRUE(waitUntil([&] { return peakOf(readFile(heard)) >= 8000; }, 15s))
      << "no sound reached the audio output";
  xdotool("key a");
  // The sound ends with the program, whose exit code says it closed cleanly.
  EXPECT_EQ(saver.waitForExit(), 0);
  // The library served this run only: nothing is left where a later run
  // looks for code, and the work folder is emptied.
  EXPECT_FALSE(exists(dir / "data/vantor/system/libmpegdll.so"));
  EXPECT_TRUE(saver.workFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(Tracks, MusicE2E, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Mp3" : "Wav"; });

}  // namespace
}  // namespace vantor::test
