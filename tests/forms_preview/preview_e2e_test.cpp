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
#include "../common/x_server.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kParentWidth = 152, kParentHeight = 112;

constexpr Rgb kRed{200, 30, 40};
constexpr Rgb kGreen{30, 180, 60};

class PreviewE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log", "640x480x24", 140);
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
