// The packaged program as the desktop's miniature under a virtual X server of
// its own: a helper program owns a 152 x 112 window and passes its id with
// /p, the way the desktop's settings do. The preview draws inside it, and
// ends with an empty work folder once the window is gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
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

constexpr int kParentWidth = 152, kParentHeight = 112;

struct Rgb {
  int r, g, b;
};
constexpr Rgb kRed{200, 30, 40};
constexpr Rgb kGreen{30, 180, 60};

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

// Starts argv with env added; with `firstLine` set, waits for the first line
// of its standard output.
pid_t spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env,
            std::string *firstLine = nullptr) {
  int out[2] = {-1, -1};
  if (firstLine && pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    for (const std::string &e : env) putenv(const_cast<char *>(e.c_str()));
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(firstLine ? out[1] : null, 1);
    if (!std::getenv("VANTOR_E2E_VERBOSE")) dup2(null, 2);
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (firstLine) {
    close(out[1]);
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') firstLine->push_back(c);
    close(out[0]);
  }
  return pid;
}

// Xvfb on the first display number that no server holds.
class XServer {
 public:
  explicit XServer(const std::string &log) {
    for (int n = 140 + int(getpid() % 50); n < 500 && display_.empty(); n += 7) {
      const std::string number = std::to_string(n);
      if (exists("/tmp/.X" + number + "-lock") || exists("/tmp/.X11-unix/X" + number)) continue;
      if (startOn(":" + number, log)) display_ = ":" + number;
    }
  }
  ~XServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  const std::string &display() const { return display_; }

 private:
  bool startOn(const std::string &display, const std::string &log) {
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(out, 2);
      execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
             "-noreset", nullptr);
      _exit(127);
    }
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      if (run("DISPLAY=" + display + " xdotool getdisplaygeometry >/dev/null 2>&1") == 0)
        return true;
      usleep(50000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return false;
  }

  pid_t pid_ = -1;
  std::string display_;
};

class PreviewE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log");
  pid_t host = -1, preview = -1;
  std::string window;

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }
  void TearDown() override {
    for (pid_t p : {preview, host})
      if (p > 0 && waitpid(p, nullptr, WNOHANG) == 0) {
        kill(p, SIGKILL);
        waitpid(p, nullptr, 0);
      }
  }

  std::string runFolder() const { return dir / "run"; }
  std::vector<std::string> env() const {
    return {"DISPLAY=" + x->display(), "XDG_RUNTIME_DIR=" + runFolder(),
            "XDG_CONFIG_HOME=" + dir / "config", "XDG_DATA_HOME=" + dir / "data",
            "QT_QPA_PLATFORM=xcb"};
  }

  // Packs a red slideshow picture and a green still with the [Set] lines,
  // opens the desktop's stand-in window and starts the preview in it.
  void start(const std::string &setLines) {
    writeFile(dir / "red.bmp", solidBmp(800, 600, kRed));
    writeFile(dir / "green.bmp", solidBmp(400, 300, kGreen));
    writeFile(dir / "show.ini",
              "[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\nPlayMusic=0\r\n" +
                  setLines + "[Pictures]\r\nred.bmp=1\r\n");
    const std::string program = dir / "show.scr";
    ASSERT_EQ(run(binDir() + "vantor-pack --program " + binDir() + "vantor-saver --settings " +
                  dir / "show.ini" + " --out " + program + " " + dir / "red.bmp" + " " +
                  dir / "green.bmp"),
              0);
    chmod(program.c_str(), 0755);
    std::filesystem::create_directories(runFolder());
    chmod(runFolder().c_str(), 0700);
    host = spawn({HOST_WINDOW, std::to_string(kParentWidth), std::to_string(kParentHeight)}, env(),
                 &window);
    ASSERT_FALSE(window.empty()) << "the host window did not open";
    preview = spawn({program, "/p", window}, env());
  }

  // The host window's pixels as RGB bytes.
  std::string windowShot() {
    std::string rgb;
    run("DISPLAY=" + x->display() + " import -window " + window + " -depth 8 rgb:- 2>/dev/null",
        &rgb);
    return rgb;
  }
  static bool allOf(const std::string &rgb, Rgb c) {
    if (rgb.size() != size_t(kParentWidth) * kParentHeight * 3) return false;
    auto near = [](unsigned char v, int want) { return std::abs(int(v) - want) <= 2; };
    for (size_t i = 0; i < rgb.size(); i += 3)
      if (!near(rgb[i], c.r) || !near(rgb[i + 1], c.g) || !near(rgb[i + 2], c.b)) return false;
    return true;
  }
  bool waitForWindow(Rgb c) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end)
      if (allOf(windowShot(), c)) return true;
    return false;
  }
  // The preview's exit status, or -1 while it still runs after `limit`.
  int waitForPreview(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    do {
      if (waitpid(preview, &status, WNOHANG) == preview) {
        preview = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < end);
    return -1;
  }
  // The desktop closes its settings: the window goes with its owner.
  void closeHost() {
    kill(host, SIGTERM);
    waitpid(host, nullptr, 0);
    host = -1;
  }
  bool workFolderEmpty() const {
    std::error_code ec;
    for (auto &e : std::filesystem::recursive_directory_iterator(runFolder() + "/Vantor", ec))
      if (!e.is_directory()) return false;
    return true;
  }
};

TEST_F(PreviewE2E, SlideshowFillsTheForeignWindowAndEndsWithIt) {
  start("");
  ASSERT_TRUE(waitForWindow(kRed)) << "the picture never filled the miniature";
  EXPECT_EQ(waitForPreview(0ms), -1) << "the preview runs while its window exists";
  closeHost();
  EXPECT_EQ(waitForPreview(2000ms), 0) << "the preview outlived its window";
  EXPECT_TRUE(workFolderEmpty());
}

TEST_F(PreviewE2E, StillPictureCoversTheWholeMiniature) {
  start("Build_UseStaticPreview=1\r\nBuild_StaticImage=green.bmp\r\n");
  // Any offset of the picture control would leave a black edge.
  ASSERT_TRUE(waitForWindow(kGreen)) << "the still picture never covered the miniature";
  closeHost();
  EXPECT_EQ(waitForPreview(2000ms), 0);
  EXPECT_TRUE(workFolderEmpty());
}

TEST_F(PreviewE2E, WindowThatIsAlreadyGoneEndsThePreviewAtOnce) {
  start("");
  closeHost();
  EXPECT_EQ(waitForPreview(2000ms), 0);
  EXPECT_TRUE(workFolderEmpty());
}

}  // namespace
}  // namespace vantor::test
