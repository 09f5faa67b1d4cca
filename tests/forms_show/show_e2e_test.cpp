// The packaged program under a virtual X server of its own: the show covers
// the screen with its pictures in order, ends on the configured input with
// exit code 0 and an empty work folder, and stays when the platform's
// password check refuses.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "../common/test_util.h"
#include "../common/x_server.h"

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
  pid_t show = -1;

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }
  void TearDown() override {
    if (show > 0 && !finished()) {
      kill(show, SIGKILL);
      waitpid(show, nullptr, 0);
    }
  }

  std::string runFolder() const { return dir / "run"; }

  // Packs two colour pictures (and a music track when given) with the given
  // [Set] lines and starts the show.
  void start(const std::string &setLines, const std::vector<std::string> &extraEnv = {},
             const std::string &music = "") {
    writeFile(dir / "one.bmp", solidBmp(800, 600, kFirst));
    writeFile(dir / "two.bmp", solidBmp(800, 600, kSecond));
    std::string items = dir / "one.bmp" + " " + dir / "two.bmp";
    std::string sections = "[Pictures]\r\none.bmp=1\r\ntwo.bmp=1\r\n";
    if (!music.empty()) {
      items += " " + music;
      sections += "[Music]\r\n" + std::string(std::filesystem::path(music).filename()) + "=1\r\n";
    }
    writeFile(dir / "show.ini",
              "[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\n"
              "PlayMusic=" +
                  std::string(music.empty() ? "0" : "1") + "\r\n" + setLines + sections);
    const std::string program = dir / "show.scr";
    ASSERT_EQ(run(binDir() + "vantor-pack --program " + binDir() + "vantor-saver --settings " +
                  dir / "show.ini" + " --out " + program + " " + items),
              0);
    chmod(program.c_str(), 0755);
    std::filesystem::create_directories(runFolder());
    chmod(runFolder().c_str(), 0700);
    env = {"DISPLAY=" + x->display(),
           "XDG_RUNTIME_DIR=" + runFolder(),
           "XDG_CONFIG_HOME=" + dir / "config",
           "XDG_DATA_HOME=" + dir / "data",
           "QT_QPA_PLATFORM=xcb",
           "VANTOR_TEST_PASSWORD_LOG=" + dir / "password.log"};
    // In the sanitizer build: what outside libraries keep until the end is
    // not ours to report.
    env.push_back("LSAN_OPTIONS=suppressions=" + std::string(VANTOR_SOURCE_DIR) +
                  "/tests/forms_show/outside_leaks.supp");
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    show = spawn({program, "/s"}, env);
  }

  bool finished() {
    if (exitStatus_ >= 0) return true;
    int status = 0;
    if (waitpid(show, &status, WNOHANG) != show) return false;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }
  int waitForExit(std::chrono::seconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!finished() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(50ms);
    return exitStatus_;
  }

  // The whole screen as RGB bytes.
  std::string screenshot() {
    std::string rgb;
    run("DISPLAY=" + x->display() + " import -window root -depth 8 rgb:- 2>/dev/null", &rgb);
    return rgb;
  }
  static bool allOf(const std::string &rgb, Rgb c) {
    if (rgb.size() != size_t(kWidth) * kHeight * 3) return false;
    auto near = [](unsigned char v, int want) { return std::abs(int(v) - want) <= 2; };
    for (size_t i = 0; i < rgb.size(); i += 3)
      if (!near(rgb[i], c.r) || !near(rgb[i + 1], c.g) || !near(rgb[i + 2], c.b)) return false;
    return true;
  }
  bool waitForScreen(Rgb c, std::chrono::seconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end && !finished())
      if (allOf(screenshot(), c)) return true;
    return false;
  }
  void xdotool(const std::string &args) {
    ASSERT_EQ(run("DISPLAY=" + x->display() + " xdotool " + args), 0);
  }
  bool workFolderEmpty() const {
    std::error_code ec;
    for (auto &e : std::filesystem::recursive_directory_iterator(runFolder() + "/Vantor", ec))
      if (!e.is_directory()) return false;
    return true;
  }
  int passwordCalls() const {
    const std::string log = readFile(dir / "password.log");
    return int(std::count(log.begin(), log.end(), '\n'));
  }
  // A moment in which a wrong exit would have happened.
  void settle() { std::this_thread::sleep_for(1500ms); }

  std::vector<std::string> env;

 private:
  int exitStatus_ = -1;
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
  settle();
  EXPECT_FALSE(finished());
  xdotool("key Escape");
  EXPECT_EQ(waitForExit(), 0);
}

TEST_F(ShowE2E, ClickEndsTheShowWithMousePress) {
  start("MousePress=1\r\nKeyboardPress=0\r\n");
  ASSERT_TRUE(waitForScreen(kFirst));
  xdotool("key a");
  settle();
  EXPECT_FALSE(finished());
  xdotool("mousemove 50 50 click 1");
  EXPECT_EQ(waitForExit(), 0);
  EXPECT_TRUE(workFolderEmpty());
}

TEST_F(ShowE2E, RefusedPasswordKeepsTheShowRunningOnTop) {
  const std::string system = dir / "data/vantor/system/";
  std::filesystem::create_directories(system);
  std::filesystem::copy_file(
      std::string(VANTOR_BINARY_DIR) + "/tests/forms_show/libraries/libtest_verify.so",
      system + "libpassword.so");
  writeFile(dir / "config/vantor/user.reg",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\desktop]\r\n"
            "\"ScreenSaveUsePassword\"=dword:00000001\r\n\r\n");
  start("", {"VANTOR_TEST_PASSWORD_ANSWERS=0,1"});
  ASSERT_TRUE(waitForScreen(kFirst));
  xdotool("key a");
  settle();
  EXPECT_EQ(passwordCalls(), 1);
  EXPECT_FALSE(finished());
  // Still over everything: the whole screen shows the slideshow.
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

TEST_F(ShowE2E, MusicPlaysWhileTheShowRunsAndStopsWhenItCloses) {
  const std::string wav = dir / "tone.wav";
  ASSERT_EQ(run("sox -n -r 22050 -c 1 -b 16 '" + wav + "' synth 30 sine 440 vol 0.5"), 0);
  const std::string heard = dir / "heard.raw";
  start("", {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + heard}, wav);
  ASSERT_TRUE(waitForScreen(kFirst));
  const auto end = std::chrono::steady_clock::now() + 15s;
  while (peakOf(readFile(heard)) < 8000 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(100ms);
  EXPECT_GE(peakOf(readFile(heard)), 8000) << "no sound reached the audio output";
  xdotool("key a");
  EXPECT_EQ(waitForExit(), 0);
  const size_t atClose = readFile(heard).size();
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(readFile(heard).size(), atClose);
  EXPECT_TRUE(workFolderEmpty());
}

}  // namespace
}  // namespace vantor::test
