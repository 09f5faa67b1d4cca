// All 150 styles through the frame step: the end frame, the untouched row
// padding, growth of the deterministic regions, and transitions that end at
// every speed and on pictures too small for their pitches.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frames.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"
#include "transitions/region_styles.h"
#include "transitions/speed.h"

namespace transitions {
namespace {

using namespace transitions_test;

// Styles whose new share shrinks now and then by their geometry: the uneven
// blinds (alone or across bands) widen their pitch with X, so open slats
// move away from where they were; the turning rectangle and star change
// their pixel count as they turn while small, and swing parts of themselves
// past the picture's edges later.
bool mayShrink(int style) {
  return (style >= 138 && style <= 141) || (style >= 145 && style <= 150);
}

bool fixedRegion(int style) {
  // Shreds and speckles draw a fresh random pattern every frame.
  const Effect &e = *effectFor(style);
  return e.kind == EffectKind::Region && e.family != Family::Shred && !mayShrink(style);
}

class AllStyles : public testing::TestWithParam<int> {};

// Every frame at every speed (and Step 100) keeps the row padding and
// returns its Progress, and the last shows the new picture, also on
// pictures down to one pixel, whose L and pitches are 0.
TEST_P(AllStyles, EveryFrameKeepsThePaddingAndTheLastIsTheNewPicture) {
  const int style = GetParam();
  vantor::RandomSource random;
  for (gfx::Size size : {gfx::Size{101, 67}, gfx::Size{67, 101}, gfx::Size{1, 1}, gfx::Size{3, 2},
                         gfx::Size{2, 9}, gfx::Size{7, 5}, gfx::Size{44, 3}, gfx::Size{5, 40}}) {
    const gfx::Bitmap oldPicture = picture(size.width, size.height, false);
    const gfx::Bitmap newPicture = picture(size.width, size.height, true);
    gfx::Bitmap screen(size.width, size.height);
    fillPadding(screen);
    for (int step : {10, 6, 4, 2, 1, 100}) {
      const std::vector<int> frames = progressSequence(step, false);
      ASSERT_EQ(frames.back(), 100);
      for (int progress : frames) {
        const FrameResult r =
            drawFrame(screen, oldPicture, newPicture, style, step, progress, random);
        ASSERT_TRUE(paddingIntact(screen)) << "Progress " << progress;
        ASSERT_EQ(r.progress, progress);
      }
      EXPECT_TRUE(equalPixels(screen, newPicture))
          << size.width << "x" << size.height << ", Step " << step;
    }
  }
}

// The region styles that draw no random pattern and whose geometry only grows.
std::vector<int> fixedRegionStyles() {
  std::vector<int> styles;
  for (int n = 1; n <= kEffectCount; ++n)
    if (fixedRegion(n)) styles.push_back(n);
  return styles;
}

class FixedRegions : public testing::TestWithParam<int> {};

// Drawn on a small picture at Step 1, and as regions on a large one at
// several Steps.
TEST_P(FixedRegions, TheNewShareNeverShrinks) {
  const int style = GetParam();
  vantor::RandomSource random;
  const gfx::Bitmap oldPicture = picture(160, 120, false), newPicture = picture(160, 120, true);
  gfx::Bitmap screen(160, 120);
  int64_t before = 0;
  for (int progress = 0; progress <= 100; ++progress) {
    drawFrame(screen, oldPicture, newPicture, style, 1, progress, random);
    const int64_t now = pixelsOf(screen, newPicture);
    ASSERT_GE(now, before) << "Progress " << progress;
    before = now;
  }
  EXPECT_EQ(before, 160 * 120);
  const gfx::Region picture(gfx::Rect{0, 0, 1024, 768});
  for (int step : {1, 4, 10}) {
    before = 0;
    for (int progress = 1; progress < 100; ++progress) {
      const Extents e = EffectExtents(picture.bounds(), step, progress);
      const int64_t now = styleRegion(style, e, progress, random).intersected(picture).area();
      ASSERT_GE(now, before) << "Step " << step << ", Progress " << progress;
      before = now;
    }
  }
}

std::string styleName(const testing::TestParamInfo<int> &info) {
  return "Style" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, AllStyles, testing::Range(1, kEffectCount + 1), styleName);
INSTANTIATE_TEST_SUITE_P(Catalogue, FixedRegions, testing::ValuesIn(fixedRegionStyles()),
                         styleName);

}  // namespace
}  // namespace transitions
