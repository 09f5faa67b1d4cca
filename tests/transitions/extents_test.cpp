#include <gtest/gtest.h>

#include "transitions/extents.h"

namespace transitions {
namespace {

TEST(Extents, DerivesTheFrameQuantities) {
  const struct {
    gfx::Rect bounds;
    int step, progress;
    Extents expected;
  } cases[] = {// A square picture takes the width rule: Y equals X.
               {{0, 0, 500, 500}, 4, 37, {500, 500, 185, 185, 22}},
               // Portrait: the height is computed first, the width scaled from it.
               {{0, 0, 300, 600}, 4, 50, {300, 600, 150, 300, 27}},
               // 337.92 rounds to 338; 253.5 rounds away from zero to 254.
               {{0, 0, 1024, 768}, 4, 33, {1024, 768, 338, 254, 46}},
               // A large Step makes L longer than the picture.
               {{0, 0, 1024, 768}, 100, 0, {1024, 768, 0, 0, 1138}},
               {{0, 0, 1024, 768}, 4, 100, {1024, 768, 1024, 768, 46}},
               // Only the size of the bounds counts, not where they lie.
               {{10, 20, 1034, 788}, 4, 33, {1024, 768, 338, 254, 46}},
               // An empty picture has no extents (not the -1 of a zero divisor).
               {{0, 0, 0, 0}, 4, 50, {0, 0, 0, 0, 0}},
               {{0, 0, 0, 5}, 4, 50, {0, 5, 0, 3, 0}},
               {{0, 0, 5, 0}, 4, 50, {5, 0, 3, 0, 0}}};
  for (const auto &c : cases)
    EXPECT_EQ(EffectExtents(c.bounds, c.step, c.progress), c.expected)
        << c.bounds.right << "x" << c.bounds.bottom << ", Step " << c.step << ", Progress "
        << c.progress;
}

}  // namespace
}  // namespace transitions
