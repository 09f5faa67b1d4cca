#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <random>

#include "gfx/stretch.h"
#include "labelled_bitmap.h"

namespace gfx {
namespace {

using labels::labelled;

Color from(int x, int y, uint8_t tag) {
  return labels::labelOf(x, y, tag);
}

constexpr uint8_t kSrc = 1, kDst = 2;

// The nearest-neighbour rule written out per pixel: the centre of each
// destination pixel is mapped back into the source rectangle.
Bitmap referenceStretch(Bitmap dst, Rect to, const Bitmap &src, Rect from) {
  auto axis = [](int d, int toA, int toB, int fromA, int fromB) -> int64_t {
    const int64_t toLo = std::min(toA, toB), toLen = std::abs(toB - toA);
    const int64_t fromLo = std::min(fromA, fromB), fromLen = std::abs(fromB - fromA);
    if (d < toLo || d >= toLo + toLen || fromLen == 0) return -1;
    int64_t i = d - toLo;
    if ((toA > toB) != (fromA > fromB)) i = toLen - 1 - i;
    return fromLo + (2 * i + 1) * fromLen / (2 * toLen);
  };
  for (int y = 0; y < dst.height(); ++y)
    for (int x = 0; x < dst.width(); ++x) {
      const int64_t sx = axis(x, to.left, to.right, from.left, from.right);
      const int64_t sy = axis(y, to.top, to.bottom, from.top, from.bottom);
      if (sx >= 0 && sy >= 0 && sx < src.width() && sy < src.height())
        dst.setPixel(x, y, src.pixel(int(sx), int(sy)));
    }
  return dst;
}

using labels::expectSameBitmap;

TEST(StretchCopyTest, TwiceTheSizeRepeatsEveryRowAndColumn) {
  const Bitmap src = labelled(2, 2, kSrc);
  Bitmap dst(4, 4);
  EXPECT_EQ(stretchCopy(dst, {0, 0, 4, 4}, src, {0, 0, 2, 2}), (Rect{0, 0, 4, 4}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.pixel(x, y), from(x / 2, y / 2, kSrc));
}

TEST(StretchCopyTest, HalfTheSizeKeepsTheSamplesAtPixelCentres) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst(2, 2);
  stretchCopy(dst, {0, 0, 2, 2}, src, {0, 0, 4, 4});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(dst.pixel(x, y), from(2 * x + 1, 2 * y + 1, kSrc));
}

struct MirrorCase {
  Rect to, from;
  bool flipX, flipY;
};

void PrintTo(const MirrorCase &c, std::ostream *os) {
  *os << "to " << c.to.left << "," << c.to.top << "," << c.to.right << "," << c.to.bottom
      << " from " << c.from.left << "," << c.from.top << "," << c.from.right << ","
      << c.from.bottom;
}

class StretchMirrorTest : public ::testing::TestWithParam<MirrorCase> {};

TEST_P(StretchMirrorTest, ReversedEdgesMirrorThatAxis) {
  const MirrorCase &c = GetParam();
  const Bitmap src = labelled(4, 3, kSrc);
  Bitmap dst(4, 3);
  EXPECT_EQ(stretchCopy(dst, c.to, src, c.from), (Rect{0, 0, 4, 3}));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst.pixel(x, y), from(c.flipX ? 3 - x : x, c.flipY ? 2 - y : y, kSrc));
}

INSTANTIATE_TEST_SUITE_P(Axes, StretchMirrorTest,
                         ::testing::Values(MirrorCase{{0, 0, 4, 3}, {0, 0, 4, 3}, false, false},
                                           MirrorCase{{4, 0, 0, 3}, {0, 0, 4, 3}, true, false},
                                           MirrorCase{{0, 3, 4, 0}, {0, 0, 4, 3}, false, true},
                                           MirrorCase{{4, 3, 0, 0}, {0, 0, 4, 3}, true, true},
                                           MirrorCase{{0, 0, 4, 3}, {4, 0, 0, 3}, true, false},
                                           MirrorCase{{4, 0, 0, 3}, {4, 0, 0, 3}, false, false},
                                           MirrorCase{{0, 0, 4, 3}, {0, 3, 4, 0}, false, true}));

TEST(StretchCopyTest, DestinationOutsideTheBitmapIsCutOff) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(4, 4, kDst);
  EXPECT_EQ(stretchCopy(dst, {-2, -2, 2, 2}, src, {0, 0, 4, 4}), (Rect{0, 0, 2, 2}));
  EXPECT_EQ(dst.pixel(0, 0), from(2, 2, kSrc));
  EXPECT_EQ(dst.pixel(1, 1), from(3, 3, kSrc));
  EXPECT_EQ(dst.pixel(2, 0), from(2, 0, kDst));
  EXPECT_EQ(dst.pixel(0, 2), from(0, 2, kDst));
}

