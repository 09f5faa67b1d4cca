// The packaged program full screen on a desk of two monitors side by side,
// under an X server of its own (Xorg's dummy driver, whose one output is
// split into two monitors): either the show runs on the first monitor and
// the second mirrors it, or one window spans both. Input over the mirror
// ends the show like input over the show itself.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kDeskWidth = 1600, kDeskHeight = 768, kMonitorWidth = kDeskWidth / 2;

constexpr Rgb kRed{200, 30, 40};
constexpr Rgb kBlue{20, 90, 220};

// A picture whose left half is `left` and right half `right`: a mirror that
// copied it turned or shifted would not show the same bands.
std::string bandsBmp(int w, int h, Rgb left, Rgb right) {
  return bmp(w, h, [=](int x, int) { return x < w / 2 ? left : right; });
}

// Whether the desk, cut into equal vertical bands, shows band i all in
// colours[i].
bool deskShows(const std::string &rgb, const std::vector<Rgb> &colours) {
  if (rgb.size() != size_t(kDeskWidth) * kDeskHeight * 3) return false;
  const int band = kDeskWidth / int(colours.size());
  for (int y = 0; y < kDeskHeight; ++y)
    for (int x = 0; x < kDeskWidth; ++x)
      if (!nearColour(&rgb[(size_t(y) * kDeskWidth + size_t(x)) * 3], colours[size_t(x / band)]))
        return false;
  return true;
}

class TwoMonitorsE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x;
  std::unique_ptr<PackagedSaver> saver;

  void SetUp() override {
    // Xorg refuses to start for a user who is not at the console.
    if (geteuid() != 0) GTEST_SKIP() << "Xorg with the dummy driver needs root";
    x = XServer::twoMonitors(dir.path() + "xorg", kDeskWidth, kDeskHeight, 210);
    ASSERT_FALSE(x->display().empty()) << "Xorg did not start; see " << dir.path() << "xorg";
    saver = std::make_unique<PackagedSaver>(dir, x->display());
  }
  void TearDown() override { saver.reset(); }

  // Packs a red and blue picture, `pictureWidth` wide, then a blue and red
  // one, shown in turn, with the [Set] lines; puts the pointer over the
  // second monitor and starts the show.
  void start(int pictureWidth, const std::string &setLines) {
    writeFile(dir / "one.bmp", bandsBmp(pictureWidth, kDeskHeight, kRed, kBlue));
    writeFile(dir / "two.bmp", bandsBmp(pictureWidth, kDeskHeight, kBlue, kRed));
    ASSERT_TRUE(
        saver->pack("[Set]\r\nImageInterval=3\r\nImageSequence=0\r\nuseeffects=0,\r\n"
                    "PlayMusic=0\r\n" +
                        setLines + "[Pictures]\r\none.bmp=1\r\ntwo.bmp=1\r\n",
                    {dir / "one.bmp", dir / "two.bmp"}));
    // Placed before the show starts, so that no movement counts as input.
    xdotool("mousemove " + std::to_string(kMonitorWidth * 3 / 2) + " " +
            std::to_string(kDeskHeight / 2));
    saver->start({"/s"});
  }

  // The program's visible windows, once there are `count` of them.
  std::vector<std::string> windowsOnceThereAre(size_t count) {
    std::vector<std::string> windows;
    waitUntil(
        [&] {
          windows = saver->visibleWindows();
          return windows.size() == count;
        },
        20s);
    return windows;
  }
  std::vector<std::string> geometries(const std::vector<std::string> &windows) const {
    std::vector<std::string> g;
    for (const std::string &w : windows) g.push_back(saver->geometryOf(w));
    std::sort(g.begin(), g.end());
    return g;
  }
  std::string windowAt(const std::vector<std::string> &windows, const std::string &geometry) {
    for (const std::string &w : windows)
      if (saver->geometryOf(w) == geometry) return w;
    return {};
  }
  bool waitForDesk(const std::vector<Rgb> &colours) {
    return waitUntil([&] { return deskShows(grabRgb(x->display()), colours); }, 20s);
  }
  void xdotool(const std::string &args) {
    ASSERT_EQ(run("DISPLAY=" + x->display() + " xdotool " + args), 0) << args;
  }
};

const std::string kFirstMonitor = "0 0 800 768";
const std::string kSecondMonitor = "800 0 800 768";

TEST_F(TwoMonitorsE2E, SecondMonitorMirrorsTheFirstAndAKeyOverTheMirrorEndsTheShow) {
  start(kMonitorWidth, "ImageSameMonitor=1\r\n");
  const std::vector<std::string> windows = windowsOnceThereAre(2);
  ASSERT_EQ(geometries(windows), (std::vector<std::string>{kFirstMonitor, kSecondMonitor}));
  EXPECT_TRUE(waitForDesk({kRed, kBlue, kRed, kBlue}))
      << "the second monitor never showed the first monitor's picture";
  EXPECT_TRUE(waitForDesk({kBlue, kRed, kBlue, kRed})) << "the mirror did not follow the show";

  const std::string mirror = windowAt(windows, kSecondMonitor);
  xdotool("windowfocus --sync " + mirror);
  xdotool("key a");
  EXPECT_EQ(saver->waitForExit(), 0);
  EXPECT_TRUE(saver->workFolderEmpty());
}

TEST_F(TwoMonitorsE2E, ClickOverTheMirrorEndsTheShowWithMousePress) {
  start(kMonitorWidth, "ImageSameMonitor=1\r\nMousePress=1\r\n");
  ASSERT_EQ(windowsOnceThereAre(2).size(), 2u);
  ASSERT_TRUE(waitForDesk({kRed, kBlue, kRed, kBlue}));
  xdotool("click 1");
  EXPECT_EQ(saver->waitForExit(), 0);
  EXPECT_TRUE(saver->workFolderEmpty());
}

TEST_F(TwoMonitorsE2E, WithoutImageSameMonitorOneWindowSpansBothMonitors) {
  start(kDeskWidth, "ImageSameMonitor=0\r\n");
  const std::vector<std::string> windows = windowsOnceThereAre(1);
  ASSERT_EQ(geometries(windows), (std::vector<std::string>{"0 0 1600 768"}));
  EXPECT_TRUE(waitForDesk({kRed, kBlue})) << "the picture never spanned the desk";
  xdotool("key a");
  EXPECT_EQ(saver->waitForExit(), 0);
  EXPECT_TRUE(saver->workFolderEmpty());
}

}  // namespace
}  // namespace vantor::test
