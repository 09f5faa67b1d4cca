// Every rectangle style through the frame step, on pictures of awkward sizes.

#include <gtest/gtest.h>

#include <vector>

#include "frame_checks.h"
#include "pictures.h"
#include "transitions/catalogue.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace transitions {
namespace {

using namespace transitions_test;
using namespace frame_checks;

bool insideAny(const std::vector<gfx::Rect> &rects, gfx::Point p) {
  for (const gfx::Rect &r : rects)
    if (r.contains(p)) return true;
  return false;
}

// Every pixel outside `rects` still shows the old picture in its place.
testing::AssertionResult oldPictureOutside(const gfx::Bitmap &screen,
                                           const std::vector<gfx::Rect> &rects) {
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x) {
      if (insideAny(rects, {x, y}) || at(screen, x, y) == oldAt(x, y)) continue;
      return testing::AssertionFailure() << "changed outside at " << x << "," << y;
    }
  return testing::AssertionSuccess();
}

// Every pixel is the old picture's own or one of the new picture's.
testing::AssertionResult onlyPicturePixels(const gfx::Bitmap &screen) {
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x) {
      const Origin o = at(screen, x, y);
      const bool fromNew = o.isNew && o.x < screen.width() && o.y < screen.height();
      if (fromNew || o == oldAt(x, y)) continue;
      return testing::AssertionFailure() << "stray pixel at " << x << "," << y;
    }
  return testing::AssertionSuccess();
}

struct Frame {
  gfx::Size size;
  int style;
};

void PrintTo(const Frame &f, std::ostream *os) {
  *os << "style " << f.style << " on " << f.size.width << "x" << f.size.height;
}

class EveryRectangleStyle : public testing::TestWithParam<Frame> {
 protected:
  gfx::Size size = GetParam().size;
  int style = GetParam().style;
  gfx::Bitmap oldPicture = picture(size.width, size.height, false);
  gfx::Bitmap newPicture = picture(size.width, size.height, true);
  gfx::Bitmap screen{size.width, size.height};
  vantor::RandomSource random;

  void SetUp() override { fillPadding(screen); }
  // The destinations the routine reports for the copies before its main copy.
  std::vector<gfx::Rect> reportedBeforeMain(int progress) {
    gfx::Bitmap scratch(size.width, size.height);
    DrawnRects drawn;
    drawCopies(scratch, newPicture,
               rectangleCopies(style, EffectExtents(newPicture.rect(), 4, progress)), progress,
               &drawn);
    return {drawn.begin(), drawn.end() - 1};
  }
  FrameResult frame(int progress, int step = 4) {
    return drawFrame(screen, oldPicture, newPicture, style, step, progress, random);
  }
};

// Only the copies before the main one may show the new picture at 0; the
// whole new picture is presented at 100.
TEST_P(EveryRectangleStyle, EveryFrameChangesOnlyThePresentedRectangles) {
  for (int progress : {0, 1, 17, 33, 50, 66, 99, 100}) {
    SCOPED_TRACE(testing::Message() << "Progress " << progress);
    const FrameResult r = frame(progress);
    EXPECT_EQ(r.progress, progress);
    for (const gfx::Rect &d : r.dirty) ASSERT_EQ(d.intersected(newPicture.rect()), d);
    ASSERT_TRUE(oldPictureOutside(screen, progress == 0 ? reportedBeforeMain(0) : r.dirty));
    ASSERT_TRUE(onlyPicturePixels(screen));
    ASSERT_TRUE(paddingIntact(screen));
  }
  EXPECT_TRUE(equalPixels(screen, newPicture));
  EXPECT_EQ(frame(100).dirty, (std::vector<gfx::Rect>{newPicture.rect()}));
}

// In reverse the last frame is the old picture, but for the copies before
// the main copy, which are drawn at Progress 0 as well.
TEST_P(EveryRectangleStyle, AReverseTransitionEndsAtEverySpeed) {
  for (int setting = 1; setting <= 5; ++setting) {
    const int step = speedForSetting(setting)->step;
    int progress = 100, frames = 0;
    FrameResult r;
    while (!transitionDone(progress, true) && frames++ <= 100)
      progress = (r = frame(nextProgress(progress, step, true), step)).progress;
    EXPECT_EQ(progress, 0) << setting;
    EXPECT_TRUE(oldPictureOutside(screen, r.dirty)) << setting;
    EXPECT_TRUE(paddingIntact(screen));
  }
}

std::vector<Frame> allFrames() {
  std::vector<Frame> frames;
  // Odd widths leave padding at the ends of the rows, a width of 32 none;
  // the tiny sizes make every half and twentieth round to zero.
  for (gfx::Size size :
       {gfx::Size{37, 23}, gfx::Size{23, 37}, gfx::Size{32, 20}, gfx::Size{1, 1}, gfx::Size{2, 3}})
    for (const Effect &e : effects())
      if (drawsCopies(e.family)) frames.push_back({size, e.number});
  return frames;
}

INSTANTIATE_TEST_SUITE_P(Styles, EveryRectangleStyle, testing::ValuesIn(allFrames()),
                         [](const testing::TestParamInfo<Frame> &info) {
                           return "s" + std::to_string(info.param.style) + "_" +
                                  std::to_string(info.param.size.width) + "x" +
                                  std::to_string(info.param.size.height);
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
