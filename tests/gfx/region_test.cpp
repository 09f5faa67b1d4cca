#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "gfx/region.h"

namespace gfx {
namespace {

using Rects = std::vector<Rect>;

Region fromList(const Rects &rs) {
  Region r;
  for (const Rect &x : rs) r |= Region(x);
  return r;
}

TEST(RegionTest, RectangleCoversLeftAndTopButNotRightAndBottom) {
  const Region r(Rect{2, 3, 5, 7});
  EXPECT_EQ(r.bounds(), (Rect{2, 3, 5, 7}));
  EXPECT_EQ(r.area(), 12);
  for (auto [x, y, in] :
       {std::tuple{2, 3, true}, {4, 6, true}, {5, 6, false}, {4, 7, false}, {1, 3, false}})
    EXPECT_EQ(r.contains(x, y), in) << x << "," << y;
  // Empty and mirrored rectangles cover nothing.
  for (const Rect &x : Rects{{0, 0, 0, 5}, {5, 0, 0, 5}, {0, 5, 5, 0}, {}}) {
    EXPECT_TRUE(Region(x).empty());
    EXPECT_EQ(Region(x).bounds(), Rect{});
    EXPECT_FALSE(Region(x).contains(0, 0));
  }
}

// Touching rectangles merge; what one row band holds is cut at the edges
// of the other's.
TEST(RegionTest, CombinationsAreBandsOfSortedRectangles) {
  const Region a(Rect{0, 0, 4, 4}), b(Rect{2, 2, 6, 6});
  EXPECT_EQ(a.united(b).rects(), (Rects{{0, 0, 4, 2}, {0, 2, 6, 4}, {2, 4, 6, 6}}));
  EXPECT_EQ(a.xored(b).rects(), (Rects{{0, 0, 4, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}, {2, 4, 6, 6}}));
  EXPECT_EQ(a.subtracted(b).rects(), (Rects{{0, 0, 4, 2}, {0, 2, 2, 4}}));
  EXPECT_EQ(a.intersected(b).rects(), (Rects{{2, 2, 4, 4}}));
  EXPECT_EQ(fromList({{0, 0, 2, 2}, {2, 0, 4, 2}}).rects(), (Rects{{0, 0, 4, 2}}));
  EXPECT_EQ(fromList({{0, 0, 3, 2}, {0, 2, 3, 5}}).rects(), (Rects{{0, 0, 3, 5}}));
  const Region hole = Region(Rect{0, 0, 6, 6}).subtracted(Region(Rect{2, 2, 4, 4}));
  EXPECT_EQ(hole.rects(), (Rects{{0, 0, 6, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}, {0, 4, 6, 6}}));
}

// Random lists of rectangles, built at once and one by one, against the
// per-pixel rule for every operation.
TEST(RegionTest, OperationsAndBuildsMatchThePerPixelRule) {
  std::mt19937 rng(3);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto randomRects = [&](int most) {
    Rects rs;
    for (int i = pick(0, most); i > 0; --i)
      rs.push_back({pick(-5, 40), pick(-5, 40), pick(-5, 40), pick(-5, 40)});
    return rs;
  };
  auto inAny = [](const Rects &rs, int x, int y) {
    return std::ranges::any_of(rs, [&](const Rect &q) { return q.contains({x, y}); });
  };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    const Rects ra = randomRects(30), rb = randomRects(4);
    const Region a = Region::fromRects(ra), b = fromList(rb);
    ASSERT_EQ(a, fromList(ra));
    const Region u = a.united(b), i = a.intersected(b), x = a.xored(b), d = a.subtracted(b);
    int64_t area = 0;
    for (int py = -6; py < 41; ++py)
      for (int px = -6; px < 41; ++px) {
        const bool inA = inAny(ra, px, py), inB = inAny(rb, px, py);
        area += inA;
        ASSERT_EQ(a.contains(px, py), inA) << px << "," << py;
        ASSERT_EQ(u.contains(px, py), inA || inB) << px << "," << py;
        ASSERT_EQ(i.contains(px, py), inA && inB) << px << "," << py;
        ASSERT_EQ(x.contains(px, py), inA != inB) << px << "," << py;
        ASSERT_EQ(d.contains(px, py), inA && !inB) << px << "," << py;
      }
    ASSERT_EQ(a.area(), area);
  }
}

// Equal sets compare equal however they were built, merged into one band
// where their rows agree.
TEST(RegionTest, SameSetBuiltDifferentlyComparesEqual) {
  const Region a = fromList({{0, 0, 2, 4}, {2, 0, 4, 4}});
  EXPECT_EQ(a, fromList({{0, 0, 4, 1}, {0, 3, 4, 4}, {0, 1, 4, 3}}));
  EXPECT_EQ(a, Region(Rect{0, 0, 4, 4}));
  EXPECT_EQ(a.bandCount(), 1u);
  EXPECT_FALSE(a == Region(Rect{0, 0, 4, 5}));
  // Squares twice the pitch wide about grid points overlap into one area.
  std::vector<Rect> grid;
  for (int x = 0; x < 100; x += 10)
    for (int y = 0; y < 60; y += 10) grid.push_back({x - 10, y - 10, x + 10, y + 10});
  EXPECT_EQ(Region::fromRects(grid), Region(Rect{-10, -10, 100, 60}));
  const Region b = fromList({{0, 0, 5, 5}, {3, 3, 9, 9}});
  EXPECT_TRUE(b.xored(b).empty());
  EXPECT_TRUE(b.subtracted(b).empty());
  EXPECT_EQ(b.intersected(b), b);
}

// Translation moves every pixel; coordinates beyond the limit are cut off.
TEST(RegionTest, TranslationMovesEveryPixelUpToTheLimit) {
  const Region a = fromList({{0, 0, 2, 2}, {4, 1, 6, 3}});
  EXPECT_EQ(a.translated(-3, 10), fromList({{-3, 10, -1, 12}, {1, 11, 3, 13}}));
  EXPECT_EQ(a.translated(-3, 10).bounds(), (Rect{-3, 10, 3, 13}));
  Region c = a;
  c.translate(3, -10);
  EXPECT_EQ(c.translated(-3, 10), a);
  const int k = Region::kLimit;
  EXPECT_EQ(Region(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}).bounds(), (Rect{-k, -k, k, k}));
  EXPECT_EQ(Region(Rect{0, 0, 10, 10}).translated(k - 5, 0).bounds(), (Rect{k - 5, 0, k, 10}));
  EXPECT_TRUE(Region(Rect{0, 0, 10, 10}).translated(INT_MAX, INT_MIN).empty());
  EXPECT_TRUE(Region(Rect{0, 0, 10, 10}).translated(INT_MIN, 0).empty());
}

TEST(RegionBuilderTest, ShapesAndRectanglesJoinInOneBuild) {
  const std::vector<Point> tri{{0, 0}, {20, 0}, {0, 20}};
  RegionBuilder b;
  EXPECT_TRUE(b.empty());
  b.addPolygon(tri);
  b.addRect({15, 15, 30, 30});
  b.addEllipse({10, 0, 30, 10});
  b.addRoundRect({0, 25, 10, 40}, 4, 4);
  const Region expected = Region::polygon(tri)
                              .united(Region(Rect{15, 15, 30, 30}))
                              .united(Region::ellipse({10, 0, 30, 10}))
                              .united(Region::roundRect({0, 25, 10, 40}, 4, 4));
  EXPECT_EQ(b.build(), expected);
  b.clear();
  EXPECT_TRUE(b.build().empty());
}

}  // namespace
}  // namespace gfx
