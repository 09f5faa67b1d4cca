#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "gfx/region.h"
#include "region_reference.h"

namespace gfx {
namespace {

using Points = std::vector<Point>;

// Compares every pixel of `area` (and a margin) with the reference rule.
template <class Inside>
void expectPixels(const Region &r, Rect area, Inside inside) {
  for (int y = area.top - 2; y < area.bottom + 2; ++y)
    for (int x = area.left - 2; x < area.right + 2; ++x)
      ASSERT_EQ(r.contains(x, y), inside(x, y)) << "pixel " << x << "," << y;
}

// Pixels whose centres lie inside, whichever way round the outline runs.
TEST(PolygonRegionTest, SmallOutlinesCoverThePixelsWhoseCentresLieInside) {
  EXPECT_EQ(Region::polygon(Points{{2, 3}, {9, 3}, {9, 8}, {2, 8}}), Region(Rect{2, 3, 9, 8}));
  EXPECT_EQ(Region::polygon(Points{{2, 3}, {2, 8}, {9, 8}, {9, 3}}, FillRule::Alternate),
            Region(Rect{2, 3, 9, 8}));
  EXPECT_EQ(Region::polygon(Points{{0, 0}, {4, 0}, {0, 4}}).rects(),
            (std::vector<Rect>{{0, 0, 3, 1}, {0, 1, 2, 2}, {0, 2, 1, 3}}));
  const Points cw{{3, 1}, {40, 9}, {12, 33}}, ccw{{12, 33}, {40, 9}, {3, 1}};
  EXPECT_EQ(Region::polygon(cw), Region::polygon(ccw));
  EXPECT_EQ(Region::polygon(cw, FillRule::Alternate), Region::polygon(cw));
  // A star's centre is filled only by the winding rule.
  const Points star{{50, 0}, {79, 90}, {2, 34}, {98, 34}, {21, 90}};
  EXPECT_TRUE(Region::polygon(star, FillRule::Winding).contains(50, 50));
  EXPECT_FALSE(Region::polygon(star, FillRule::Alternate).contains(50, 50));
  EXPECT_TRUE(Region::polygon(star, FillRule::Alternate).contains(50, 10));
}

TEST(PolygonRegionTest, TrianglesSharingTheDiagonalTileThePicture) {
  // The diagonal reveal at half way: its triangle ends exactly on the
  // diagonal, and the other half of the picture is its complement.
  const Rect picture{0, 0, 1024, 768};
  const Region a = Region::polygon(Points{{0, 0}, {1024, 0}, {0, 768}});
  const Region b = Region::polygon(Points{{1024, 0}, {1024, 768}, {0, 768}});
  EXPECT_TRUE(a.intersected(b).empty());
  EXPECT_EQ(a.united(b), Region(picture));
  EXPECT_EQ(a.area(), 1024 * 768 / 2);
}

// Degenerate outlines (legs of length 0, as the triangular shred has at the
// start) cover nothing; far-away vertices are clamped, not overflowed.
TEST(PolygonRegionTest, DegenerateAndFarAwayOutlines) {
  for (const Points &p : {Points{}, Points{{0, 0}, {5, 5}}, Points{{0, 0}, {5, 5}, {10, 10}},
                          Points{{0, 0}, {10, 0}, {20, 0}}, Points{{7, 7}, {7, 7}, {7, 7}}})
    EXPECT_TRUE(Region::polygon(p).empty()) << p.size();
  const Region r = Region::polygon(Points{{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {0, INT_MAX}});
  EXPECT_TRUE(r.contains(0, 0));
  EXPECT_EQ(r.bounds().top, -Region::kLimit);
  EXPECT_EQ(r.bounds().bottom, Region::kLimit);
}

// Random polygons under both fill rules, ellipses and rounded rectangles
// (their rectangles mirrored or empty too) against the per-pixel rules.
TEST(ShapeRegionTest, RandomShapesMatchThePerPixelRule) {
  std::mt19937 rng(11);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 300; ++round) {
    Points pts(size_t(pick(3, 8)));
    for (Point &p : pts) p = {pick(-5, 30), pick(-5, 30)};
    const FillRule rule = round % 2 ? FillRule::Winding : FillRule::Alternate;
    const Rect b{pick(-5, 30), pick(-5, 30), pick(-5, 30), pick(-5, 30)};
    const int w = pick(-2, 40), h = pick(-2, 40);
    SCOPED_TRACE(::testing::Message() << "round " << round << " w " << w << " h " << h);
    expectPixels(Region::polygon(pts, rule), {-5, -5, 30, 30},
                 [&](int x, int y) { return reference::polygonContains(pts, rule, x, y); });
    expectPixels(Region::ellipse(b), {-5, -5, 30, 30},
                 [&](int x, int y) { return reference::ellipseContains(b, x, y); });
    expectPixels(Region::roundRect(b, w, h), {-5, -5, 30, 30},
                 [&](int x, int y) { return reference::roundRectContains(b, w, h, x, y); });
  }
}

TEST(EllipseRegionTest, StaysInsideItsRectangleAndIsSymmetric) {
  const Region r = Region::ellipse({0, 0, 10, 10});
  EXPECT_EQ(r.bounds(), (Rect{0, 0, 10, 10}));
  EXPECT_EQ(r.rects().front(), (Rect{3, 0, 7, 1}));
  EXPECT_TRUE(r.contains(5, 5));
  expectPixels(r, {0, 0, 10, 10}, [](int x, int y) {  // symmetric both ways
    return reference::ellipseContains({0, 0, 10, 10}, x, y);
  });
  // A mirrored rectangle is normalised, an empty one gives nothing.
  EXPECT_EQ(Region::ellipse({10, 8, 0, 0}), Region::ellipse({0, 0, 10, 8}));
  EXPECT_TRUE(Region::ellipse({5, 5, 5, 20}).empty());
  EXPECT_TRUE(Region::ellipse({}).empty());
  EXPECT_EQ(Region::ellipse({0, 0, 1, 1}), Region(Rect{0, 0, 1, 1}));
}

// No corner ellipse gives the plain rectangle, one as large as the
// rectangle (or larger) the ellipse; between them the sides stay whole.
TEST(RoundRectRegionTest, CornerEllipsesFromNoneToTheWholeRectangle) {
  EXPECT_EQ(Region::roundRect({1, 2, 9, 7}, 0, 5), Region(Rect{1, 2, 9, 7}));
  EXPECT_EQ(Region::roundRect({1, 2, 9, 7}, 5, -3), Region(Rect{1, 2, 9, 7}));
  EXPECT_EQ(Region::roundRect({0, 0, 40, 20}, 40, 20), Region::ellipse({0, 0, 40, 20}));
  EXPECT_EQ(Region::roundRect({0, 0, 40, 20}, 400, 2000), Region::ellipse({0, 0, 40, 20}));
  const Region r = Region::roundRect({0, 0, 40, 20}, 10, 8);
  EXPECT_EQ(r.bounds(), (Rect{0, 0, 40, 20}));
  for (auto [x, y, in] :
       {std::tuple{0, 0, false}, {39, 19, false}, {20, 0, true}, {0, 10, true}, {39, 10, true}})
    EXPECT_EQ(r.contains(x, y), in) << x << "," << y;
}

TEST(RoundRectRegionTest, CurvedRevealFromLeftHasACurvedFront) {
  // Half way on 1024 x 768: the shape reaches x = 1024 only at mid height,
  // and its front bends back toward the top and bottom symmetrically.
  const Region r = Region::roundRect({-2048, -5, 1024, 773}, 2048, 2048);
  auto rowEnd = [&](int y) {
    int x = 1023;
    while (x > -2048 && !r.contains(x, y)) --x;
    return x + 1;
  };
  EXPECT_EQ(rowEnd(383), 1024);
  EXPECT_LT(rowEnd(0), 300);
  for (int y = 0; y < 384; y += 37) EXPECT_EQ(rowEnd(y), rowEnd(767 - y)) << y;
  EXPECT_LT(rowEnd(100), rowEnd(200));
}

}  // namespace
}  // namespace gfx
