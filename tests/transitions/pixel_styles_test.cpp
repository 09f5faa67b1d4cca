// The cross-fade's bytes and the pivots' pixels.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "frames.h"
#include "transitions/fade_rows.h"
#include "transitions/frame_step.h"
#include "transitions/region_styles.h"

namespace transitions {
namespace {

using namespace transitions_test;

// Every pair of bytes at every Progress, on rows long enough for the wide
// loops and with a tail left for the byte loop: each term is truncated on
// its own (255 and 255 at 50 give 254).
TEST(Fade, EveryBytePairMatchesTheFormula) {
  const int width = 256 + 7;  // 789 bytes a row
  gfx::Bitmap oldPicture(width, 256), newPicture(width, 256);
  for (int y = 0; y < 256; ++y)
    for (int i = 0; i < width * 3; ++i) {
      oldPicture.row(y)[i] = uint8_t(i / 3);
      newPicture.row(y)[i] = uint8_t(y + i % 3);
    }
  for (int progress = 0; progress <= 100; ++progress) {
    gfx::Bitmap display = oldPicture;
    fillPadding(display);
    BlendBitmaps(display, newPicture, progress);
    ASSERT_TRUE(paddingIntact(display));
    for (int y = 0; y < 256; ++y)
      for (int i = 0; i < width * 3; ++i) {
        const int d = oldPicture.row(y)[i], s = newPicture.row(y)[i];
        ASSERT_EQ(display.row(y)[i], (d * (100 - progress)) / 100 + (s * progress) / 100)
            << progress << ": " << d << " " << s;
      }
  }
}

// Both vector widths, whichever one this processor would pick, against the
// formula, at every Progress over every pair of bytes.
TEST(Fade, BothVectorWidthsMatchTheFormula) {
  std::vector<uint8_t> olds, news;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) olds.push_back(uint8_t(a)), news.push_back(uint8_t(b));
  using Blend = size_t (*)(uint8_t *, const uint8_t *, size_t, int, int);
  std::vector<std::pair<Blend, int>> widths{{fade_rows::blend16, 16}};
  if (fade_rows::has32()) widths.push_back({fade_rows::blend32, 32});
  for (auto [blend, width] : widths)
    for (int progress = 0; progress <= 100; ++progress) {
      std::vector<uint8_t> d = olds;
      ASSERT_EQ(blend(d.data(), news.data(), d.size() - 1, 100 - progress, progress),
                (d.size() - 1) / size_t(width) * size_t(width));
      for (size_t i = 0; i + width < d.size(); ++i)
        ASSERT_EQ(d[i], (olds[i] * (100 - progress)) / 100 + (news[i] * progress) / 100)
            << width << " at " << progress << ": " << int(olds[i]) << " " << int(news[i]);
      EXPECT_EQ(d.back(), olds.back());  // beyond the bytes it was given
    }
}

// The turn written out pixel by pixel.
gfx::Bitmap turnedByHand(const gfx::Bitmap &oldPicture, const gfx::Bitmap &newPicture, int px,
                         int py, double angle) {
  gfx::Bitmap out = oldPicture;
  const double c = std::cos(angle), s = std::sin(angle);
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) {
      const double dx = x - px, dy = y - py;
      const int sx = px + int(std::nearbyint(dx * c - dy * s));
      const int sy = py + int(std::nearbyint(dx * s + dy * c));
      if (sx >= 0 && sx < out.width() && sy >= 0 && sy < out.height())
        out.setPixel(x, y, newPicture.pixel(sx, sy));
    }
  return out;
}

TEST(Pivot, EveryCornerAndProgressMatchesThePixelByPixelTurn) {
  const gfx::Bitmap oldPicture = picture(97, 61, false), newPicture = picture(97, 61, true);
  const struct {
    int style, px, py;
  } pivots[] = {{119, -1, -1}, {120, -1, 61}, {121, 97, -1}, {122, 97, 61}};
  vantor::RandomSource random;
  for (const auto &p : pivots)
    for (int progress : {1, 13, 33, 50, 67, 99}) {
      gfx::Bitmap screen(97, 61);
      drawFrame(screen, oldPicture, newPicture, p.style, 4, progress, random);
      const double angle = (100 - progress) * std::numbers::pi / 200;
      ASSERT_TRUE(equalPixels(screen, turnedByHand(oldPicture, newPicture, p.px, p.py, angle)))
          << p.style << " at " << progress;
    }
}

TEST(Pivot, AnyOtherTurnReadsOnlyInsideTheNewPicture) {
  const gfx::Bitmap oldPicture = picture(40, 30, false), newPicture = picture(40, 30, true);
  for (double angle : {-1.0, 2.0, 3.5, 5.0}) {
    gfx::Bitmap display = oldPicture;
    RotateBitmap(display, newPicture, 20, 15, angle);
    EXPECT_TRUE(equalPixels(display, turnedByHand(oldPicture, newPicture, 20, 15, angle))) << angle;
  }
}

}  // namespace
}  // namespace transitions
