#include <gtest/gtest.h>

#include "gfx/region.h"

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

}  // namespace
}  // namespace gfx
