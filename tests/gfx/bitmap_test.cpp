#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <utility>

#include "gfx/bitmap.h"

namespace gfx {
namespace {

// The settings' colour holds red in the low byte; a bitmap stores blue,
// green, red, with rows padded to four bytes.
TEST(BitmapTest, PixelsAreBlueGreenRedInRowsPaddedToFourBytes) {
  const Color c = makeColor(0x11, 0x22, 0x33);
  EXPECT_EQ(c, 0x00332211u);
  EXPECT_EQ(redOf(c) << 16 | greenOf(c) << 8 | blueOf(c), 0x112233);
  for (auto [width, stride] : {std::pair<int, size_t>{1, 4},
                               {2, 8},
                               {3, 12},
                               {4, 12},
                               {5, 16},
                               {1920, 5760},
                               {1023, 3072}}) {
    const Bitmap b(width, 2);
    EXPECT_EQ(b.stride(), stride) << width;
    EXPECT_EQ(b.byteCount(), stride * 2) << width;
  }
  Bitmap b(2, 1);
  b.setPixel(1, 0, c);
  const uint8_t *p = b.row(0) + 3;
  EXPECT_EQ((std::array{p[0], p[1], p[2]}), (std::array<uint8_t, 3>{0x33, 0x22, 0x11}));
  EXPECT_EQ(b.pixel(1, 0), c);
  EXPECT_EQ(b.pixel(0, 0), 0u);
}

TEST(BitmapTest, FillsCoverEveryByteAndAreClippedToTheBitmap) {
  const Color grey = makeColor(0x40, 0x40, 0x40), paint = makeColor(9, 8, 7);
  Bitmap b(4, 3, grey);
  b.fillRect({-5, 1, 2, 10}, paint);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(b.pixel(x, y), (y >= 1 && x < 2) ? paint : grey) << x << "," << y;
}

TEST(BitmapTest, CopyIsDeepMoveEmptiesAndBadSizesAreRefused) {
  Bitmap a(3, 3, makeColor(5, 5, 5));
  Bitmap copy = a;
  copy.setPixel(0, 0, makeColor(1, 1, 1));
  EXPECT_EQ(a.pixel(0, 0), makeColor(5, 5, 5));
  Bitmap moved = std::move(a);
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(moved.pixel(2, 2), makeColor(5, 5, 5));
  EXPECT_TRUE(Bitmap(0, 10).empty());
  EXPECT_EQ(Bitmap(10, 0).byteCount(), 0u);
  EXPECT_THROW(Bitmap(-1, 4), std::invalid_argument);
}

}  // namespace
}  // namespace gfx
