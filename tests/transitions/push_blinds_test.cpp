// Push, blind, shred, sweep and turning styles at the frames where their
// geometry is known exactly.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "example_frames.h"
#include "frame_checks.h"
#include "gfx/stretch.h"
#include "transitions/frame_step.h"
#include "transitions/region_styles.h"

namespace transitions {
namespace {

using namespace transitions_test;

constexpr double kPi = std::numbers::pi;

Extents at(int progress, int step = 4) {
  return extentsAt(progress, step);
}

class PushStyles : public ExampleFrame {
 protected:
  void push(int style, int progress) {
    drawOldPicture(screen, oldPicture);
    drawPushStyle(style, screen, newPicture, k1024, 4, progress, nullptr);
  }
};

TEST_F(PushStyles, PushRightAtZeroLeavesTheOldPictureAndAtTheWidthShowsTheNewOne) {
  push(128, 0);
  EXPECT_TRUE(frame_checks::equalPixels(screen, oldPicture));
  push(128, 100);
  EXPECT_TRUE(frame_checks::equalPixels(screen, newPicture));
}

TEST_F(PushStyles, PushRightAtHalfWayMovesTheOldPictureAcross) {
  push(128, 50);
  EXPECT_EQ(transitions_test::at(screen, 0, 10), newAt(512, 10));
  EXPECT_EQ(transitions_test::at(screen, 511, 10), newAt(1023, 10));
  EXPECT_EQ(transitions_test::at(screen, 512, 10), oldAt(0, 10));
  EXPECT_EQ(transitions_test::at(screen, 1023, 767), oldAt(511, 767));
}

TEST_F(PushStyles, PushUpAtHalfWayMovesTheOldPictureUp) {
  push(133, 50);
  EXPECT_EQ(transitions_test::at(screen, 7, 0), oldAt(7, 384));
  EXPECT_EQ(transitions_test::at(screen, 7, 383), oldAt(7, 767));
  EXPECT_EQ(transitions_test::at(screen, 7, 384), newAt(7, 0));
}

TEST_F(PushStyles, ReportsBothDestinations) {
  drawOldPicture(screen, oldPicture);
  DrawnRects drawn;
  drawPushStyle(129, screen, newPicture, k1024, 4, 25, &drawn);
  ASSERT_EQ(drawn.size(), 2);
  EXPECT_EQ(drawn[0], (gfx::Rect{0, 0, 768, 768}));
  EXPECT_EQ(drawn[1], (gfx::Rect{768, 0, 1024, 768}));
}

// The squeeze works in place; it must match a stretch-copy from a separate
// copy of the old picture.
TEST_F(PushStyles, SqueezeMatchesAStretchOfTheWholeOldPicture) {
  const struct {
    int style;
    bool rows, toEnd;
  } squeezes[] = {{130, false, true}, {131, false, false}, {134, true, true}, {135, true, false}};
  for (const auto &q : squeezes)
    for (int progress : {1, 10, 37, 50, 81, 99}) {
      push(q.style, progress);
      const Extents e = at(progress);
      gfx::Bitmap expected = oldPicture;
      gfx::Rect to = q.rows ? gfx::Rect{0, 0, 1024, 768 - e.Y} : gfx::Rect{0, 0, 1024 - e.X, 768};
      if (q.toEnd) to = q.rows ? to.translated(0, e.Y) : to.translated(e.X, 0);
      gfx::stretchCopy(expected, to, oldPicture, k1024);
      for (int y = to.top; y < to.bottom; ++y)
        for (int x = to.left; x < to.right; ++x)
          ASSERT_TRUE(frame_checks::samePixel(screen, expected, x, y))
              << q.style << " at " << progress << ": " << x << "," << y;
    }
}

TEST(Blinds, PitchesAreTheSidesDividedByL) {
  vantor::RandomSource random;
  // W div L = 1024 div 46 = 22; at P 50 each slat is 11 wide.
  std::vector<gfx::Rect> slats;
  for (int x = 0; x < 1024; x += 22) slats.push_back({x, 0, x + 11, 768});
  EXPECT_EQ(styleRegion(136, at(50), 50, random), gfx::Region::fromRects(slats));
  // H div L = 768 div 46 = 16, slats of 8 rows.
  slats.clear();
  for (int y = 0; y < 768; y += 16) slats.push_back({0, y, 1024, y + 8});
  EXPECT_EQ(styleRegion(137, at(50), 50, random), gfx::Region::fromRects(slats));
}

TEST(Blinds, UnevenBlindFromLeftAtHalfWayHasTwoStrips) {
  vantor::RandomSource random;
  EXPECT_EQ(styleRegion(138, at(50), 50, random),
            gfx::Region::fromRects(std::vector<gfx::Rect>{{0, 0, 256, 768}, {512, 0, 768, 768}}));
  EXPECT_EQ(styleRegion(139, at(50), 50, random),
            gfx::Region::fromRects(std::vector<gfx::Rect>{
                {768, 0, 1024, 768}, {256, 0, 512, 768}, {-256, 0, 0, 768}}));
}

TEST(Blinds, APitchOfZeroMakesOneSlatOverThePicture) {
  vantor::RandomSource random;
  // Step 100 makes L longer than the picture, so W div L is 0.
  const Extents e = EffectExtents(k1024, 100, 30);
  EXPECT_EQ(styleRegion(136, e, 30, random), gfx::Region(gfx::Rect{0, 0, 307, 768}));
  EXPECT_EQ(styleRegion(137, e, 30, random), gfx::Region(gfx::Rect{0, 0, 1024, 230}));
}

// On a picture 30 million pixels long, P times the extent no longer fits in
// an int; the slats must still open to P % of it. (Regions keep only what
// lies within 2^20 of the origin.)
TEST(Blinds, UnevenBlindsOnAVeryLongPictureOpenTheirShare) {
  vantor::RandomSource random;
  const int length = 30'000'000, P = 90;
  const int extent = 27'000'000, open = 24'300'000;  // (90 * 27 000 000) div 100
  const Extents wide = EffectExtents(gfx::Rect{0, 0, length, 3}, 4, P);
  const Extents tall = EffectExtents(gfx::Rect{0, 0, 3, length}, 4, P);
  ASSERT_EQ(wide.X, extent);
  ASSERT_EQ(tall.Y, extent);
  const int back = length - open;  // first slat of the blinds from the far end
  const struct {
    int style;
    const Extents &e;
    std::vector<gfx::Rect> slats;
  } cases[] = {
      {138, wide, {{0, 0, open, 3}, {extent, 0, extent + open, 3}}},
      {139, wide, {{back, 0, length, 3}, {back - extent, 0, length - extent, 3}}},
      {140, tall, {{0, 0, 3, open}, {0, extent, 3, extent + open}}},
      {141, tall, {{0, back, 3, length}, {0, back - extent, 3, length - extent}}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(styleRegion(c.style, c.e, P, random), gfx::Region::fromRects(c.slats)) << c.style;
}

TEST(RectangularShred, HasTwentyFourSquaredRectanglesAboutTheGridPoints) {
  vantor::RandomSource random;
  // L = 46: N = 23, cells 44 x 33; at P 50 half-sizes 11 and 8.
  const gfx::Region r = styleRegion(142, at(50), 50, random);
  EXPECT_EQ(r.area(), 576 * 22 * 16);
  std::vector<gfx::Rect> expected;
  for (int row = 0; row <= 23; ++row)
    for (int k = 0; k <= 23; ++k)
      expected.push_back({k * 44 - 11, row * 33 - 8, k * 44 + 11, row * 33 + 8});
  EXPECT_EQ(r, gfx::Region::fromRects(expected));
}

TEST(Sweep, ClockwiseAtAQuarterIsAFanOfTwentyFivePoints) {
  vantor::RandomSource random;
  std::vector<gfx::Point> fan{{512, 384}};
  for (int k = 0; k < 25; ++k) {
    const double a = -kPi / 2 + k * kPi / 50;
    fan.push_back({512 + int(std::nearbyint(640 * std::cos(a))),
                   384 + int(std::nearbyint(640 * std::sin(a)))});
  }
  EXPECT_EQ(fan[1], (gfx::Point{512, -256}));
  EXPECT_EQ(styleRegion(143, at(25), 25, random), gfx::Region::polygon(fan));
  const gfx::Region r = styleRegion(143, at(25), 25, random);
  EXPECT_TRUE(r.contains(600, 100));
  EXPECT_FALSE(r.contains(1000, 390));  // the arc stops short of three o'clock
  EXPECT_FALSE(r.contains(400, 100));   // anticlockwise of twelve
  EXPECT_TRUE(styleRegion(144, at(25), 25, random).contains(400, 100));
}

TEST(Turning, StarAtAQuarterHasTurnedAQuarterClockwise) {
  vantor::RandomSource random;
  const std::vector<gfx::Point> tip{{512 + 512, 384}};
  EXPECT_EQ(RotatePoints(tip, 512, 384, kPi / 2), (std::vector<gfx::Point>{{512, 384 + 512}}));
  const Extents e = at(25);  // X 256, Y 192
  const gfx::Region star = styleRegion(150, e, 25, random);
  EXPECT_TRUE(star.contains(512, 767));  // the right tip now points down
  EXPECT_TRUE(star.contains(890, 384));  // the top tip now points right
  EXPECT_FALSE(star.contains(1000, 384));
  EXPECT_TRUE(star.contains(140, 384));  // the bottom tip now points left
  EXPECT_FALSE(star.contains(100, 384));
}

TEST(Turning, RectangleAtHalfWayHasTurnedHalfATurn) {
  vantor::RandomSource random;
  const gfx::Region r = styleRegion(149, at(50), 50, random);  // half-sizes 256 x 192
  EXPECT_EQ(r, gfx::Region(gfx::Rect{256, 192, 768, 576}));
}

}  // namespace
}  // namespace transitions
