// Curved, diagonal and bar styles on a 1024 x 768 picture at the frames
// where their geometry is known exactly.

#include <gtest/gtest.h>

#include "example_frames.h"
#include "frame_checks.h"
#include "transitions/frame_step.h"
#include "transitions/region_styles.h"

namespace transitions {
namespace {

using namespace transitions_test;
using frame_checks::composedThrough;

Extents at(int progress, int step = 4) {
  return extentsAt(progress, step);
}

using RegionStyles = ExampleFrame;

TEST_F(RegionStyles, CurvedRevealFromLeftAtHalfWayIsTheWideRoundedRectangle) {
  const gfx::Region r = styleRegion(58, at(50), 50, random);
  EXPECT_EQ(r, gfx::Region::roundRect({-2048, -5, 1024, 773}, 2048, 2048));
  frame(58, 50);
  EXPECT_TRUE(composedThrough(screen, oldPicture, newPicture, r));
  // The curved front touches the right edge only at mid-height.
  EXPECT_TRUE(isNew(1023, 384));
  EXPECT_FALSE(isNew(1023, 0));
  EXPECT_FALSE(isNew(1023, 767));
  EXPECT_TRUE(isNew(0, 0));
  EXPECT_TRUE(isNew(0, 767));
}

TEST_F(RegionStyles, CircularRevealToCentreShowsNothingAtTheStart) {
  EXPECT_TRUE(styleRegion(85, at(0), 0, random).intersected(gfx::Region(k1024)).empty());
  drawOldPicture(screen, oldPicture);
  drawRegionStyle(85, screen, newPicture, k1024, 4, 0, random);
  EXPECT_TRUE(frame_checks::equalPixels(screen, oldPicture));
}

TEST_F(RegionStyles, CircularRevealToCentreAtHalfWayShowsTheFourCorners) {
  const gfx::Region shape = gfx::Region::roundRect(k1024, 921, 691);
  EXPECT_EQ(styleRegion(85, at(50), 50, random), gfx::Region(k1024).xored(shape));
  frame(85, 50);
  for (auto [x, y] : {std::pair{0, 0}, {1023, 0}, {0, 767}, {1023, 767}}) EXPECT_TRUE(isNew(x, y));
  for (auto [x, y] : {std::pair{512, 0}, {0, 384}, {512, 384}, {1023, 384}, {512, 767}})
    EXPECT_FALSE(isNew(x, y));
}

TEST_F(RegionStyles, DiagonalFromTopLeftAtHalfWayEndsOnTheDiagonal) {
  frame(110, 50);
  // A pixel is new when its centre lies before the line from (1024, 0) to
  // (0, 768): (x + 0.5) / 1024 + (y + 0.5) / 768 < 1.
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      ASSERT_EQ(isNew(x, y), (2 * x + 1) * 768 + (2 * y + 1) * 1024 < 2 * 1024 * 768)
          << x << "," << y;
}

TEST_F(RegionStyles, TriangularShredAtProgressZeroHasNoTriangles) {
  EXPECT_TRUE(styleRegion(117, at(0), 0, random).empty());
  EXPECT_FALSE(styleRegion(117, at(1), 1, random).empty());
}

TEST_F(RegionStyles, TriangularShredIsOneTriangleAtEachGridCorner) {
  const Extents e = at(30);  // A = 307 div 5 = 61, D = MulDiv(61, 768, 1024) = 46
  gfx::RegionBuilder expected;
  for (int r = 0; r < 10; ++r)
    for (int k = 0; k < 10; ++k) {
      const int cx = (1024 * k) / 10, cy = (768 * r) / 10;
      expected.addRegion(TriangleRegion(cx, cy, cx + 61, cy, cx, cy + 46));
    }
  EXPECT_EQ(styleRegion(117, e, 30, random), expected.build());
}

TEST_F(RegionStyles, TriangularShredNearTheEndAlmostCoversThePicture) {
  // Legs of 202 x 152 against cells of 102.4 x 76.8: only slivers at the
  // cells' far corners are left.
  const int64_t covered =
      styleRegion(117, at(99), 99, random).intersected(gfx::Region(k1024)).area();
  EXPECT_GT(covered, 1024 * 768 * 999 / 1000);
  EXPECT_LT(covered, 1024 * 768);
}

TEST_F(RegionStyles, BarsFromRightAt30ReachTwiceXWithEveryOtherRow) {
  EXPECT_EQ(styleRegion(60, at(30), 30, random), BarsRegion(614, 0, 1024, 768, 46, 1, 0));
  frame(60, 30);
  for (int y : {0, 4, 10, 14, 760, 764}) {
    EXPECT_FALSE(isNew(409, y)) << y;
    EXPECT_TRUE(isNew(410, y)) << y;
    EXPECT_TRUE(isNew(1023, y)) << y;
  }
  for (int y : {5, 9, 765, 767})
    for (int x : {0, 410, 1023}) EXPECT_FALSE(isNew(x, y)) << x << "," << y;
}

TEST_F(RegionStyles, BarsFromRightAtHalfWayHaveWholeBarsAndEmptyGaps) {
  frame(60, 50);
  for (int y = 0; y < 768; ++y)
    for (int x : {0, 511, 1023}) ASSERT_EQ(isNew(x, y), y % 10 < 5) << x << "," << y;
}

TEST_F(RegionStyles, BarsFromRightAt75FillTheGapsFromTheMiddle) {
  frame(60, 75);
  for (int y : {5, 9, 765, 767}) {
    EXPECT_FALSE(isNew(511, y)) << y;
    EXPECT_TRUE(isNew(512, y)) << y;
  }
  for (int y : {0, 4, 760}) EXPECT_TRUE(isNew(0, y)) << y;
}

TEST_F(RegionStyles, BarsFromBothSidesAtHalfWaySpanTheWidthOncePerPairOfRows) {
  frame(64, 50);
  for (int y = 0; y < 768; ++y) {
    const bool fromRight = y % 10 < 5;
    ASSERT_EQ(isNew(511, y), !fromRight) << y;
    ASSERT_EQ(isNew(512, y), fromRight) << y;
    ASSERT_EQ(isNew(0, y), !fromRight) << y;
    ASSERT_EQ(isNew(1023, y), fromRight) << y;
  }
}

TEST_F(RegionStyles, StepOneHundredMakesEveryFirstPhaseBarWholeAtOnce) {
  frame(60, 1, 100);
  for (int y : {0, 10, 760}) EXPECT_TRUE(isNew(0, y)) << y;
  for (int y : {5, 765}) EXPECT_FALSE(isNew(1023, y)) << y;
}

TEST_F(RegionStyles, CrissCrossFromBottomLeftTopRightIsWhereBothBarSetsCross) {
  gfx::Bitmap a(1024, 768), b(1024, 768);
  for (int progress : {20, 50, 70}) {
    drawFrame(a, oldPicture, newPicture, 86, 4, progress, random);
    drawFrame(b, oldPicture, newPicture, 89, 4, progress, random);
    frame(99, progress);
    for (int y = 0; y < 768; ++y)
      for (int x = 0; x < 1024; ++x) {
        const bool both =
            transitions_test::at(a, x, y).isNew && transitions_test::at(b, x, y).isNew;
        ASSERT_EQ(isNew(x, y), both) << progress << ": " << x << "," << y;
      }
  }
}

TEST(BarsRegion, NoKindsGiveNoRegion) {
  EXPECT_TRUE(BarsRegion(100, 100, 50, 50, 0, 0, 0).empty());
}

TEST(BarsRegion, ColumnsFromTheTopMirrorRowsFromTheLeft) {
  const gfx::Region columns = BarsRegion(0, 30, 40, 60, 0, 0, 2);
  EXPECT_EQ(
      columns,
      gfx::Region::fromRects(std::vector<gfx::Rect>{
          {0, 0, 5, 30}, {10, 0, 15, 30}, {20, 0, 25, 30}, {30, 0, 35, 30}, {40, 0, 45, 30}}));
}

}  // namespace
}  // namespace transitions