TEST(StretchCopyTest, SourceOutsideTheBitmapLeavesTheDestinationAlone) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(4, 4, kDst);
  EXPECT_EQ(stretchCopy(dst, {0, 0, 4, 4}, src, {-2, 0, 2, 4}), (Rect{2, 0, 4, 4}));
  EXPECT_EQ(dst.pixel(1, 1), from(1, 1, kDst));
  EXPECT_EQ(dst.pixel(2, 1), from(0, 1, kSrc));
  EXPECT_EQ(dst.pixel(3, 3), from(1, 3, kSrc));
}

TEST(StretchCopyTest, EmptyRectanglesDrawNothing) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(4, 4, kDst);
  EXPECT_EQ(stretchCopy(dst, {2, 0, 2, 4}, src, {0, 0, 4, 4}), Rect{});
  EXPECT_EQ(stretchCopy(dst, {0, 0, 4, 4}, src, {0, 1, 4, 1}), Rect{});
  EXPECT_EQ(stretchCopy(dst, {10, 10, 20, 20}, src, {0, 0, 4, 4}), Rect{});
  Bitmap none;
  EXPECT_EQ(stretchCopy(dst, {0, 0, 4, 4}, none, {0, 0, 4, 4}), Rect{});
  expectSameBitmap(dst, labelled(4, 4, kDst));
}

TEST(StretchCopyTest, CopyWithinOneBitmapReadsTheSourceFirst) {
  Bitmap b = labelled(4, 2, kSrc);
  // Push right by one: columns 0..2 move to 1..3.
  stretchCopy(b, {1, 0, 4, 2}, b, {0, 0, 3, 2});
  EXPECT_EQ(b.pixel(0, 1), from(0, 1, kSrc));
  EXPECT_EQ(b.pixel(1, 1), from(0, 1, kSrc));
  EXPECT_EQ(b.pixel(3, 1), from(2, 1, kSrc));
  // Squeeze the whole picture into its lower half.
  Bitmap c = labelled(2, 4, kSrc);
  stretchCopy(c, {0, 2, 2, 4}, c, {0, 0, 2, 4});
  EXPECT_EQ(c.pixel(1, 2), from(1, 1, kSrc));
  EXPECT_EQ(c.pixel(1, 3), from(1, 3, kSrc));
}

TEST(StretchCopyTest, HugeRectanglesDoNotOverflow) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst(4, 4);
  const Rect r = stretchCopy(dst, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, src, {0, 0, 4, 4});
  EXPECT_EQ(r, (Rect{0, 0, 4, 4}));
  EXPECT_EQ(dst.pixel(0, 0), from(2, 2, kSrc));
}

// Sizes chosen so that rows are padded and unpadded (width 4: 12 bytes), on
// both axes scaled up, down and mirrored, with rectangles reaching outside.
TEST(StretchCopyTest, MatchesThePerPixelRuleOnRandomRectangles) {
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 400; ++round) {
    const Bitmap src = labelled(pick(1, 9), pick(1, 9), kSrc);
    const Bitmap dst = labelled(pick(1, 12), pick(1, 12), kDst);
    const Rect to{pick(-6, 14), pick(-6, 14), pick(-6, 14), pick(-6, 14)};
    const Rect fr{pick(-3, 10), pick(-3, 10), pick(-3, 10), pick(-3, 10)};
    Bitmap got = dst;
    stretchCopy(got, to, src, fr);
    SCOPED_TRACE(::testing::Message() << "round " << round);
    expectSameBitmap(got, referenceStretch(dst, to, src, fr));
  }
}

