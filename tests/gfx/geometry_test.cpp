#include <gtest/gtest.h>

#include <ostream>

#include <climits>

#include "gfx/geometry.h"

namespace gfx {
namespace {

struct MulDivCase {
  int a, b, c, expected;
};

void PrintTo(const MulDivCase &t, std::ostream *os) {
  *os << t.a << " * " << t.b << " / " << t.c << " = " << t.expected;
}

class MulDivTest : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTest, RoundsHalvesAwayFromZero) {
  const MulDivCase &t = GetParam();
  EXPECT_EQ(MulDiv(t.a, t.b, t.c), t.expected) << t.a << " * " << t.b << " / " << t.c;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MulDivTest,
    ::testing::Values(
        // exact and plain rounding
        MulDivCase{6, 4, 3, 8}, MulDivCase{1, 1, 3, 0}, MulDivCase{2, 1, 3, 1},
        MulDivCase{5, 0, 3, 0},
        // halves go away from zero, whatever carries the sign
        MulDivCase{1, 1, 2, 1}, MulDivCase{3, 1, 2, 2}, MulDivCase{-1, 1, 2, -1},
        MulDivCase{-3, 1, 2, -2}, MulDivCase{1, -1, 2, -1}, MulDivCase{1, 1, -2, -1},
        MulDivCase{-1, -1, 2, 1}, MulDivCase{-1, 1, -2, 1}, MulDivCase{-5, 3, -2, 8},
        MulDivCase{-2, 1, 3, -1}, MulDivCase{-1, 1, 3, 0},
        // the frame quantities' worked examples
        MulDivCase{1024, 33, 100, 338}, MulDivCase{338, 768, 1024, 254},
        MulDivCase{300, 768, 400, 576}, MulDivCase{1024, 4, 90, 46},
        MulDivCase{1024, 100, 90, 1138}, MulDivCase{300, 300, 600, 150},
        // the product needs 64 bits
        MulDivCase{INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        MulDivCase{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, MulDivCase{100000, 100000, 1000, 10000000},
        MulDivCase{INT_MIN, 1, 1, INT_MIN},
        // a zero divisor or a result beyond 32 bits gives -1
        MulDivCase{7, 1, 0, -1}, MulDivCase{0, 0, 0, -1}, MulDivCase{INT_MAX, 2, 1, -1},
        MulDivCase{INT_MIN, -1, 1, -1}, MulDivCase{INT_MIN, 2, 1, -1}));

TEST(RectTest, IntersectionOfDisjointRectanglesIsEmpty) {
  EXPECT_EQ((Rect{0, 0, 5, 5}.intersected({5, 0, 10, 5})), Rect{});
  EXPECT_EQ((Rect{0, 0, 5, 5}.intersected({2, 3, 10, 4})), (Rect{2, 3, 5, 4}));
}

TEST(RectTest, MirroredRectangleIsEmptyAndContainsNothing) {
  const Rect r{10, 0, 0, 10};
  EXPECT_TRUE(r.empty());
  EXPECT_FALSE(r.contains({5, 5}));
}

TEST(RectTest, RightAndBottomEdgesAreExclusive) {
  const Rect r = Rect::fromXYWH(2, 3, 4, 5);
  EXPECT_TRUE(r.contains({2, 3}));
  EXPECT_TRUE(r.contains({5, 7}));
  EXPECT_FALSE(r.contains({6, 7}));
  EXPECT_FALSE(r.contains({5, 8}));
}

}  // namespace
}  // namespace gfx
