// Where a preview form goes in the desktop's miniature, and the stretched
// copy a mirror window shows.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "preview/preview_geometry.h"

namespace vantor {
namespace {

using gfx::Rect;

// Within the desktop's 152 x 112 miniature the caption and frames lie
// outside the parent, the picture control (at 4, 4 of the client area) on its
// corner, and the form ends ten pixels beyond it; without a parent a form
// keeps its design position and size.
TEST(PlacePreview, FormsOuterAndClientRectangles) {
  constexpr gfx::Size kMini{152, 112};  // the desktop's miniature
  const struct {
    const char *name;
    gfx::Size client;
    FrameMetrics frame;
    gfx::Point at;
    std::optional<gfx::Size> parent;
    Rect outer, inner;
  } cases[] = {
      {"slideshow", {517, 392}, {19, 4}, {100, 50}, kMini, {-8, -27, 162, 122}, {-4, -4, 158, 118}},
      {"still", {696, 480}, kPreviewFrame, {}, kMini, {-8, -27, 162, 122}, {-4, -4, 158, 118}},
      {"undecorated", {517, 392}, {}, {}, kMini, {0, 0, 162, 122}, {0, 0, 162, 122}},
      {"no parent", {517, 392}, {19, 4}, {10, 20}, {}, {10, 20, 535, 439}, {14, 43, 531, 435}},
      {"still, no parent", {696, 480}, {19, 4}, {}, {}, {0, 0, 704, 507}, {4, 23, 700, 503}},
      {"undecorated, no parent", {696, 480}, {}, {}, {}, {0, 0, 696, 480}, {0, 0, 696, 480}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const PreviewPlacement p = PlacePreview(c.client, c.frame, c.at, c.parent);
    EXPECT_EQ(p.outer, c.outer);
    EXPECT_EQ(p.client, c.inner);
  }
}

constexpr gfx::Color kRed = 0x0000FF, kBlue = 0xFF0000;

// A red picture whose right half (or bottom half) is blue.
gfx::Bitmap halves(int w, int h, bool sideBySide) {
  gfx::Bitmap b(w, h, kRed);
  b.fillRect(sideBySide ? Rect{w / 2, 0, w, h} : Rect{0, h / 2, w, h}, kBlue);
  return b;
}

gfx::Bitmap coordinates(int w, int h) {
  gfx::Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, gfx::makeColor(uint8_t(x), uint8_t(y), 7));
  return b;
}

// The whole source goes onto the whole mirror, stretched (and distorted) or
// shrunk: a half stays a half. Without a source the mirror stays as it was,
// and without a mirror nothing is drawn.
TEST(MirrorStretch, CopiesTheWholeSourceOntoTheWholeMirror) {
  const struct {
    const char *name;
    gfx::Bitmap source, mirror;
    std::function<gfx::Color(int, int)> expected;
  } cases[] = {
      {"stretched", halves(4, 2, true), gfx::Bitmap(8, 8),
       [](int x, int) { return x < 4 ? kRed : kBlue; }},
      {"shrunk", halves(1600, 900, false), gfx::Bitmap(80, 60),
       [](int, int y) { return y < 30 ? kRed : kBlue; }},
      // Each source pixel a colour of its own: a row or column lost or
      // gained anywhere moves every pixel after it.
      {"doubled", coordinates(5, 3), gfx::Bitmap(10, 6),
       [](int x, int y) { return coordinates(5, 3).pixel(x / 2, y / 2); }},
      {"no source", gfx::Bitmap(), gfx::Bitmap(3, 3, kBlue), [](int, int) { return kBlue; }},
      {"no mirror", gfx::Bitmap(2, 2, kRed), gfx::Bitmap(), nullptr},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    const gfx::Size size = c.mirror.size();
    MirrorStretch(c.mirror, c.source);
    ASSERT_EQ(c.mirror.size(), size);
    for (int y = 0; y < c.mirror.height(); ++y)
      for (int x = 0; x < c.mirror.width(); ++x)
        ASSERT_EQ(c.mirror.pixel(x, y), c.expected(x, y)) << x << "," << y;
  }
}

}  // namespace
}  // namespace vantor
