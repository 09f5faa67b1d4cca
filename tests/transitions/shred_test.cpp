// Shred, speckle and random-square styles: the bounds of their random
// patterns, the sizes they derive, and their use of the random source.

#include <gtest/gtest.h>

#include <set>

#include "frames.h"
#include "transitions/frame_step.h"
#include "transitions/region_styles.h"

namespace transitions {
namespace {

using namespace transitions_test;

class RandomStyles : public ExampleFrame {
 protected:
  void SetUp() override { random.seed(1234); }

  // The first new pixel of row y, and whether every pixel from there on is new.
  std::pair<int, bool> runFrom(int y) const {
    int first = 1024;
    bool solid = true;
    for (int x = 0; x < 1024; ++x) {
      const bool n = isNew(x, y);
      if (n && first == 1024) first = x;
      if (!n && first < 1024) solid = false;
    }
    return {first, solid};
  }
};

TEST_F(RandomStyles, ShredFromRightAtHalfWayJittersEveryStripWithinASeventhOfTheWidth) {
  std::set<int> ends;
  for (int round = 0; round < 5; ++round) {
    frame(65, 50);
    for (int y = 0; y < 768; ++y) {
      const auto [first, solid] = runFrom(y);
      ASSERT_TRUE(solid) << y;
      ASSERT_GE(first, 512 - 145) << y;
      ASSERT_LE(first, 512 + 145) << y;
      ends.insert(first);
    }
  }
  EXPECT_GT(ends.size(), 50u);  // the ends really jitter
}

// A shred that has reached the width starts every strip at zero; one of a
// picture narrower than seven pixels has no jitter; one in to the middle
// keeps both halves within their jitter.
TEST_F(RandomStyles, ShredRegionsAtTheirLimits) {
  EXPECT_EQ(ShredRegion(1024, 0, 1024, 768, 1, 0, random).intersected(gfx::Region(k1024)),
            gfx::Region(k1024));
  // Strips 5 + 12 mod 5 = 7 rows thick start every 5 rows; the last, at
  // row 10, reaches past the picture.
  EXPECT_EQ(ShredRegion(2, 0, 6, 12, 2, 0, random), gfx::Region(gfx::Rect{0, 0, 2, 17}));
  const int jitter = 1024 / 7;
  const gfx::Region r = ShredRegion(400, 0, 1024, 768, 4, 0, random);
  for (size_t i = 0; i < r.bandCount(); ++i) {
    const auto spans = r.band(i).spans;
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].x0, 0);
    EXPECT_GT(spans[0].x1, (400 - jitter) / 2);
    EXPECT_LT(spans[0].x1, (400 + jitter) / 2);
    EXPECT_EQ(spans[1].x1, 1024);
  }
}

TEST(SpeckleLayout, FollowsThePictureWidth) {
  EXPECT_EQ(speckleLayout(1024, 0), (SpeckleLayout{102, 5, 20, 15}));
  EXPECT_EQ(speckleLayout(150, 10), (SpeckleLayout{15, 2, 7, 5}));
  // Once the front has crossed the picture there is no speckled zone.
  EXPECT_EQ(speckleLayout(150, 150), (SpeckleLayout{0, 2, 0, 0}));
}

TEST_F(RandomStyles, SpeckleFromRightShowsTheSolidPartAndTheNearestTwoCellsAlways) {
  for (int round = 0; round < 3; ++round) {
    frame(123, 50);  // reach 512
    for (int y = 0; y < 768; ++y) {
      for (int x = 502; x < 1024; x += 7) ASSERT_TRUE(isNew(x, y));
      // Nothing lies beyond the twentieth cell.
      for (int x = 0; x < 412; x += 7) ASSERT_FALSE(isNew(x, y));
    }
  }
}

// The pitch grows with Progress, never below one pixel; squares twice the
// pitch wide are centred on the grid, none at 0 and covering all at 100.
TEST(RandomSquares, SquaresAreTwiceThePitchAndCentredOnTheGrid) {
  EXPECT_EQ(randomSquaresPitch(1024, 768, 35), 18);
  EXPECT_EQ(randomSquaresPitch(1024, 768, 0), 15);
  EXPECT_EQ(randomSquaresPitch(20, 10, 5), 1);
  vantor::RandomSource random(99);
  for (const gfx::Rect &piece : RandomSquaresRegion(1024, 768, 35, random).rects()) {
    EXPECT_EQ(((piece.left % 18) + 18) % 18, 0) << piece.left;
    EXPECT_EQ(((piece.top % 18) + 18) % 18, 0) << piece.top;
  }
  EXPECT_EQ(RandomSquaresRegion(1024, 768, 100, random).intersected(gfx::Region(k1024)).area(),
            1024 * 768);
  EXPECT_TRUE(RandomSquaresRegion(1024, 768, 0, random).empty());
  // Each grid cell is covered when any of its four corner points carries a
  // square, which each does with chance 0.35.
  const gfx::Region r = RandomSquaresRegion(1000, 1000, 35, random);  // pitch 20 + 3
  const double share =
      double(r.intersected(gfx::Region(gfx::Rect{0, 0, 1000, 1000})).area()) / (1000.0 * 1000.0);
  EXPECT_NEAR(share, 1.0 - 0.65 * 0.65 * 0.65 * 0.65, 0.05);
}

TEST(RandomStylesGenerator, DrawFromTheirSourceWithoutReseeding) {
  const Extents e = EffectExtents(k1024, 4, 40);
  vantor::RandomSource random;
  for (int style : {65, 109, 123, 127}) {
    random.seed(5);
    const gfx::Region first = shredRegion(style, e, 40, random);
    const gfx::Region second = shredRegion(style, e, 40, random);
    EXPECT_NE(first, second) << style;  // a fresh pattern every frame
    random.seed(5);
    EXPECT_EQ(shredRegion(style, e, 40, random), first) << style;
  }
}

}  // namespace
}  // namespace transitions
