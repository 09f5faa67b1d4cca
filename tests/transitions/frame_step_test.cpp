// Every rectangle style through the frame step, on pictures of awkward sizes.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pictures.h"
#include "transitions/catalogue.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace transitions {
namespace {

using namespace transitions_test;

constexpr uint8_t kGuard = 0xA5;

// Fills the padding at the end of every row, which no drawing may touch.
void setGuards(gfx::Bitmap &b) {
  const size_t used = size_t(b.width()) * 3;
  for (int y = 0; y < b.height(); ++y) std::memset(b.row(y) + used, kGuard, b.stride() - used);
}

bool guardsIntact(const gfx::Bitmap &b) {
  const size_t used = size_t(b.width()) * 3;
  for (int y = 0; y < b.height(); ++y)
    for (size_t i = used; i < b.stride(); ++i)
      if (b.row(y)[i] != kGuard) return false;
  return true;
}

bool samePixels(const gfx::Bitmap &a, const gfx::Bitmap &b) {
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.row(y), b.row(y), size_t(a.width()) * 3) != 0) return false;
  return true;
}

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

  void SetUp() override { setGuards(screen); }
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

TEST_P(EveryRectangleStyle, ProgressHundredShowsTheNewPictureWhole) {
  const FrameResult r = frame(100);
  EXPECT_TRUE(samePixels(screen, newPicture));
  EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{newPicture.rect()}));
  EXPECT_EQ(r.progress, 100);
  EXPECT_TRUE(guardsIntact(screen));
}

TEST_P(EveryRectangleStyle, ProgressZeroLeavesTheMainCopyOut) {
  frame(0);
  // Only the copies before the main one may show the new picture.
  const std::vector<gfx::Rect> before = reportedBeforeMain(0);
  EXPECT_TRUE(oldPictureOutside(screen, before));
  EXPECT_TRUE(guardsIntact(screen));
}

TEST_P(EveryRectangleStyle, NothingChangesOutsideThePresentedRectangles) {
  for (int progress : {0, 1, 17, 33, 50, 66, 99}) {
    const FrameResult r = frame(progress);
    for (const gfx::Rect &d : r.dirty) ASSERT_EQ(d.intersected(newPicture.rect()), d);
    ASSERT_TRUE(oldPictureOutside(screen, r.dirty)) << "Progress " << progress;
    ASSERT_TRUE(onlyPicturePixels(screen)) << "Progress " << progress;
    ASSERT_TRUE(guardsIntact(screen)) << progress;
  }
}

TEST_P(EveryRectangleStyle, AWholeTransitionEndsAtEverySpeed) {
  for (int setting = 1; setting <= 5; ++setting) {
    const int step = speedForSetting(setting)->step;
    int progress = 0, frames = 0;
    while (!transitionDone(progress, false) && frames <= 100) {
      progress = frame(nextProgress(progress, step, false), step).progress;
      ++frames;
    }
    EXPECT_EQ(progress, 100) << setting;
    EXPECT_TRUE(samePixels(screen, newPicture)) << setting;
    // In reverse the last frame is the old picture, but for the copies
    // before the main copy, which are drawn at Progress 0 as well.
    while (!transitionDone(progress, true)) {
      const FrameResult r = frame(nextProgress(progress, step, true), step);
      progress = r.progress;
      if (progress == 0) {
        EXPECT_TRUE(oldPictureOutside(screen, r.dirty)) << setting;
      }
    }
    EXPECT_TRUE(guardsIntact(screen));
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

// Style 0 and the numbers without a routine yet.

class FrameStep : public testing::Test {
 protected:
  gfx::Bitmap oldPicture = picture(37, 23, false);
  gfx::Bitmap newPicture = picture(37, 23, true);
  gfx::Bitmap screen{37, 23};
  vantor::RandomSource random;
};

TEST_F(FrameStep, StyleZeroShowsTheNewPictureAndEndsAtOnce) {
  const FrameResult r = drawFrame(screen, oldPicture, newPicture, 0, 4, 4, random);
  EXPECT_TRUE(samePixels(screen, newPicture));
  EXPECT_EQ(r.progress, 100);
  EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{newPicture.rect()}));
}

TEST_F(FrameStep, NumbersOutsideTheCatalogueShowTheOldPictureUntil100) {
  for (int style : {151, -3, 1000}) {
    FrameResult r = drawFrame(screen, oldPicture, newPicture, style, 4, 50, random);
    EXPECT_TRUE(samePixels(screen, oldPicture)) << style;
    EXPECT_EQ(r.dirty, (std::vector<gfx::Rect>{newPicture.rect()})) << style;
    EXPECT_EQ(r.progress, 50);
    r = drawFrame(screen, oldPicture, newPicture, style, 4, 100, random);
    EXPECT_TRUE(samePixels(screen, newPicture)) << style;
  }
}

TEST_F(FrameStep, ProgressAbove100IsTakenAs100) {
  const FrameResult r = drawFrame(screen, oldPicture, newPicture, 5, 4, 200, random);
  EXPECT_EQ(r.progress, 100);
  EXPECT_TRUE(samePixels(screen, newPicture));
}

TEST_F(FrameStep, EveryFrameStartsFromTheOldPicture) {
  drawFrame(screen, oldPicture, newPicture, 5, 4, 100, random);
  drawFrame(screen, oldPicture, newPicture, 5, 4, 0, random);
  EXPECT_TRUE(samePixels(screen, oldPicture));
}

}  // namespace
}  // namespace transitions