// Scales near one, where whole stretches of a row are copied as blocks,
// forward or mirrored.
TEST(StretchCopyTest, MatchesThePerPixelRuleNearScaleOne) {
  const Bitmap src = labelled(120, 7, kSrc);
  for (const Rect &to :
       {Rect{0, 0, 110, 7}, Rect{3, 0, 130, 7}, Rect{-9, 0, 100, 7}, Rect{0, 0, 121, 7},
        Rect{110, 0, 0, 7}, Rect{120, 0, 0, 7}, Rect{125, 7, 4, 0}, Rect{131, 0, -2, 7}}) {
    const Bitmap dst = labelled(125, 7, kDst);
    Bitmap got = dst;
    stretchCopy(got, to, src, {0, 0, 120, 7});
    SCOPED_TRACE(::testing::Message() << "to " << to.left << ".." << to.right);
    expectSameBitmap(got, referenceStretch(dst, to, src, {0, 0, 120, 7}));
  }
}

TEST(CopyRectTest, SourceCutAtTheTopLeftMovesTheDestinationAlong) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(8, 8, kDst);
  EXPECT_EQ(copyRect(dst, {5, 5}, src, {-1, -1, 2, 2}), (Rect{6, 6, 8, 8}));
  EXPECT_EQ(dst.pixel(5, 5), from(5, 5, kDst));
  EXPECT_EQ(dst.pixel(6, 6), from(0, 0, kSrc));
  EXPECT_EQ(dst.pixel(7, 7), from(1, 1, kSrc));
}

TEST(CopyRectTest, DestinationOutsideIsCutOff) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(3, 3, kDst);
  EXPECT_EQ(copyRect(dst, {-1, -2}, src, {0, 0, 4, 4}), (Rect{0, 0, 3, 2}));
  EXPECT_EQ(dst.pixel(0, 0), from(1, 2, kSrc));
  EXPECT_EQ(dst.pixel(2, 1), from(3, 3, kSrc));
  EXPECT_EQ(dst.pixel(2, 2), from(2, 2, kDst));
}

TEST(CopyRectTest, NothingInsideCopiesNothing) {
  const Bitmap src = labelled(4, 4, kSrc);
  Bitmap dst = labelled(3, 3, kDst);
  EXPECT_EQ(copyRect(dst, {0, 0}, src, {4, 0, 8, 4}), Rect{});
  EXPECT_EQ(copyRect(dst, {3, 0}, src, {0, 0, 4, 4}), Rect{});
  EXPECT_EQ(copyRect(dst, {INT_MAX, INT_MAX}, src, {0, 0, 4, 4}), Rect{});
  expectSameBitmap(dst, labelled(3, 3, kDst));
}

struct ShiftCase {
  int dx, dy;
};

void PrintTo(const ShiftCase &c, std::ostream *os) {
  *os << "by " << c.dx << "," << c.dy;
}

class CopyRectOverlapTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(CopyRectOverlapTest, OverlappingCopyWithinOneBitmapMovesThePicture) {
  const auto [dx, dy] = GetParam();
  Bitmap b = labelled(6, 6, kSrc);
  copyRect(b, {1 + dx, 1 + dy}, b, {1, 1, 5, 5});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(b.pixel(1 + dx + x, 1 + dy + y), from(1 + x, 1 + y, kSrc));
}

INSTANTIATE_TEST_SUITE_P(Directions, CopyRectOverlapTest,
                         ::testing::Values(ShiftCase{1, 1}, ShiftCase{-1, -1}, ShiftCase{1, -1},
                                           ShiftCase{-1, 1}, ShiftCase{0, 1}, ShiftCase{1, 0}));

}  // namespace
}  // namespace gfx
