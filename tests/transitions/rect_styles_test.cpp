// The rectangle styles' geometry and the pixels it puts on a 1024 x 768
// screen, at the frames where the copies are known exactly.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pictures.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"
#include "transitions/mirror_copy.h"

namespace transitions {
namespace {

using namespace transitions_test;

constexpr gfx::Rect k1024{0, 0, 1024, 768};

Extents at(const gfx::Rect &bounds, int progress) {
  return EffectExtents(bounds, 4, progress);
}

std::vector<Copy> copiesOf(int style, const Extents &e) {
  const CopyList list = rectangleCopies(style, e);
  return {list.begin(), list.end()};
}

class RectStyles : public testing::Test {
 protected:
  gfx::Bitmap oldPicture = picture(1024, 768, false);
  gfx::Bitmap newPicture = picture(1024, 768, true);
  gfx::Bitmap screen{1024, 768};
  vantor::RandomSource random;

  FrameResult frame(int style, int progress) {
    return drawFrame(screen, oldPicture, newPicture, style, 4, progress, random);
  }
  // The rectangles the routine itself reports, before any clipping.
  std::vector<gfx::Rect> reported(int style, int progress) {
    drawOldPicture(screen, oldPicture);
    DrawnRects drawn;
    drawCopies(screen, newPicture, rectangleCopies(style, at(k1024, progress)), progress, &drawn);
    return {drawn.begin(), drawn.end()};
  }
};

TEST_F(RectStyles, SlideInFromRightAtHalfWayShowsTheLeftHalfOfTheNewPicture) {
  EXPECT_EQ(copiesOf(3, at(k1024, 50)), (std::vector<Copy>{{{512, 0, 1536, 768}, k1024}}));
  frame(3, 50);
  EXPECT_EQ(transitions_test::at(screen, 511, 100), oldAt(511, 100));
  EXPECT_EQ(transitions_test::at(screen, 512, 100), newAt(0, 100));
  EXPECT_EQ(transitions_test::at(screen, 1023, 767), newAt(511, 767));
}

TEST_F(RectStyles, ExpandInToMiddleEnlargesTheMiddleHalfFourTimes) {
  EXPECT_EQ(copiesOf(9, at(k1024, 50)),
            (std::vector<Copy>{{{-512, 0, 1536, 768}, {256, 0, 768, 768}}}));
  frame(9, 50);
  // The visible half of the destination shows the middle of the source.
  std::vector<int> uses(1024, 0);
  for (int x = 0; x < 1024; ++x) {
    const Origin o = transitions_test::at(screen, x, 300);
    ASSERT_TRUE(o.isNew) << x;
    ASSERT_GE(o.x, 384) << x;
    ASSERT_LT(o.x, 640) << x;
    ++uses[size_t(o.x)];
  }
  for (int sx = 384; sx < 640; ++sx) EXPECT_EQ(uses[size_t(sx)], 4) << sx;
}

TEST_F(RectStyles, UnrollFromLeftAtHalfWayCarriesTheMirroredRoll) {
  // F = 204, so R = 102 and T = 614; the roll shows x 614..716 mirrored.
  EXPECT_EQ(copiesOf(14, at(k1024, 50)),
            (std::vector<Copy>{{{512, 0, 614, 768}, {614, 0, 716, 768}, true, false},
                               {{0, 0, 512, 768}, {0, 0, 512, 768}}}));
  // The mirrored copy widens its destination by one column each way.
  EXPECT_EQ(reported(14, 50), (std::vector<gfx::Rect>{{511, 0, 615, 768}, {0, 0, 512, 768}}));
  frame(14, 50);
  EXPECT_EQ(transitions_test::at(screen, 511, 9), newAt(511, 9));
  EXPECT_EQ(transitions_test::at(screen, 615, 9), oldAt(615, 9));
  int previous = 716;
  for (int x = 512; x <= 614; ++x) {
    const Origin o = transitions_test::at(screen, x, 9);
    ASSERT_TRUE(o.isNew) << x;
    ASSERT_EQ(o.y, 9);
    ASSERT_GE(o.x, 614) << x;
    ASSERT_LE(o.x, previous) << x;  // reversed: the source runs right to left
    previous = o.x;
  }
  EXPECT_GE(transitions_test::at(screen, 512, 9).x, 713);
  EXPECT_LE(transitions_test::at(screen, 614, 9).x, 616);
}

TEST_F(RectStyles, UnrollFromLeftRollNearStartAndEnd) {
  // X = 100: R = X div 2 = 50; X = 900: R = (1024 - 900) div 2 = 62.
  const Extents start{1024, 768, 100, 75, 46}, end{1024, 768, 900, 675, 46};
  EXPECT_EQ(rectangleCopies(14, start).items[0].dest, (gfx::Rect{100, 0, 150, 768}));
  EXPECT_EQ(rectangleCopies(14, start).items[0].source, (gfx::Rect{150, 0, 200, 768}));
  EXPECT_EQ(rectangleCopies(14, end).items[0].dest, (gfx::Rect{900, 0, 962, 768}));
  EXPECT_EQ(rectangleCopies(14, end).items[0].source, (gfx::Rect{962, 0, 1024, 768}));
}

TEST_F(RectStyles, BuildUpFromRightAtZeroStretchesA51PixelBand) {
  const CopyList copies = rectangleCopies(16, at(k1024, 0));
  EXPECT_EQ(copies.main().dest, k1024);
  EXPECT_EQ(copies.main().source, (gfx::Rect{0, 0, 51, 768}));
  // Drawn as if under way, the band covers the whole width.
  drawOldPicture(screen, oldPicture);
  drawCopies(screen, newPicture, copies, 50, nullptr);
  for (int x = 0; x < 1024; x += 7) {
    const Origin o = transitions_test::at(screen, x, 400);
    ASSERT_TRUE(o.isNew);
    ASSERT_LT(o.x, 51);
  }
  EXPECT_EQ(transitions_test::at(screen, 0, 400), newAt(0, 400));
  EXPECT_EQ(transitions_test::at(screen, 1023, 400), newAt(50, 400));
}

TEST_F(RectStyles, RevealInFromSidesShowsOneColumnAtProgressZero) {
  const FrameResult r = frame(12, 0);
  EXPECT_EQ(transitions_test::at(screen, 0, 5), newAt(0, 5));
  EXPECT_EQ(transitions_test::at(screen, 1, 5), oldAt(1, 5));
  EXPECT_EQ(transitions_test::at(screen, 1023, 5), oldAt(1023, 5));  // main copy left out
  EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{{0, 0, 1, 768}, {1023, 0, 1024, 768}}));
}

