// Caption text drawn by Qt into a bitmap, on the offscreen platform.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "picture/picture_caption_qt.h"

namespace vantor {
namespace {

class PictureCaptionQt : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "vantor_picture_caption_test";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }
  QtCaptionText text;
};

// The box of all pixels that differ from the background.
gfx::Rect inked(const gfx::Bitmap &b, gfx::Color background) {
  gfx::Rect r{b.width(), b.height(), 0, 0};
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.pixel(x, y) != background)
        r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
             std::max(r.bottom, y + 1)};
  return r;
}

TEST_F(PictureCaptionQt, DrawsInsideTheMeasuredBoxInTheFontColour) {
  CaptionFont f;
  f.name = "DejaVu Sans";
  f.size = 18;
  f.color = gfx::makeColor(255, 255, 0);
  const gfx::Size s = text.measure("Beach 2024", f);
  // 18 points at 96 dpi are 24 pixels: a line is taller than that.
  EXPECT_GE(s.height, 24);
  EXPECT_LT(s.height, 40);
  EXPECT_GT(s.width, 5 * 12);
  const gfx::Color background = 0x00336699;
  gfx::Bitmap b(300, 100, background);
  text.draw(b, {40, 30}, "Beach 2024", f);
  // The text's box is not filled: its corner and the rest keep the background.
  EXPECT_EQ(b.pixel(40, 30), background);
  EXPECT_EQ(b.pixel(299, 99), background);
  const gfx::Rect ink = inked(b, background);
  ASSERT_FALSE(ink.empty());
  EXPECT_TRUE(ink.left >= 40 && ink.top >= 30) << ink.left << "," << ink.top;
  EXPECT_LE(ink.right, 40 + s.width + 2);
  EXPECT_LE(ink.bottom, 30 + s.height);
  int full = 0;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x) full += b.pixel(x, y) == f.color;
  EXPECT_GT(full, 20);
}

TEST_F(PictureCaptionQt, StylesChangeTheInk) {
  CaptionFont plain;
  plain.name = "DejaVu Sans";
  plain.size = 14;
  plain.color = 0x00FFFFFF;
  auto render = [&](const CaptionFont &f) {
    gfx::Bitmap b(300, 60, 0);
    text.draw(b, {5, 5}, "Sunset", f);
    return b;
  };
  CaptionFont bold = plain, under = plain, strike = plain;
  bold.bold = true;
  under.underline = true;
  strike.strikeOut = true;
  EXPECT_GT(text.measure("Sunset", bold).width, text.measure("Sunset", plain).width);
  const gfx::Rect p = inked(render(plain), 0), u = inked(render(under), 0);
  EXPECT_GT(u.bottom, p.bottom);  // the underline runs below the letters' baseline
  const gfx::Bitmap s = render(strike), n = render(plain);
  // The strike-out line crosses the gap between "S" and "u".
  int differing = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x) differing += s.pixel(x, y) != n.pixel(x, y);
  EXPECT_GT(differing, 20);
}

}  // namespace
}  // namespace vantor
