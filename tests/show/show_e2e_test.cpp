// The packaged program under a virtual X server of its own: the show covers
// the screen with its pictures in order, ignores the input its settings do
// not watch, ends on the input they do with exit code 0 and an empty work
// folder, stays when the platform's password check refuses, shows the window
// behind where transparent mode keys a picture out, and plays its music.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640, kHeight = 480;
constexpr Rgb kFirst{200, 30, 40}, kSecond{20, 90, 220};
constexpr Rgb kBlue{0, 0, 255}, kRed{255, 0, 0}, kBlack{0, 0, 0};

struct ShowCase {
  const char *name;
  const char *setLines = "";
  const char *ignored = "";         // xdotool input between the pictures that must not end the show
  const char *ending = "key a";     // xdotool input that ends it
  bool refusedOnce = false;         // the platform's password check refuses the first exit
  const char *music = "";           // "wav" or "mp3": a tone plays as the show's music
  Rgb one = kFirst, two = kSecond;  // the pictures, 800 x 600 unless `screenSized`
  Rgb later = kSecond;              // what the screen shows for the second one
  bool screenSized = false;
};
void PrintTo(const ShowCase &c, std::ostream *os) {
  *os << c.name;
}

// The loudest sample of a raw signed 16-bit file.
int peakOf(const std::string &raw) {
  int peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2)
    peak = std::max(
        peak,
        std::abs(int(int16_t(uint16_t(uint8_t(raw[i])) | uint16_t(uint8_t(raw[i + 1])) << 8))));
  return peak;
}

class ShowE2E : public ::testing::TestWithParam<ShowCase> {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(
      dir / "xvfb.log", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", 90);
  PackagedSaver saver{dir, x->display()};

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }

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

TEST_P(ShowE2E, ShowsBothPicturesAndEndsOnlyOnTheWatchedInput) {
  const ShowCase &c = GetParam();
  const int w = c.screenSized ? kWidth : 800, h = c.screenSized ? kHeight : 600;
  writeFile(dir / "one.bmp", solidBmp(w, h, c.one));
  writeFile(dir / "two.bmp", solidBmp(w, h, c.two));
  std::vector<std::string> items = {dir / "one.bmp", dir / "two.bmp"};
  std::string sections = "[Pictures]\r\none.bmp=1\r\ntwo.bmp=1\r\n";
  std::vector<std::string> env = {"VANTOR_TEST_PASSWORD_LOG=" + dir / "password.log"};
  const std::string heard = dir / "heard.raw";
  if (*c.music) {
    // A 30 s tone at half of full scale, heard through SDL's disk driver. An
    // MP3 track is played by the MPEG library that comes with the package:
    // the package lives away from the build, so the library beside the
    // packer's program is not beside it.
    const std::string wav = dir / "tone.wav", track = dir / ("tone." + std::string(c.music));
    const std::string rate = track == wav ? "22050" : "44100";
    ASSERT_EQ(run("sox -n -r " + rate + " -c 1 -b 16 '" + wav + "' synth 30 sine 440 vol 0.5"), 0);
    if (track != wav) {
      ASSERT_EQ(run("lame --quiet '" + wav + "' '" + track + "'"), 0);
    }
    items.push_back(track);
    sections += "[Music]\r\ntone." + std::string(c.music) + "=1\r\n";
    env.insert(env.end(), {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + heard});
  }
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
    env.insert(env.end(), {"VANTOR_TEST_PASSWORD_ANSWERS=0,1", "LD_LIBRARY_PATH=" + system});
  }
  ASSERT_TRUE(
      saver.pack("[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\nPlayMusic=" +
                     std::string(*c.music ? "1" : "0") + "\r\n" + c.setLines + sections,
                 items));
  saver.start({"/s"}, env);

  ASSERT_TRUE(waitForScreen(c.one)) << "the first picture never covered the screen";
  if (*c.music) {
    EXPECT_TRUE(waitUntil([&] { return peakOf(readFile(heard)) >= 8000; }, 15s))
        << "no sound reached the audio output";
  }
  if (*c.ignored) xdotool(c.ignored);
  if (c.refusedOnce) {
    EXPECT_TRUE(waitUntil([&] { return passwordCalls() == 1; }, 20s));
  }
  // The input reached the show before its next picture was due; still running
  // and over everything, the whole screen shows the slideshow.
  EXPECT_TRUE(waitForScreen(c.later)) << "the second picture never covered the screen";
  xdotool(c.ending);
  // Any sound ends with the program, whose exit code says it closed cleanly.
  EXPECT_EQ(saver.waitForExit(), 0);
  EXPECT_EQ(passwordCalls(), c.refusedOnce ? 2 : 0);
  // A library served this run only: nothing is left where a later run looks
  // for code, and the work folder is emptied.
  EXPECT_FALSE(exists(dir / "data/vantor/system/libmpegdll.so"));
  EXPECT_TRUE(saver.workFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ShowE2E,
    ::testing::Values(ShowCase{.name = "KeyEndsTheShow"},
                      ShowCase{.name = "ClickWithoutMousePressIsIgnored",
                               .setLines = "MousePress=0\r\nKeyboardPress=1\r\n",
                               .ignored = "mousemove 100 100 click 1 click 3",
                               .ending = "key Escape"},
                      ShowCase{.name = "KeyWithoutKeyboardPressIsIgnored",
                               .setLines = "MousePress=1\r\nKeyboardPress=0\r\n",
                               .ignored = "key a",
                               .ending = "mousemove 50 50 click 1"},
                      ShowCase{.name = "RefusedPasswordKeepsTheShowOnTop",
                               .ignored = "key a",
                               .refusedOnce = true},
                      ShowCase{.name = "WavMusicPlays", .music = "wav"},
                      ShowCase{.name = "Mp3MusicPlaysFromThePackagesOwnLibrary", .music = "mp3"},
                      // Red (255 as a colour value) is keyed out: the screen shows the
                      // show's black window, not the picture that was there before.
                      ShowCase{.name = "TransparentColourShowsTheWindowBehind",
                               .setLines = "TransparentMode=1\r\nTransparentModeColor=255\r\n",
                               .one = kBlue,
                               .two = kRed,
                               .later = kBlack,
                               .screenSized = true}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor::test
