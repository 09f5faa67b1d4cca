// Copies of whole frames take a different path (stores that bypass the
// cache) than the small copies of the other tests; these check it pixel by
// pixel on frames above that size.
#include <gtest/gtest.h>

#include "gfx/region.h"
#include "gfx/stretch.h"

namespace gfx {
namespace {

constexpr int kW = 1403, kH = 1101;  // over 4 MB, rows not a multiple of 16 bytes

Color mark(int x, int y, int tag) {
  return makeColor(uint8_t(x * 7 + tag), uint8_t(y * 13 + x), uint8_t(y + tag * 5));
}

Bitmap marked(int tag) {
  Bitmap b(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) b.setPixel(x, y, mark(x, y, tag));
  return b;
}

// A copy at odd offsets, and a stretch at scale one, which is a plain copy.
TEST(LargeCopyTest, CopiesOfWholeFramesKeepEveryPixel) {
  const Bitmap src = marked(1);
  for (bool stretch : {false, true}) {
    Bitmap dst = marked(2);
    if (stretch)
      EXPECT_EQ(stretchCopy(dst, {1, 0, kW + 1, kH}, src, {0, 0, kW, kH}), (Rect{1, 0, kW, kH}));
    else
      EXPECT_EQ(copyRect(dst, {3, 2}, src, {-1, 0, kW, kH}), (Rect{4, 2, kW, kH}));
    const int dx = stretch ? 1 : 4, dy = stretch ? 0 : 2;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const Color want = (x >= dx && y >= dy) ? mark(x - dx, y - dy, 1) : mark(x, y, 2);
        ASSERT_EQ(dst.pixel(x, y), want) << (stretch ? "stretch " : "copy ") << x << "," << y;
      }
  }
}

TEST(LargeCopyTest, RegionCopiesTakeExactlyTheCoveredPixels) {
  const Bitmap outside = marked(1), inside = marked(2);
  const Region r = Region::ellipse({-50, 7, kW - 3, kH + 40})
                       .xored(Region(Rect{101, 0, 1001, 600}))
                       .united(Region(Rect{0, 1000, kW, kH}));
  Bitmap copied = outside;
  copyThroughRegion(copied, inside, r);
  Bitmap composed(kW, kH);
  composeThroughRegion(composed, outside, inside, r);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const Color want = r.contains(x, y) ? mark(x, y, 2) : mark(x, y, 1);
      ASSERT_EQ(copied.pixel(x, y), want) << x << "," << y;
      ASSERT_EQ(composed.pixel(x, y), want) << x << "," << y;
    }
}

}  // namespace
}  // namespace gfx
