// Every rectangle style through the frame step, on pictures of awkward sizes.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "frames.h"
#include "transitions/catalogue.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace transitions {
namespace {

using namespace transitions_test;

// Every pixel outside `rects` still shows the old picture in its place, and
// every pixel inside the old picture's own or one of the new picture's.
testing::AssertionResult onlyInside(const gfx::Bitmap &screen,
                                    const std::vector<gfx::Rect> &rects) {
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x) {
      const Origin o = at(screen, x, y);
      const bool inside = std::ranges::any_of(rects, [&](gfx::Rect r) {
        return r.contains({x, y});
      });
      if (o == oldAt(x, y) || (inside && o.isNew && o.x < screen.width() && o.y < screen.height()))
        continue;
      return testing::AssertionFailure() << "stray pixel at " << x << "," << y;
    }
  return testing::AssertionSuccess();
}

class EveryRectangleStyle : public testing::TestWithParam<int> {};

// On every frame, forward and in reverse at every speed, nothing changes
// outside the presented rectangles, which lie inside the picture, and the
// row padding stays. Only the copies before the main one may show the new
// picture at 0, also as the last frame in reverse; the whole new picture is
// presented at 100. Odd widths leave padding at the ends of the rows, a
// width of 32 none; the tiny sizes make every half and twentieth round to zero.
TEST_P(EveryRectangleStyle, ChangesOnlyThePresentedRectangles) {
  const int style = GetParam();
  vantor::RandomSource random;
  for (gfx::Size size : {gfx::Size{37, 23}, gfx::Size{23, 37}, gfx::Size{32, 20}, gfx::Size{1, 1},
                         gfx::Size{2, 3}}) {
    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
    const gfx::Bitmap oldPicture = picture(size.width, size.height, false);
    const gfx::Bitmap newPicture = picture(size.width, size.height, true);
    gfx::Bitmap screen(size.width, size.height);
    fillPadding(screen);
    DrawnRects before;
    drawCopies(screen, newPicture, rectangleCopies(style, EffectExtents(newPicture.rect(), 4, 0)),
               0, &before);
    const std::vector<gfx::Rect> beforeMain(before.begin(), before.end() - 1);
    auto frame = [&](int progress, int step) {
      const FrameResult r =
          drawFrame(screen, oldPicture, newPicture, style, step, progress, random);
      EXPECT_EQ(r.progress, progress);
      for (const gfx::Rect &d : r.dirty) EXPECT_EQ(d.intersected(newPicture.rect()), d);
      EXPECT_TRUE(paddingIntact(screen));
      return r;
    };
    for (int progress : {0, 1, 17, 33, 50, 66, 99}) {
      const FrameResult r = frame(progress, 4);
      ASSERT_TRUE(onlyInside(screen, progress == 0 ? beforeMain : r.dirty)) << progress;
    }
    EXPECT_EQ(frame(100, 4).dirty, (std::vector<gfx::Rect>{newPicture.rect()}));
    EXPECT_TRUE(equalPixels(screen, newPicture));
    for (int setting = 1; setting <= 5; ++setting) {
      const int step = speedForSetting(setting)->step;
      for (int progress : progressSequence(step, true))
        ASSERT_TRUE(onlyInside(screen, frame(progress, step).dirty))
            << setting << " at " << progress;
    }
  }
}

std::vector<int> rectangleStyles() {
  std::vector<int> styles;
  for (const Effect &e : effects())
    if (drawsCopies(e.family)) styles.push_back(e.number);
  return styles;
}

INSTANTIATE_TEST_SUITE_P(Styles, EveryRectangleStyle, testing::ValuesIn(rectangleStyles()),
                         [](const testing::TestParamInfo<int> &info) {
                           return "Style" + std::to_string(info.param);
                         });

// Style 0 ends at once; numbers outside the catalogue show the old picture
// until 100; Progress above 100 is 100; every frame starts from the old
// picture, whatever the screen held.
TEST(FrameStep, SpecialStylesAndProgress) {
  const gfx::Bitmap oldPicture = picture(37, 23, false), newPicture = picture(37, 23, true);
  gfx::Bitmap screen = newPicture;
  vantor::RandomSource random;
  const struct {
    int style, progress, endsAt;
    bool showsNew;
  } cases[] = {{0, 4, 100, true},     {151, 50, 50, false},   {-3, 50, 50, false},
               {1000, 50, 50, false}, {1000, 100, 100, true}, {5, 200, 100, true},
               {5, 0, 0, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "style " << c.style << " at " << c.progress);
    const FrameResult r = drawFrame(screen, oldPicture, newPicture, c.style, 4, c.progress, random);
    EXPECT_EQ(r.progress, c.endsAt);
    EXPECT_TRUE(equalPixels(screen, c.showsNew ? newPicture : oldPicture));
    if (c.style != 5) {
      EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{newPicture.rect()}));
    }
  }
}

}  // namespace
}  // namespace transitions
