#include <gtest/gtest.h>

#include <ostream>
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

struct OpCase {
  const char *name;
  Rects a, b;
  Rects united, intersected, xored, subtracted;
};

void PrintTo(const OpCase &c, std::ostream *os) {
  *os << c.name;
}

class RegionOpTest : public ::testing::TestWithParam<OpCase> {};

TEST_P(RegionOpTest, CombinesIntoTheExpectedRectangles) {
  const OpCase &c = GetParam();
  const Region a = fromList(c.a), b = fromList(c.b);
  EXPECT_EQ(a.united(b).rects(), c.united);
  EXPECT_EQ(a.intersected(b).rects(), c.intersected);
  EXPECT_EQ(a.xored(b).rects(), c.xored);
  EXPECT_EQ(a.subtracted(b).rects(), c.subtracted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegionOpTest,
    ::testing::Values(OpCase{"overlapping",
                             {{0, 0, 4, 4}},
                             {{2, 2, 6, 6}},
                             {{0, 0, 4, 2}, {0, 2, 6, 4}, {2, 4, 6, 6}},
                             {{2, 2, 4, 4}},
                             {{0, 0, 4, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}, {2, 4, 6, 6}},
                             {{0, 0, 4, 2}, {0, 2, 2, 4}}},
                      OpCase{"touching side by side",
                             {{0, 0, 2, 2}},
                             {{2, 0, 4, 2}},
                             {{0, 0, 4, 2}},
                             {},
                             {{0, 0, 4, 2}},
                             {{0, 0, 2, 2}}},
                      OpCase{"stacked",
                             {{0, 0, 3, 2}},
                             {{0, 2, 3, 5}},
                             {{0, 0, 3, 5}},
                             {},
                             {{0, 0, 3, 5}},
                             {{0, 0, 3, 2}}},
                      OpCase{"disjoint",
                             {{0, 0, 1, 1}},
                             {{5, 5, 6, 6}},
                             {{0, 0, 1, 1}, {5, 5, 6, 6}},
                             {},
                             {{0, 0, 1, 1}, {5, 5, 6, 6}},
                             {{0, 0, 1, 1}}},
                      OpCase{"hole",
                             {{0, 0, 6, 6}},
                             {{2, 2, 4, 4}},
                             {{0, 0, 6, 6}},
                             {{2, 2, 4, 4}},
                             {{0, 0, 6, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}, {0, 4, 6, 6}},
                             {{0, 0, 6, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}, {0, 4, 6, 6}}},
                      OpCase{"with nothing",
                             {{1, 1, 3, 3}},
                             {},
                             {{1, 1, 3, 3}},
                             {},
                             {{1, 1, 3, 3}},
                             {{1, 1, 3, 3}}}),
    [](const auto &info) {
      std::string n = info.param.name;
      for (char &ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

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

TEST(RegionTest, TranslationMovesEveryPixel) {
  const Region a = fromList({{0, 0, 2, 2}, {4, 1, 6, 3}});
  const Region b = a.translated(-3, 10);
  EXPECT_EQ(b.bounds(), (Rect{-3, 10, 3, 13}));
  EXPECT_EQ(b, fromList({{-3, 10, -1, 12}, {1, 11, 3, 13}}));
  Region c = a;
  c.translate(3, -10);
  EXPECT_EQ(c.translated(-3, 10), a);
}

TEST(RegionTest, CoordinatesBeyondTheLimitAreCutOff) {
  const int k = Region::kLimit;
  const Region huge(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
  EXPECT_EQ(huge.bounds(), (Rect{-k, -k, k, k}));
  const Region moved = Region(Rect{0, 0, 10, 10}).translated(k - 5, 0);
  EXPECT_EQ(moved.bounds(), (Rect{k - 5, 0, k, 10}));
  EXPECT_TRUE(Region(Rect{0, 0, 10, 10}).translated(INT_MAX, INT_MIN).empty());
  EXPECT_TRUE(Region(Rect{0, 0, 10, 10}).translated(INT_MIN, 0).empty());
}

TEST(RegionTest, ContainsFindsPixelsAmongManyBands) {
  std::vector<Rect> rs;
  for (int i = 0; i < 50; ++i) rs.push_back(Rect::fromXYWH(i * 3, i * 2, 2, 1));
  const Region r = Region::fromRects(rs);
  EXPECT_EQ(r.bandCount(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(r.contains(i * 3 + 1, i * 2));
    EXPECT_FALSE(r.contains(i * 3 + 2, i * 2));
    EXPECT_FALSE(r.contains(i * 3, i * 2 + 1));
  }
}

TEST(RegionBuilderTest, ManyRectanglesGiveTheUnionOfThemAll) {
  std::mt19937 rng(3);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 200; ++round) {
    std::vector<Rect> rs;
    for (int i = pick(0, 30); i > 0; --i)
      rs.push_back({pick(-5, 40), pick(-5, 40), pick(-5, 40), pick(-5, 40)});
    Region one;
    for (const Rect &x : rs) one |= Region(x);
    const Region all = Region::fromRects(rs);
    ASSERT_EQ(all, one) << "round " << round;
    for (int y = -6; y < 41; ++y)
      for (int x = -6; x < 41; ++x) {
        bool in = false;
        for (const Rect &q : rs) in = in || q.contains({x, y});
        ASSERT_EQ(all.contains(x, y), in) << x << "," << y << " round " << round;
      }
  }
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