TEST_F(RectStyles, SlideInFromTopAndBottomShowsOneRowAtProgressZero) {
  const FrameResult r = frame(29, 0);
  EXPECT_EQ(transitions_test::at(screen, 5, 0), newAt(5, 0));
  EXPECT_EQ(transitions_test::at(screen, 5, 1), oldAt(5, 1));
  EXPECT_EQ(transitions_test::at(screen, 5, 767), oldAt(5, 767));
  EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{{0, 0, 1024, 1}, {0, 767, 1024, 768}}));
}

TEST_F(RectStyles, QuartersRevealAndExpandPlaceTheRightQuartersDifferently) {
  frame(55, 50);
  EXPECT_EQ(transitions_test::at(screen, 767, 0), newAt(767, 0));
  EXPECT_EQ(transitions_test::at(screen, 766, 0), oldAt(766, 0));
  frame(56, 50);
  EXPECT_EQ(transitions_test::at(screen, 767, 0), oldAt(767, 0));
  EXPECT_TRUE(transitions_test::at(screen, 768, 0).isNew);
  EXPECT_EQ(rectangleCopies(55, at(k1024, 50)).main().dest, (gfx::Rect{767, 0, 1024, 193}));
  EXPECT_EQ(rectangleCopies(56, at(k1024, 50)).main().dest, (gfx::Rect{768, 0, 1024, 193}));
}

