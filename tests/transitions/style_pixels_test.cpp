// Rectangle, curved, bar, push, blind, sweep and turning styles on the
// 1024 x 768 example frame, at the frames where their geometry is known
// exactly: the pixels the user sees, and the shapes they are drawn through.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "frames.h"
#include "gfx/stretch.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"
#include "transitions/mirror_copy.h"
#include "transitions/region_styles.h"

namespace transitions {
namespace {

using namespace transitions_test;

constexpr double kPi = std::numbers::pi;

Extents ext(int progress, int step = 4) {
  return extentsAt(progress, step);
}

// One pixel of a frame and the picture position it must show.
struct Px {
  int x, y;
  Origin want;
};
Px N(int x, int y) {
  return {x, y, newAt(x, y)};
}
Px O(int x, int y) {
  return {x, y, oldAt(x, y)};
}

// Pixel (x, y) shows `want`; N and O name the pixel's own place in the new
// or the old picture.
Px P(int x, int y, Origin want) {
  return {x, y, want};
}

struct PixelCase {
  int style, progress;
  const char *name;
  std::vector<Px> pixels;
  std::vector<gfx::Rect> dirty = {};  // checked when given
  int step = 4;
};

PixelCase C(int style, int progress, const char *name, std::vector<Px> pixels,
            std::vector<gfx::Rect> dirty = {}, int step = 4) {
  return {style, progress, name, std::move(pixels), std::move(dirty), step};
}

const PixelCase kPixelCases[] = {
    C(3, 50, "slide in from right shows the new picture's left half",
      {O(511, 100), P(512, 100, newAt(0, 100)), P(1023, 767, newAt(511, 767))}),
    C(12, 0, "reveal in from sides shows one column at the start", {N(0, 5), O(1, 5), O(1023, 5)},
      {{0, 0, 1, 768}, {1023, 0, 1024, 768}}),
    C(29, 0, "slide in from top and bottom shows one row at the start",
      {N(5, 0), O(5, 1), O(5, 767)}, {{0, 0, 1024, 1}, {0, 767, 1024, 768}}),
    C(55, 50, "quarters reveal puts the right quarters at 767", {N(767, 0), O(766, 0)}),
    // The expanded top-right quarter starts with source column W div 2 + 1.
    C(56, 50, "quarters expand puts the right quarters at 768",
      {O(767, 0), P(768, 0, newAt(513, 0))}),
    // Copies 1 and 2 slide unscaled, copy 3 puts 511 columns over 512, the
    // main copy 383 rows over 384.
    C(57, 50, "quarters slide in come from four sides",
      {P(0, 0, newAt(256, 0)), P(256, 384, newAt(512, 384)), O(257, 0), P(511, 0, newAt(511, 192)),
       P(1023, 192, newAt(1023, 384)), O(1023, 193), O(767, 500), P(768, 500, newAt(513, 500)),
       O(0, 575), P(300, 576, newAt(300, 385))},
      {{0, 0, 257, 385}, {511, 0, 1024, 193}, {768, 383, 1024, 768}, {0, 576, 513, 768}}),
    C(58, 50, "curved reveal from left touches the right edge only at mid-height",
      {N(1023, 384), O(1023, 0), O(1023, 767), N(0, 0), N(0, 767)}),
    C(60, 30, "bars from right at 30 reach twice X on every other row",
      {O(409, 0), N(410, 0), N(1023, 4), O(409, 760), N(410, 764), O(0, 5), O(410, 9),
       O(1023, 767)}),
    C(60, 75, "bars from right at 75 fill the gaps from the middle",
      {O(511, 5), N(512, 9), O(511, 765), N(512, 767), N(0, 0), N(0, 760)}),
    C(60, 1, "Step 100 makes every first-phase bar whole at once",
      {N(0, 0), N(0, 10), N(0, 760), O(1023, 5), O(1023, 765)}, {}, 100),
    C(85, 50, "circular reveal to centre shows the four corners half way",
      {N(0, 0), N(1023, 0), N(0, 767), N(1023, 767), O(512, 0), O(0, 384), O(512, 384),
       O(1023, 384), O(512, 767)}),
    // Its source (1024, 767) lies just outside the new picture; two pixels
    // left, (1024 + nearest(-1.41), 768 + nearest(-2.83)) is inside.
    C(122, 50, "pivot from bottom right keeps the corner pixel old half way",
      {O(1023, 767), P(1021, 767, newAt(1023, 765))}),
    C(128, 50, "push right moves the old picture across",
      {P(0, 10, newAt(512, 10)), P(511, 10, newAt(1023, 10)), P(512, 10, oldAt(0, 10)),
       P(1023, 767, oldAt(511, 767))}),
    C(133, 50, "push up moves the old picture up",
      {P(7, 0, oldAt(7, 384)), P(7, 383, oldAt(7, 767)), P(7, 384, newAt(7, 0))}),
    // The arc stops short of three o'clock, and nothing lies anticlockwise of twelve.
    C(143, 25, "clockwise sweep at a quarter", {N(600, 100), O(1000, 390), O(400, 100)}),
    C(144, 25, "anticlockwise sweep at a quarter", {N(400, 100), O(600, 100)}),
    // The right tip points down, the top tip right, the bottom tip left.
    C(150, 25, "star at a quarter has turned a quarter clockwise",
      {N(512, 767), N(890, 384), O(1000, 384), N(140, 384), O(100, 384)}),
};

TEST_F(ExampleFrame, StylesShowTheExpectedPictureAtEachPixel) {
  for (const PixelCase &c : kPixelCases) {
    SCOPED_TRACE(testing::Message()
                 << "style " << c.style << " at " << c.progress << ": " << c.name);
    const FrameResult r =
        drawFrame(screen, oldPicture, newPicture, c.style, c.step, c.progress, random);
    for (const Px &p : c.pixels) EXPECT_EQ(at(screen, p.x, p.y), p.want) << p.x << "," << p.y;
    if (!c.dirty.empty()) {
      EXPECT_EQ(r.dirty, c.dirty);
    }
  }
}

gfx::Region rects(std::vector<gfx::Rect> rs) {
  return gfx::Region::fromRects(rs);
}

// Slats from `from` every `pitch` pixels, `open` wide, across or down.
gfx::Region slats(int pitch, int open, bool down) {
  std::vector<gfx::Rect> rs;
  for (int p = 0; p < (down ? 768 : 1024); p += pitch)
    rs.push_back(down ? gfx::Rect{0, p, 1024, p + open} : gfx::Rect{p, 0, p + open, 768});
  return rects(rs);
}

gfx::Region triangularShredAt30() {
  // A = 307 div 5 = 61, D = MulDiv(61, 768, 1024) = 46, one at each grid corner.
  gfx::RegionBuilder b;
  for (int r = 0; r < 10; ++r)
    for (int k = 0; k < 10; ++k) {
      const int cx = (1024 * k) / 10, cy = (768 * r) / 10;
      b.addRegion(TriangleRegion(cx, cy, cx + 61, cy, cx, cy + 46));
    }
  return b.build();
}

gfx::Region rectangularShredAt50() {
  // L = 46: N = 23, cells 44 x 33; at P 50 half-sizes 11 and 8.
  std::vector<gfx::Rect> rs;
  for (int row = 0; row <= 23; ++row)
    for (int k = 0; k <= 23; ++k)
      rs.push_back({k * 44 - 11, row * 33 - 8, k * 44 + 11, row * 33 + 8});
  return rects(rs);
}

gfx::Region clockwiseFanAtAQuarter() {
  std::vector<gfx::Point> fan{{512, 384}};
  for (int k = 0; k < 25; ++k) {
    const double a = -kPi / 2 + k * kPi / 50;
    fan.push_back({512 + int(std::nearbyint(640 * std::cos(a))),
                   384 + int(std::nearbyint(640 * std::sin(a)))});
  }
  return gfx::Region::polygon(fan);
}

struct RegionCase {
  const char *name;
  int style, progress, step;
  gfx::Region expected;
};

// The shapes, and that the frame shows the new picture exactly through them.
TEST_F(ExampleFrame, RegionStylesDrawThroughTheirShapes) {
  const gfx::Region screenArea(k1024);
  const RegionCase cases[] = {
      {"curved reveal from left", 58, 50, 4,
       gfx::Region::roundRect({-2048, -5, 1024, 773}, 2048, 2048)},
      {"circular reveal to centre", 85, 50, 4,
       screenArea.xored(gfx::Region::roundRect(k1024, 921, 691))},
      // Pixels whose centres lie before the line from (1024, 0) to (0, 768).
      {"diagonal from top left", 110, 50, 4,
       gfx::Region::polygon(std::vector<gfx::Point>{{0, 0}, {1024, 0}, {0, 768}})},
      {"triangular shred", 117, 30, 4, triangularShredAt30()},
      // W div L = 1024 div 46 = 22, H div L = 768 div 46 = 16; half open at P 50.
      {"blinds across", 136, 50, 4, slats(22, 11, false)},
      {"blinds down", 137, 50, 4, slats(16, 8, true)},
      // Step 100 makes L longer than the picture: a pitch of 0 is one slat.
      {"blinds across, pitch 0", 136, 30, 100, gfx::Region(gfx::Rect{0, 0, 307, 768})},
      {"blinds down, pitch 0", 137, 30, 100, gfx::Region(gfx::Rect{0, 0, 1024, 230})},
      {"uneven blind from left", 138, 50, 4, rects({{0, 0, 256, 768}, {512, 0, 768, 768}})},
      {"uneven blind from right", 139, 50, 4,
       rects({{768, 0, 1024, 768}, {256, 0, 512, 768}, {-256, 0, 0, 768}})},
      {"rectangular shred", 142, 50, 4, rectangularShredAt50()},
      {"clockwise sweep", 143, 25, 4, clockwiseFanAtAQuarter()},
      // Half-sizes 256 x 192, turned half a turn.
      {"turning rectangle", 149, 50, 4, gfx::Region(gfx::Rect{256, 192, 768, 576})},
  };
  for (const RegionCase &c : cases) {
    SCOPED_TRACE(c.name);
    const gfx::Region r = styleRegion(c.style, ext(c.progress, c.step), c.progress, random);
    EXPECT_EQ(r, c.expected);
    frame(c.style, c.progress, c.step);
    EXPECT_TRUE(composedThrough(screen, oldPicture, newPicture, r));
  }
  EXPECT_EQ(rectangularShredAt50().area(), 576 * 22 * 16);
  EXPECT_EQ(RotatePoints(std::vector<gfx::Point>{{1024, 384}}, 512, 384, kPi / 2),
            (std::vector<gfx::Point>{{512, 896}}));
}

TEST_F(ExampleFrame, StartsOfCircularRevealAndTriangularShredShowNothing) {
  EXPECT_TRUE(styleRegion(85, ext(0), 0, random).intersected(gfx::Region(k1024)).empty());
  drawOldPicture(screen, oldPicture);
  drawRegionStyle(85, screen, newPicture, k1024, 4, 0, random);
  EXPECT_TRUE(equalPixels(screen, oldPicture));
  EXPECT_TRUE(styleRegion(117, ext(0), 0, random).empty());
  EXPECT_FALSE(styleRegion(117, ext(1), 1, random).empty());
  // Legs of 202 x 152 against cells of 102.4 x 76.8 leave only slivers at 99.
  const int64_t covered =
      styleRegion(117, ext(99), 99, random).intersected(gfx::Region(k1024)).area();
  EXPECT_GT(covered, 1024 * 768 * 999 / 1000);
  EXPECT_LT(covered, 1024 * 768);
}

// Bars from right (60) alternate with bars from both sides (64) every five rows.
TEST_F(ExampleFrame, BarsAtHalfWayAreWholeBarsAndEmptyGapsOnEveryRow) {
  frame(60, 50);
  for (int y = 0; y < 768; ++y)
    for (int x : {0, 511, 1023}) ASSERT_EQ(isNew(x, y), y % 10 < 5) << x << "," << y;
  frame(64, 50);
  for (int y = 0; y < 768; ++y) {
    const bool fromRight = y % 10 < 5;
    for (int x : {0, 511}) ASSERT_EQ(isNew(x, y), !fromRight) << x << "," << y;
    for (int x : {512, 1023}) ASSERT_EQ(isNew(x, y), fromRight) << x << "," << y;
  }
}

TEST_F(ExampleFrame, CrissCrossIsWhereBothBarSetsCross) {
  gfx::Bitmap a(1024, 768), b(1024, 768);
  for (int progress : {20, 50, 70}) {
    drawFrame(a, oldPicture, newPicture, 86, 4, progress, random);
    drawFrame(b, oldPicture, newPicture, 89, 4, progress, random);
    frame(99, progress);
    for (int y = 0; y < 768; ++y)
      for (int x = 0; x < 1024; ++x)
        ASSERT_EQ(isNew(x, y), at(a, x, y).isNew && at(b, x, y).isNew)
            << progress << ": " << x << "," << y;
  }
}

TEST(BarsRegion, ColumnsFromTheTopMirrorRowsAndNoKindsGiveNothing) {
  EXPECT_EQ(
      BarsRegion(0, 30, 40, 60, 0, 0, 2),
      rects({{0, 0, 5, 30}, {10, 0, 15, 30}, {20, 0, 25, 30}, {30, 0, 35, 30}, {40, 0, 45, 30}}));
  EXPECT_TRUE(BarsRegion(100, 100, 50, 50, 0, 0, 0).empty());
}

// On a picture 30 million pixels long, P times the extent no longer fits in
// an int; the slats must still open to P % of it. (Regions keep only what
// lies within 2^20 of the origin.)
TEST(Blinds, UnevenBlindsOnAVeryLongPictureOpenTheirShare) {
  vantor::RandomSource random;
  const int length = 30'000'000, P = 90;
  const int extent = 27'000'000, open = 24'300'000;  // (90 * 27 000 000) div 100
  const Extents wide = EffectExtents(gfx::Rect{0, 0, length, 3}, 4, P);
  const Extents tall = EffectExtents(gfx::Rect{0, 0, 3, length}, 4, P);
  ASSERT_EQ(wide.X, extent);
  ASSERT_EQ(tall.Y, extent);
  const int back = length - open;  // first slat of the blinds from the far end
  const struct {
    int style;
    const Extents &e;
    std::vector<gfx::Rect> slats;
  } cases[] = {
      {138, wide, {{0, 0, open, 3}, {extent, 0, extent + open, 3}}},
      {139, wide, {{back, 0, length, 3}, {back - extent, 0, length - extent, 3}}},
      {140, tall, {{0, 0, 3, open}, {0, extent, 3, extent + open}}},
      {141, tall, {{0, back, 3, length}, {0, back - extent, 3, length - extent}}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(styleRegion(c.style, c.e, P, random), rects(c.slats)) << c.style;
}

// The squeeze works in place; it must match a stretch-copy from a separate
// copy of the old picture.
TEST_F(ExampleFrame, SqueezeMatchesAStretchOfTheWholeOldPicture) {
  const struct {
    int style;
    bool rows, toEnd;
  } squeezes[] = {{130, false, true}, {131, false, false}, {134, true, true}, {135, true, false}};
  for (const auto &q : squeezes)
    for (int progress : {1, 37, 50, 99}) {
      frame(q.style, progress);
      const Extents e = ext(progress);
      gfx::Bitmap expected = oldPicture;
      gfx::Rect to = q.rows ? gfx::Rect{0, 0, 1024, 768 - e.Y} : gfx::Rect{0, 0, 1024 - e.X, 768};
      if (q.toEnd) to = q.rows ? to.translated(0, e.Y) : to.translated(e.X, 0);
      gfx::stretchCopy(expected, to, oldPicture, k1024);
      for (int y = to.top; y < to.bottom; ++y)
        for (int x = to.left; x < to.right; ++x)
          ASSERT_TRUE(samePixel(screen, expected, x, y))
              << q.style << " at " << progress << ": " << x << "," << y;
    }
}

// The unroll's mirrored roll: its copies, the destination it reports
// (widened by one column each way), and the roll's reversed columns on the
// screen. Near the start and the end R = X div 2, then (W - X) div 2.
TEST_F(ExampleFrame, UnrollFromLeftCarriesTheMirroredRoll) {
  const CopyList half = rectangleCopies(14, ext(50));
  // F = 204, so R = 102 and T = 614; the roll shows x 614..716 mirrored.
  EXPECT_EQ((std::vector<Copy>{half.begin(), half.end()}),
            (std::vector<Copy>{{{512, 0, 614, 768}, {614, 0, 716, 768}, true, false},
                               {{0, 0, 512, 768}, {0, 0, 512, 768}}}));
  DrawnRects drawn;
  drawCopies(screen, newPicture, half, 50, &drawn);
  EXPECT_EQ((std::vector<gfx::Rect>{drawn.begin(), drawn.end()}),
            (std::vector<gfx::Rect>{{511, 0, 615, 768}, {0, 0, 512, 768}}));
  const CopyList start = rectangleCopies(14, {1024, 768, 100, 75, 46});
  const CopyList end = rectangleCopies(14, {1024, 768, 900, 675, 46});
  EXPECT_EQ(start.items[0], (Copy{{100, 0, 150, 768}, {150, 0, 200, 768}, true, false}));
  EXPECT_EQ(end.items[0], (Copy{{900, 0, 962, 768}, {962, 0, 1024, 768}, true, false}));
  frame(14, 50);
  EXPECT_EQ(at(screen, 511, 9), newAt(511, 9));
  EXPECT_EQ(at(screen, 615, 9), oldAt(615, 9));
  int previous = 716;
  for (int x = 512; x <= 614; ++x) {
    const Origin o = at(screen, x, 9);
    ASSERT_TRUE(o.isNew && o.y == 9 && o.x >= 614) << x;
    ASSERT_LE(o.x, previous) << x;  // reversed: the source runs right to left
    previous = o.x;
  }
  EXPECT_GE(at(screen, 512, 9).x, 713);
  EXPECT_LE(at(screen, 614, 9).x, 616);
}

TEST_F(ExampleFrame, ExpandInToMiddleEnlargesTheMiddleHalfFourTimes) {
  frame(9, 50);
  std::vector<int> uses(1024, 0);
  for (int x = 0; x < 1024; ++x) {
    const Origin o = at(screen, x, 300);
    ASSERT_TRUE(o.isNew && o.x >= 384 && o.x < 640) << x;
    ++uses[size_t(o.x)];
  }
  for (int sx = 384; sx < 640; ++sx) EXPECT_EQ(uses[size_t(sx)], 4) << sx;
}

TEST_F(ExampleFrame, BuildUpFromRightAtZeroStretchesA51PixelBand) {
  const CopyList copies = rectangleCopies(16, ext(0));
  EXPECT_EQ(copies.main().dest, k1024);
  EXPECT_EQ(copies.main().source, (gfx::Rect{0, 0, 51, 768}));
  // Drawn as if under way, the band covers the whole width.
  drawOldPicture(screen, oldPicture);
  drawCopies(screen, newPicture, copies, 50, nullptr);
  for (int x = 0; x < 1024; x += 7)
    ASSERT_TRUE(at(screen, x, 400).isNew && at(screen, x, 400).x < 51);
  EXPECT_EQ(at(screen, 0, 400), newAt(0, 400));
  EXPECT_EQ(at(screen, 1023, 400), newAt(50, 400));
}

TEST_F(ExampleFrame, OddWidthExpandOutFromMiddleIsEmptyAtZero) {
  const CopyList copies = rectangleCopies(10, EffectExtents({0, 0, 1023, 768}, 4, 0));
  EXPECT_EQ(copies.main().dest, (gfx::Rect{511, 0, 511, 768}));
  gfx::Bitmap oldOdd = picture(1023, 768, false), newOdd = picture(1023, 768, true);
  const gfx::Bitmap before = oldOdd;
  drawCopies(oldOdd, newOdd, copies, 50, nullptr);  // even when under way
  EXPECT_TRUE(equalPixels(before, oldOdd));
  gfx::Bitmap screenOdd(1023, 768);
  EXPECT_TRUE(drawFrame(screenOdd, oldOdd, newOdd, 10, 4, 0, random).dirty.empty());
}

TEST(MirrorCopy, ReversesBothAxesAndClipsTheSource) {
  gfx::Bitmap canvas = picture(8, 6, false);
  const gfx::Bitmap source = picture(8, 6, true);
  // Destination 2..5 x 1..3, widened to 1..6 x 0..4; source rows 4..7 clip to 4..6.
  EXPECT_EQ(MirrorCopy(canvas, {2, 1, 5, 3}, source, {0, 4, 5, 8}, true, true),
            (gfx::Rect{1, 0, 6, 4}));
  EXPECT_EQ(at(canvas, 1, 0), newAt(4, 5));
  EXPECT_EQ(at(canvas, 5, 3), newAt(0, 4));
  EXPECT_EQ(at(canvas, 0, 0), oldAt(0, 0));
  EXPECT_EQ(at(canvas, 6, 4), oldAt(6, 4));
}

}  // namespace
}  // namespace transitions
