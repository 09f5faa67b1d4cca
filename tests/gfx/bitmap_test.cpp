#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>

#include "gfx/bitmap.h"

namespace gfx {
namespace {

TEST(ColorTest, SettingsColourHoldsRedInTheLowByte) {
  const Color c = makeColor(0x11, 0x22, 0x33);
  EXPECT_EQ(c, 0x00332211u);
  EXPECT_EQ(redOf(c), 0x11);
  EXPECT_EQ(greenOf(c), 0x22);
  EXPECT_EQ(blueOf(c), 0x33);
}

struct StrideCase {
  int width;
  size_t stride;
};

void PrintTo(const StrideCase &t, std::ostream *os) {
  *os << "width " << t.width;
}

class StrideTest : public ::testing::TestWithParam<StrideCase> {};

TEST_P(StrideTest, RowsArePaddedToFourBytes) {
  const Bitmap b(GetParam().width, 2);
  EXPECT_EQ(b.stride(), GetParam().stride);
  EXPECT_EQ(b.byteCount(), GetParam().stride * 2);
}

INSTANTIATE_TEST_SUITE_P(Widths, StrideTest,
                         ::testing::Values(StrideCase{1, 4}, StrideCase{2, 8}, StrideCase{3, 12},
                                           StrideCase{4, 12}, StrideCase{5, 16},
                                           StrideCase{1920, 5760}, StrideCase{1023, 3072}));

TEST(BitmapTest, PixelsAreStoredBlueGreenRed) {
  Bitmap b(2, 1);
  b.setPixel(1, 0, makeColor(0x10, 0x20, 0x30));
  const uint8_t *p = b.row(0) + 3;
  EXPECT_EQ(p[0], 0x30);
  EXPECT_EQ(p[1], 0x20);
  EXPECT_EQ(p[2], 0x10);
  EXPECT_EQ(b.pixel(1, 0), makeColor(0x10, 0x20, 0x30));
  EXPECT_EQ(b.pixel(0, 0), 0u);
}

TEST(BitmapTest, FillRectIsClippedToTheBitmap) {
  Bitmap b(4, 3, makeColor(1, 2, 3));
  b.fillRect({-5, 1, 2, 10}, makeColor(9, 8, 7));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(b.pixel(x, y), (y >= 1 && x < 2) ? makeColor(9, 8, 7) : makeColor(1, 2, 3))
          << x << "," << y;
}

TEST(BitmapTest, GreyFillWritesEveryByte) {
  Bitmap b(3, 2, makeColor(0x40, 0x40, 0x40));
  for (int x = 0; x < 3; ++x) EXPECT_EQ(b.pixel(x, 1), makeColor(0x40, 0x40, 0x40));
}

TEST(BitmapTest, CopyIsDeepAndMoveEmptiesTheSource) {
  Bitmap a(3, 3, makeColor(5, 5, 5));
  Bitmap copy = a;
  copy.setPixel(0, 0, makeColor(1, 1, 1));
  EXPECT_EQ(a.pixel(0, 0), makeColor(5, 5, 5));
  Bitmap moved = std::move(a);
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(moved.pixel(2, 2), makeColor(5, 5, 5));
}

TEST(BitmapTest, ZeroSizeIsEmptyAndNegativeSizeIsRefused) {
  EXPECT_TRUE(Bitmap(0, 10).empty());
  EXPECT_EQ(Bitmap(10, 0).byteCount(), 0u);
  EXPECT_THROW(Bitmap(-1, 4), std::invalid_argument);
}

}  // namespace
}  // namespace gfx
