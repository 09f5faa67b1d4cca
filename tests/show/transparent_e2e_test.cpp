// The packaged program with transparent mode on, under a virtual X server of
// its own: where a picture has the transparent colour, the screen shows the
// show's black window, not the picture that was there before.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 320, kHeight = 240;
constexpr Rgb kBlue{0, 0, 255}, kRed{255, 0, 0}, kBlack{0, 0, 0};

TEST(TransparentE2E, KeyedPixelsShowTheWindowBehindNotThePreviousPicture) {
  TempDir dir;
  XServer x(dir / "xvfb.log", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", 140);
  ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";
  PackagedSaver saver(dir, x.display());
  writeFile(dir / "blue.bmp", solidBmp(kWidth, kHeight, kBlue));
  writeFile(dir / "red.bmp", solidBmp(kWidth, kHeight, kRed));
  // Red (255 as a colour value) is keyed out.
  ASSERT_TRUE(
      saver.pack("[Set]\r\nImageInterval=2\r\nImageSequence=0\r\nuseeffects=0,\r\nPlayMusic=0\r\n"
                 "TransparentMode=1\r\nTransparentModeColor=255\r\n"
                 "[Pictures]\r\nblue.bmp=1\r\nred.bmp=1\r\n",
                 {dir / "blue.bmp", dir / "red.bmp"}));
  saver.start({"/s"});
  auto screenShows = [&](Rgb c) {
    return waitUntil(
               [&] {
                 return allOf(grabRgb(x.display()), size_t(kWidth) * kHeight, c) ||
                        saver.finished();
               },
               20s) &&
           !saver.finished();
  };
  ASSERT_TRUE(screenShows(kBlue)) << "the blue picture never covered the screen";
  EXPECT_TRUE(screenShows(kBlack)) << "the keyed red picture did not show the window behind";
  ASSERT_EQ(run("DISPLAY=" + x.display() + " xdotool key Escape"), 0);
  EXPECT_EQ(saver.waitForExit(), 0);
}

}  // namespace
}  // namespace vantor::test
