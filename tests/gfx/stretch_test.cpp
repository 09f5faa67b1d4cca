#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <utility>

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
    const int64_t toLo = std::min(toA, toB), toLen = std::abs(int64_t(toB) - toA);
    const int64_t fromLo = std::min(fromA, fromB), fromLen = std::abs(int64_t(fromB) - fromA);
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

// Named stretches: the rectangle drawn, the whole destination against the
// per-pixel rule, and one pixel stated by hand.
TEST(StretchCopyTest, NamedCasesMatchTheRuleAndReportWhatTheyDrew) {
  const struct {
    const char *name;
    Size src, dst;
    Rect to, from, drawn;
    Point at, sample;  // dst pixel `at` shows src pixel `sample`
  } cases[] = {
      {"twice the size", {2, 2}, {4, 4}, {0, 0, 4, 4}, {0, 0, 2, 2}, {0, 0, 4, 4}, {3, 2}, {1, 1}},
      {"half: pixel centres",
       {4, 4},
       {2, 2},
       {0, 0, 2, 2},
       {0, 0, 4, 4},
       {0, 0, 2, 2},
       {1, 0},
       {3, 1}},
      {"mirrored across", {4, 3}, {4, 3}, {4, 0, 0, 3}, {0, 0, 4, 3}, {0, 0, 4, 3}, {0, 1}, {3, 1}},
      {"mirrored down", {4, 3}, {4, 3}, {0, 3, 4, 0}, {0, 0, 4, 3}, {0, 0, 4, 3}, {1, 0}, {1, 2}},
      {"mirrored both", {4, 3}, {4, 3}, {4, 3, 0, 0}, {0, 0, 4, 3}, {0, 0, 4, 3}, {0, 0}, {3, 2}},
      {"source across", {4, 3}, {4, 3}, {0, 0, 4, 3}, {4, 0, 0, 3}, {0, 0, 4, 3}, {0, 1}, {3, 1}},
      {"source down", {4, 3}, {4, 3}, {0, 0, 4, 3}, {0, 3, 4, 0}, {0, 0, 4, 3}, {1, 0}, {1, 2}},
      {"both mirrored", {4, 3}, {4, 3}, {4, 0, 0, 3}, {4, 0, 0, 3}, {0, 0, 4, 3}, {1, 2}, {1, 2}},
      {"dest cut off", {4, 4}, {4, 4}, {-2, -2, 2, 2}, {0, 0, 4, 4}, {0, 0, 2, 2}, {1, 1}, {3, 3}},
      {"source outside", {4, 4}, {4, 4}, {0, 0, 4, 4}, {-2, 0, 2, 4}, {2, 0, 4, 4}, {3, 3}, {1, 3}},
      {"huge",
       {4, 4},
       {4, 4},
       {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
       {0, 0, 4, 4},
       {0, 0, 4, 4},
       {0, 0},
       {2, 2}},
      // A sample of -1, -1: the pixel keeps the destination's own.
      {"empty dest", {4, 4}, {4, 4}, {2, 0, 2, 4}, {0, 0, 4, 4}, {}, {2, 0}, {-1, -1}},
      {"empty source", {4, 4}, {4, 4}, {0, 0, 4, 4}, {0, 1, 4, 1}, {}, {0, 1}, {-1, -1}},
      {"dest beyond", {4, 4}, {4, 4}, {10, 10, 20, 20}, {0, 0, 4, 4}, {}, {3, 3}, {-1, -1}},
      {"no source bitmap", {0, 0}, {4, 4}, {0, 0, 4, 4}, {0, 0, 4, 4}, {}, {0, 0}, {-1, -1}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap src = c.src.width ? labelled(c.src.width, c.src.height, kSrc) : Bitmap();
    const Bitmap dst = labelled(c.dst.width, c.dst.height, kDst);
    Bitmap got = dst;
    EXPECT_EQ(stretchCopy(got, c.to, src, c.from), c.drawn);
    expectSameBitmap(got, referenceStretch(dst, c.to, src, c.from));
    EXPECT_EQ(got.pixel(c.at.x, c.at.y),
              c.sample.x < 0 ? from(c.at.x, c.at.y, kDst) : from(c.sample.x, c.sample.y, kSrc));
  }
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

// Random sizes, so that rows are padded and unpadded (width 4: 12 bytes), on
// both axes scaled up, down and mirrored, with rectangles reaching outside;
// then scales near one, where whole stretches of a row are copied as blocks,
// forward or mirrored.
TEST(StretchCopyTest, MatchesThePerPixelRule) {
  auto check = [](const Bitmap &src, const Bitmap &dst, Rect to, Rect fr) {
    SCOPED_TRACE(::testing::Message()
                 << "to " << to.left << "," << to.top << ".." << to.right << "," << to.bottom
                 << " from " << fr.left << "," << fr.top << ".." << fr.right << "," << fr.bottom);
    Bitmap got = dst;
    stretchCopy(got, to, src, fr);
    expectSameBitmap(got, referenceStretch(dst, to, src, fr));
  };
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 400; ++round) {
    const Bitmap src = labelled(pick(1, 9), pick(1, 9), kSrc);
    const Bitmap dst = labelled(pick(1, 12), pick(1, 12), kDst);
    check(src, dst, {pick(-6, 14), pick(-6, 14), pick(-6, 14), pick(-6, 14)},
          {pick(-3, 10), pick(-3, 10), pick(-3, 10), pick(-3, 10)});
  }
  for (const Rect &to :
       {Rect{0, 0, 110, 7}, Rect{3, 0, 130, 7}, Rect{-9, 0, 100, 7}, Rect{0, 0, 121, 7},
        Rect{110, 0, 0, 7}, Rect{120, 0, 0, 7}, Rect{125, 7, 4, 0}, Rect{131, 0, -2, 7}})
    check(labelled(120, 7, kSrc), labelled(125, 7, kDst), to, {0, 0, 120, 7});
}

// A 4 x 4 source copied onto a labelled destination: what was drawn, and
// one pixel on each side of its edge.
TEST(CopyRectTest, CopiesAreCutToBothBitmaps) {
  const Bitmap src = labelled(4, 4, kSrc);
  const struct {
    const char *name;
    int dstSize;
    Point to;
    Rect from, drawn;
  } cases[] = {
      {"source cut at the top left moves the destination along",
       8,
       {5, 5},
       {-1, -1, 2, 2},
       {6, 6, 8, 8}},
      {"destination outside is cut off", 3, {-1, -2}, {0, 0, 4, 4}, {0, 0, 3, 2}},
      {"source outside copies nothing", 3, {0, 0}, {4, 0, 8, 4}, {}},
      {"destination outside copies nothing", 3, {3, 0}, {0, 0, 4, 4}, {}},
      {"far destination copies nothing", 3, {INT_MAX, INT_MAX}, {0, 0, 4, 4}, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap dst = labelled(c.dstSize, c.dstSize, kDst);
    EXPECT_EQ(copyRect(dst, c.to, src, c.from), c.drawn);
    for (int y = 0; y < c.dstSize; ++y)
      for (int x = 0; x < c.dstSize; ++x)
        ASSERT_EQ(dst.pixel(x, y), c.drawn.contains({x, y}) ? from(x - c.to.x + c.from.left,
                                                                   y - c.to.y + c.from.top, kSrc)
                                                            : from(x, y, kDst))
            << x << "," << y;
  }
}

// Overlapping copies within one bitmap, in every direction.
TEST(CopyRectTest, OverlappingCopyWithinOneBitmapMovesThePicture) {
  for (auto [dx, dy] : {std::pair{1, 1}, {-1, -1}, {1, -1}, {-1, 1}, {0, 1}, {1, 0}}) {
    Bitmap b = labelled(6, 6, kSrc);
    copyRect(b, {1 + dx, 1 + dy}, b, {1, 1, 5, 5});
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        ASSERT_EQ(b.pixel(1 + dx + x, 1 + dy + y), from(1 + x, 1 + y, kSrc)) << dx << "," << dy;
  }
}

}  // namespace
}  // namespace gfx
