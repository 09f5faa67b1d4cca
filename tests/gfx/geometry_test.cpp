#include <gtest/gtest.h>

#include <climits>

#include "gfx/geometry.h"

namespace gfx {
namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndFlagsOverflow) {
  const struct {
    int a, b, c, expected;
  } cases[] = {// exact and plain rounding
               {6, 4, 3, 8},
               {1, 1, 3, 0},
               {2, 1, 3, 1},
               {5, 0, 3, 0},
               // halves go away from zero, whatever carries the sign
               {1, 1, 2, 1},
               {3, 1, 2, 2},
               {-1, 1, 2, -1},
               {-3, 1, 2, -2},
               {1, -1, 2, -1},
               {1, 1, -2, -1},
               {-1, -1, 2, 1},
               {-1, 1, -2, 1},
               {-5, 3, -2, 8},
               {-2, 1, 3, -1},
               {-1, 1, 3, 0},
               // the frame quantities' worked examples
               {1024, 33, 100, 338},
               {338, 768, 1024, 254},
               {300, 768, 400, 576},
               {1024, 4, 90, 46},
               {1024, 100, 90, 1138},
               {300, 300, 600, 150},
               // the product needs 64 bits
               {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
               {INT_MIN, INT_MIN, INT_MIN, INT_MIN},
               {100000, 100000, 1000, 10000000},
               {INT_MIN, 1, 1, INT_MIN},
               // a zero divisor or a result beyond 32 bits gives -1
               {7, 1, 0, -1},
               {0, 0, 0, -1},
               {INT_MAX, 2, 1, -1},
               {INT_MIN, -1, 1, -1},
               {INT_MIN, 2, 1, -1}};
  for (const auto &t : cases)
    EXPECT_EQ(MulDiv(t.a, t.b, t.c), t.expected) << t.a << " * " << t.b << " / " << t.c;
}

TEST(RectTest, RightAndBottomEdgesAreExclusiveAndMirroredRectanglesEmpty) {
  const Rect r = Rect::fromXYWH(2, 3, 4, 5);
  EXPECT_TRUE(r.contains({2, 3}));
  EXPECT_TRUE(r.contains({5, 7}));
  EXPECT_FALSE(r.contains({6, 7}));
  EXPECT_FALSE(r.contains({5, 8}));
  const Rect mirrored{10, 0, 0, 10};
  EXPECT_TRUE(mirrored.empty());
  EXPECT_FALSE(mirrored.contains({5, 5}));
  EXPECT_EQ((Rect{0, 0, 5, 5}.intersected({5, 0, 10, 5})), Rect{});
  EXPECT_EQ((Rect{0, 0, 5, 5}.intersected({2, 3, 10, 4})), (Rect{2, 3, 5, 4}));
}

}  // namespace
}  // namespace gfx
