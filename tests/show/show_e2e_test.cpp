// The packaged program under a virtual X server of its own: the show covers
// the screen with its pictures in order, ends on the configured input with
// exit code 0 and an empty work folder, and stays when the platform's
// password check refuses.

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

class ShowE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(
      dir / "xvfb.log", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", 90);
  PackagedSaver saver{dir, x->display()};

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }

  // Packs two colour pictures (and a music track when given) with the given
  // [Set] lines and starts the show.
  void start(const std::string &setLines, const std::vector<std::string> &extraEnv = {},
             const std::string &music = "") {
    writeFile(dir / "one.bmp", solidBmp(800, 600, kFirst));
    writeFile(dir / "two.bmp", solidBmp(800, 600, kSecond));
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

  bool finished() { return saver.finished(); }
  int waitForExit() { return saver.waitForExit(); }
  // Whether the whole screen came to show `c` while the show ran.
  bool waitForScreen(Rgb c) {
    bool shown = false;
    waitUntil(
        [&] {
          shown = allOf(grabRgb(x->display()), size_t(kWidth) * kHeight, c);
          return shown || finished();
        },
        20s);
    return shown;
  }
  void xdotool(const std::string &args) {
    ASSERT_EQ(run("DISPLAY=" + x->display() + " xdotool " + args), 0);
  }
  bool workFolderEmpty() const { return saver.workFolderEmpty(); }
  int passwordCalls() const {
    const std::string log = readFile(dir / "password.log");
    return int(std::count(log.begin(), log.end(), '\n'));
  }
};

TEST_F(ShowE2E, ShowsBothPicturesFullScreenAndEndsOnAKey) {
  start("");
  ASSERT_TRUE(waitForScreen(kFirst)) << "first picture never covered the screen";
  ASSERT_TRUE(waitForScreen(kSecond)) << "second picture never covered the screen";
  xdotool("key a");
  EXPECT_EQ(waitForExit(), 0);
  EXPECT_TRUE(workFolderEmpty());
}

TEST_F(ShowE2E, ClickDoesNotEndTheShowWithoutMousePress) {
  start("MousePress=0\r\nKeyboardPress=1\r\n");
  ASSERT_TRUE(waitForScreen(kFirst));
  xdotool("mousemove 100 100 click 1");
  xdotool("click 3");
  // The clicks reach the show before its next picture is due.
  EXPECT_TRUE(waitForScreen(kSecond)) << "the show ended on a click";
  xdotool("key Escape");
  EXPECT_EQ(waitForExit(), 0);
}

TEST_F(ShowE2E, ClickEndsTheShowWithMousePress) {
  start("MousePress=1\r\nKeyboardPress=0\r\n");
  ASSERT_TRUE(waitForScreen(kFirst));
  xdotool("key a");
  EXPECT_TRUE(waitForScreen(kSecond)) << "the show ended on a key";
  xdotool("mousemove 50 50 click 1");
  EXPECT_EQ(waitForExit(), 0);
  EXPECT_TRUE(workFolderEmpty());
}

TEST_F(ShowE2E, RefusedPasswordKeepsTheShowRunningOnTop) {
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
  start("", {"VANTOR_TEST_PASSWORD_ANSWERS=0,1", "LD_LIBRARY_PATH=" + system});
  ASSERT_TRUE(waitForScreen(kFirst));
  xdotool("key a");
  EXPECT_TRUE(waitUntil([&] { return passwordCalls() == 1; }, 20s));
  // Still running and over everything: the whole screen shows the slideshow.
  EXPECT_TRUE(waitForScreen(kSecond));
  xdotool("key a");
  EXPECT_EQ(waitForExit(), 0);
  EXPECT_EQ(passwordCalls(), 2);
  EXPECT_TRUE(workFolderEmpty());
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

// A 30 s tone at half of full scale, as a WAV file.
void writeTone(const std::string &wav, int rate) {
  ASSERT_EQ(run("sox -n -r " + std::to_string(rate) + " -c 1 -b 16 '" + wav +
                "' synth 30 sine 440 vol 0.5"),
            0);
}

// The show with a music track, its sound output going to the file `heard`
// through SDL's disk driver.
class MusicE2E : public ShowE2E {
 protected:
  const std::string heard = dir / "heard.raw";

  void startWithMusic(const std::string &track) {
    start("", {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + heard}, track);
    ASSERT_TRUE(waitForScreen(kFirst));
  }
  bool toneHeard() {
    return waitUntil([&] { return peakOf(readFile(heard)) >= 8000; }, 15s);
  }
};

TEST_F(MusicE2E, MusicPlaysWhileTheShowRunsAndStopsWhenItCloses) {
  const std::string wav = dir / "tone.wav";
  writeTone(wav, 22050);
  startWithMusic(wav);
  EXPECT_TRUE(toneHeard()) << "no sound reached the audio output";
  xdotool("key a");
  // The sound ends with the program, whose exit code says it closed cleanly.
  EXPECT_EQ(waitForExit(), 0);
  EXPECT_TRUE(workFolderEmpty());
}

// The package lives away from the build, so the MPEG library beside the
// packer's program is not beside the package: it comes with the package.
TEST_F(MusicE2E, Mp3MusicPlaysFromThePackagesOwnMpegLibrary) {
  const std::string wav = dir / "tone.wav", mp3 = dir / "tone.mp3";
  writeTone(wav, 44100);
  ASSERT_EQ(run("lame --quiet '" + wav + "' '" + mp3 + "'"), 0);
  startWithMusic(mp3);
  EXPECT_TRUE(toneHeard()) << "the MP3 track was not heard";
  xdotool("key a");
  EXPECT_EQ(waitForExit(), 0);
  // The library served this run only: nothing is left where a later run
  // looks for code, and the work folder is emptied.
  EXPECT_FALSE(exists(dir / "data/vantor/system/libmpegdll.so"));
  EXPECT_TRUE(workFolderEmpty());
}

}  // namespace
}  // namespace vantor::test