TEST_F(RectStyles, OddWidthExpandOutFromMiddleIsEmptyAtZero) {
  const gfx::Rect bounds{0, 0, 1023, 768};
  const CopyList copies = rectangleCopies(10, at(bounds, 0));
  EXPECT_EQ(copies.main().dest, (gfx::Rect{511, 0, 511, 768}));
  gfx::Bitmap oldOdd = picture(1023, 768, false), newOdd = picture(1023, 768, true);
  gfx::Bitmap before = oldOdd;
  drawCopies(oldOdd, newOdd, copies, 50, nullptr);  // even when under way
  EXPECT_EQ(std::memcmp(before.data(), oldOdd.data(), before.byteCount()), 0);
  gfx::Bitmap screenOdd(1023, 768);
  EXPECT_TRUE(drawFrame(screenOdd, oldOdd, newOdd, 10, 4, 0, random).dirty.empty());
}

TEST_F(RectStyles, QuartersSlideInMakesTheFourCopiesAsListed) {
  EXPECT_EQ(copiesOf(57, at(k1024, 50)), (std::vector<Copy>{
                                             {{-256, 0, 257, 385}, {0, 0, 513, 385}},
                                             {{511, -192, 1024, 193}, {511, 0, 1024, 385}},
                                             {{768, 383, 1280, 768}, {513, 383, 1024, 768}},
                                             {{0, 576, 513, 960}, {0, 385, 513, 768}},
                                         }));
  EXPECT_EQ(
      reported(57, 50),
      (std::vector<gfx::Rect>{
          {-256, 0, 257, 385}, {511, -192, 1024, 193}, {768, 383, 1280, 768}, {0, 576, 513, 960}}));
  const FrameResult r = frame(57, 50);
  EXPECT_EQ(r.dirty,
            (std::vector<gfx::Rect>{
                {0, 0, 257, 385}, {511, 0, 1024, 193}, {768, 383, 1024, 768}, {0, 576, 513, 768}}));
  // Copy 1 slides the top-left quarter in from the left, unscaled.
  EXPECT_EQ(transitions_test::at(screen, 0, 0), newAt(256, 0));
  EXPECT_EQ(transitions_test::at(screen, 256, 384), newAt(512, 384));
  EXPECT_EQ(transitions_test::at(screen, 257, 0), oldAt(257, 0));
  // Copy 2 slides the top-right quarter down from the top, unscaled.
  EXPECT_EQ(transitions_test::at(screen, 511, 0), newAt(511, 192));
  EXPECT_EQ(transitions_test::at(screen, 1023, 192), newAt(1023, 384));
  EXPECT_EQ(transitions_test::at(screen, 1023, 193), oldAt(1023, 193));
  // Copy 3 comes in from the right: 511 source columns over 512.
  EXPECT_EQ(transitions_test::at(screen, 767, 500), oldAt(767, 500));
  EXPECT_TRUE(transitions_test::at(screen, 768, 500).isNew);
  EXPECT_EQ(transitions_test::at(screen, 768, 500).y, 500);
  // The main copy rises from the bottom: 383 source rows over 384.
  EXPECT_EQ(transitions_test::at(screen, 0, 575), oldAt(0, 575));
  const Origin main = transitions_test::at(screen, 300, 576);
  EXPECT_TRUE(main.isNew);
  EXPECT_EQ(main.x, 300);
  EXPECT_EQ(main.y, 385);
}

TEST(MirrorCopy, ReversesBothAxesAndClipsTheSource) {
  gfx::Bitmap canvas = picture(8, 6, false);
  const gfx::Bitmap source = picture(8, 6, true);
  // Destination 2..5 x 1..3, widened to 1..6 x 0..4; source rows 4..7 clip to 4..6.
  const gfx::Rect drawn = MirrorCopy(canvas, {2, 1, 5, 3}, source, {0, 4, 5, 8}, true, true);
  EXPECT_EQ(drawn, (gfx::Rect{1, 0, 6, 4}));
  EXPECT_EQ(transitions_test::at(canvas, 1, 0), newAt(4, 5));
  EXPECT_EQ(transitions_test::at(canvas, 5, 3), newAt(0, 4));
  EXPECT_EQ(transitions_test::at(canvas, 0, 0), oldAt(0, 0));
  EXPECT_EQ(transitions_test::at(canvas, 6, 4), oldAt(6, 4));
}

}  // namespace
}  // namespace transitions
