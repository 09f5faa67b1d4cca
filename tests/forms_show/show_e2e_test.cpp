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

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640, kHeight = 480;

struct Rgb {
  int r, g, b;
};
constexpr Rgb kFirst{200, 30, 40};
constexpr Rgb kSecond{20, 90, 220};

// A 24-bit BMP of one colour, larger than the screen so that it is fitted to
// the whole of it.
std::string solidBmp(int w, int h, Rgb c) {
  const int stride = (w * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(stride) * uint32_t(h);
  std::string b(size, '\0');
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, size, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, uint32_t(w), 4);
  put(22, uint32_t(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t p = 54 + size_t(y) * size_t(stride) + size_t(x) * 3;
      b[p] = char(c.b);
      b[p + 1] = char(c.g);
      b[p + 2] = char(c.r);
    }
  return b;
}

pid_t spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string &e : env) putenv(const_cast<char *>(e.c_str()));
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  if (!std::getenv("VANTOR_E2E_VERBOSE")) dup2(null, 2);
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

// Xvfb on the first display number that no server holds.
class XServer {
 public:
  explicit XServer(const std::string &log) {
    for (int n = 90 + int(getpid() % 50); n < 400 && display_.empty(); n += 7) {
      const std::string number = std::to_string(n);
      if (exists("/tmp/.X" + number + "-lock") || exists("/tmp/.X11-unix/X" + number)) continue;
      if (startOn(":" + number, log)) display_ = ":" + number;
    }
  }
  ~XServer() { stop(); }
  const std::string &display() const { return display_; }

 private:
  bool startOn(const std::string &display, const std::string &log) {
    const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(out, 2);
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             "-noreset", nullptr);
      _exit(127);
    }
    // Ready when a client gets through; a server that ends lost the number.
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      if (run("DISPLAY=" + display + " xdotool getdisplaygeometry >/dev/null 2>&1") == 0)
        return true;
      usleep(50000);
    }
    stop();
    return false;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string display_;
};

class ShowE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log");
  pid_t show = -1;

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }
  void TearDown() override {
    if (show > 0 && !finished()) {
      kill(show, SIGKILL);
      waitpid(show, nullptr, 0);
    }
  }

  std::string runFolder() const { return dir / "run"; }

  // Packs two colour pictures with the given [Set] lines and starts the show.
  void start(const std::string &setLines, const std::string &extraEnv = "") {
    writeFile(dir / "one.bmp", solidBmp(800, 600, kFirst));
    writeFile(dir / "two.bmp", solidBmp(800, 600, kSecond));
    writeFile(dir / "show.ini",
              "[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\n"
              "PlayMusic=0\r\n" +
                  setLines + "[Pictures]\r\none.bmp=1\r\ntwo.bmp=1\r\n");
    const std::string program = dir / "show.scr";
    ASSERT_EQ(
        run(binDir() + "vantor-pack --program " + binDir() + "vantor-saver --settings " +
            dir / "show.ini" + " --out " + program + " " + dir / "one.bmp" + " " + dir / "two.bmp"),
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
    if (!extraEnv.empty()) env.push_back(extraEnv);
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
  start("", "VANTOR_TEST_PASSWORD_ANSWERS=0,1");
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

}  // namespace
}  // namespace vantor::test
