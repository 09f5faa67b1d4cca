// The packaged program as the desktop's miniature under a virtual X server of
// its own: a helper program owns a small window and passes its id with
// /p, the way the desktop's settings do. The preview draws inside it, and
// ends with an empty work folder once the window is gone.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <string>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

// Hosts on Linux come in any size, not only the 152 x 112 of the original
// miniature.
constexpr int kParentWidth = 200, kParentHeight = 150;

constexpr Rgb kRed{200, 30, 40};
constexpr Rgb kGreen{30, 180, 60};

class PreviewE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log", "640x480x24", 140);
  PackagedSaver preview{dir, x->display()};
  pid_t host = -1;
  std::string window;

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }
  void TearDown() override {
    if (host > 0) closeHost();
  }

  // Packs a red slideshow picture and a green still with the [Set] lines,
  // opens the desktop's stand-in window and starts the preview in it.
  void start(const std::string &setLines) {
    writeFile(dir / "red.bmp", solidBmp(800, 600, kRed));
    writeFile(dir / "green.bmp", solidBmp(400, 300, kGreen));
    ASSERT_TRUE(preview.pack(
        "[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\nPlayMusic=0\r\n" +
            setLines + "[Pictures]\r\nred.bmp=1\r\n",
        {dir / "red.bmp", dir / "green.bmp"}));
    host = spawn({HOST_WINDOW, std::to_string(kParentWidth), std::to_string(kParentHeight)},
                 preview.env(), &window);
    ASSERT_FALSE(window.empty()) << "the host window did not open";
    preview.start({"/p", window});
  }

  bool waitForWindow(Rgb c) {
    return waitUntil(
        [&] {
          return allOf(grabRgb(x->display(), window), size_t(kParentWidth) * kParentHeight, c);
        },
        20s);
  }
  // The preview's exit status, or -1 while it still runs after `limit`.
  int waitForPreview(std::chrono::milliseconds limit) { return preview.waitForExit(limit); }
  // The desktop closes its settings: the window goes with its owner.
  void closeHost() {
    kill(host, SIGTERM);
    waitpid(host, nullptr, 0);
    host = -1;
  }
  bool workFolderEmpty() const { return preview.workFolderEmpty(); }
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
