#include <gtest/gtest.h>

#include <ostream>

#include "gfx/region.h"
#include "gfx/stretch.h"
#include "labelled_bitmap.h"

namespace gfx {
namespace {

const Color kOld = makeColor(10, 20, 30), kNew = makeColor(200, 100, 50);

TEST(CopyThroughRegionTest, OnlyCoveredPixelsChange) {
  Bitmap dst(8, 6, kOld);
  const Bitmap src(8, 6, kNew);
  const Region r = Region(Rect{1, 1, 3, 4}).united(Region(Rect{5, 0, 7, 2}));
  copyThroughRegion(dst, src, r);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(dst.pixel(x, y), r.contains(x, y) ? kNew : kOld) << x << "," << y;
}

TEST(CopyThroughRegionTest, RegionBeyondBothBitmapsIsClipped) {
  Bitmap dst(6, 4, kOld);
  Bitmap src(4, 6, kNew);
  src.setPixel(3, 3, makeColor(1, 2, 3));
  copyThroughRegion(dst, src, Region(Rect{-100, -100, 100, 100}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const Color want = x < 4 ? (x == 3 && y == 3 ? makeColor(1, 2, 3) : kNew) : kOld;
      EXPECT_EQ(dst.pixel(x, y), want) << x << "," << y;
    }
}

TEST(CopyThroughRegionTest, EmptyRegionOrBitmapChangesNothing) {
  Bitmap dst(4, 4, kOld);
  copyThroughRegion(dst, Bitmap(4, 4, kNew), Region());
  copyThroughRegion(dst, Bitmap(), Region(Rect{0, 0, 4, 4}));
  copyThroughRegion(dst, Bitmap(4, 4, kNew), Region(Rect{4, 0, 9, 4}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.pixel(x, y), kOld);
}

TEST(CopyThroughRegionTest, TriangleRevealCopiesExactlyItsPixels) {
  Bitmap dst(32, 24, kOld);
  const Bitmap src(32, 24, kNew);
  const std::vector<Point> tri{{0, 0}, {32, 0}, {0, 24}};
  const Region r = Region::polygon(tri);
  copyThroughRegion(dst, src, r);
  int changed = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x) changed += dst.pixel(x, y) == kNew;
  EXPECT_EQ(changed, r.area());
  EXPECT_EQ(changed, 32 * 24 / 2);
}

using labels::labelled;

// The two-step way a frame is drawn: the outside picture, then the inside
// picture through the region.
Bitmap twoStep(Bitmap dst, const Bitmap &outside, const Bitmap &inside, const Region &r) {
  copyRect(dst, {0, 0}, outside, outside.rect());
  copyThroughRegion(dst, inside, r);
  return dst;
}

using labels::expectSameBitmap;

struct ComposeCase {
  Size dst, outside, inside;
};

void PrintTo(const ComposeCase &c, std::ostream *os) {
  *os << "display " << c.dst.width << "x" << c.dst.height << ", outside " << c.outside.width << "x"
      << c.outside.height << ", inside " << c.inside.width << "x" << c.inside.height;
}

class ComposeTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeTest, EqualsOutsideThenInsideThroughTheRegion) {
  const ComposeCase &c = GetParam();
  const Bitmap outside = labelled(c.outside.width, c.outside.height, 1);
  const Bitmap inside = labelled(c.inside.width, c.inside.height, 2);
  const Bitmap start = labelled(c.dst.width, c.dst.height, 3);
  const std::vector<Point> tri{{-4, 2}, {30, -3}, {12, 25}};
  const Region r = Region::polygon(tri)
                       .united(Region(Rect{15, 8, 40, 12}))
                       .xored(Region::ellipse({-5, -5, 9, 30}));
  Bitmap got = start;
  composeThroughRegion(got, outside, inside, r);
  expectSameBitmap(got, twoStep(start, outside, inside, r));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ComposeTest,
                         ::testing::Values(ComposeCase{{20, 16}, {20, 16}, {20, 16}},
                                           ComposeCase{{20, 16}, {12, 20}, {20, 16}},
                                           ComposeCase{{20, 16}, {20, 16}, {25, 9}},
                                           ComposeCase{{7, 5}, {20, 16}, {20, 16}}));

TEST(ComposeThroughRegionTest, DestinationMayBeEitherPicture) {
  const Region r = Region::ellipse({2, 2, 14, 10});
  const Bitmap outside = labelled(16, 12, 1), inside = labelled(16, 12, 2);
  const Bitmap want = twoStep(Bitmap(16, 12), outside, inside, r);
  Bitmap a = outside;
  composeThroughRegion(a, a, inside, r);
  expectSameBitmap(a, want);
  Bitmap b = inside;
  composeThroughRegion(b, outside, b, r);
  expectSameBitmap(b, want);
}

TEST(ComposeThroughRegionTest, EmptyRegionGivesTheOutsidePicture) {
  const Bitmap outside = labelled(9, 4, 1), inside = labelled(9, 4, 2);
  Bitmap dst(9, 4);
  composeThroughRegion(dst, outside, inside, Region());
  expectSameBitmap(dst, outside);
}

}  // namespace
}  // namespace gfx
