#include <gtest/gtest.h>

#include "gfx/region.h"
#include "gfx/stretch.h"
#include "labelled_bitmap.h"

namespace gfx {
namespace {

using labels::expectSameBitmap;
using labels::labelled;

// A pixel changes exactly when the region covers it and the source has it.
TEST(CopyThroughRegionTest, OnlyCoveredPixelsOfTheSourceAreCopied) {
  const std::vector<Point> tri{{0, 0}, {32, 0}, {0, 24}};
  const struct {
    const char *name;
    Size dst, src;
    Region region;
  } cases[] = {
      {"two rectangles", {8, 6}, {8, 6}, Region(Rect{1, 1, 3, 4}).united(Region(Rect{5, 0, 7, 2}))},
      {"triangle", {32, 24}, {32, 24}, Region::polygon(tri)},
      {"region beyond both bitmaps", {6, 4}, {4, 6}, Region(Rect{-100, -100, 100, 100})},
      {"empty region", {4, 4}, {4, 4}, Region()},
      {"region beyond the source", {4, 4}, {4, 4}, Region(Rect{4, 0, 9, 4})},
      {"empty source", {4, 4}, {0, 0}, Region(Rect{0, 0, 4, 4})},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap src = c.src.width ? labelled(c.src.width, c.src.height, 2) : Bitmap();
    Bitmap dst = labelled(c.dst.width, c.dst.height, 1);
    copyThroughRegion(dst, src, c.region);
    for (int y = 0; y < c.dst.height; ++y)
      for (int x = 0; x < c.dst.width; ++x) {
        const bool copied = c.region.contains(x, y) && src.rect().contains({x, y});
        ASSERT_EQ(dst.pixel(x, y), labels::labelOf(x, y, copied ? 2 : 1)) << x << "," << y;
      }
  }
}

// The two-step way a frame is drawn: the outside picture, then the inside
// picture through the region.
Bitmap twoStep(Bitmap dst, const Bitmap &outside, const Bitmap &inside, const Region &r) {
  copyRect(dst, {0, 0}, outside, outside.rect());
  copyThroughRegion(dst, inside, r);
  return dst;
}

TEST(ComposeThroughRegionTest, EqualsOutsideThenInsideThroughTheRegion) {
  const std::vector<Point> tri{{-4, 2}, {30, -3}, {12, 25}};
  const Region shape = Region::polygon(tri)
                           .united(Region(Rect{15, 8, 40, 12}))
                           .xored(Region::ellipse({-5, -5, 9, 30}));
  const struct {
    Size dst, outside, inside;
    Region region;
  } cases[] = {{{20, 16}, {20, 16}, {20, 16}, shape},
               {{16, 12}, {16, 12}, {16, 12}, Region::ellipse({2, 2, 14, 10})},
               {{20, 16}, {12, 20}, {20, 16}, shape},
               {{20, 16}, {20, 16}, {25, 9}, shape},
               {{7, 5}, {20, 16}, {20, 16}, shape},
               {{9, 4}, {9, 4}, {9, 4}, Region()}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "display " << c.dst.width << "x" << c.dst.height
                                    << ", outside " << c.outside.width << "x" << c.outside.height
                                    << ", inside " << c.inside.width << "x" << c.inside.height);
    const Bitmap outside = labelled(c.outside.width, c.outside.height, 1);
    const Bitmap inside = labelled(c.inside.width, c.inside.height, 2);
    const Bitmap start = labelled(c.dst.width, c.dst.height, 3);
    const Bitmap want = twoStep(start, outside, inside, c.region);
    Bitmap got = start;
    composeThroughRegion(got, outside, inside, c.region);
    expectSameBitmap(got, want);
    // Where the sizes agree, the display may be either picture itself.
    if (c.dst != c.outside || c.dst != c.inside) continue;
    Bitmap a = outside, b = inside;
    composeThroughRegion(a, a, inside, c.region);
    composeThroughRegion(b, outside, b, c.region);
    expectSameBitmap(a, want);
    expectSameBitmap(b, want);
  }
}

}  // namespace
}  // namespace gfx
