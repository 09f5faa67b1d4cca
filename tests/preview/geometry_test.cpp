// Where a preview form goes in the desktop's miniature, and the stretched
// copy a mirror window shows.

#include <gtest/gtest.h>

#include "preview/preview_geometry.h"

namespace vantor {
namespace {

using gfx::Rect;

TEST(PlacePreview, HidesCaptionAndFramesOutsideTheParent) {
  // A 152 x 112 miniature, caption 19, frames 4.
  const PreviewPlacement p = PlacePreview({517, 392}, {19, 4}, {100, 50}, gfx::Size{152, 112});
  EXPECT_EQ(p.outer.top, -27);
  EXPECT_EQ(p.outer.left, -8);
  EXPECT_EQ(p.outer.width(), 170);
  EXPECT_EQ(p.outer.height(), 149);
  EXPECT_EQ(p.client, (Rect{-4, -4, 158, 118}));
}

TEST(PlacePreview, StaticPictureLandsOnTheParentsCorner) {
  const PreviewPlacement p = PlacePreview({696, 480}, kPreviewFrame, {}, gfx::Size{152, 112});
  // The picture control sits at 4, 4 of the client area.
  EXPECT_EQ(p.client.left + 4, 0);
  EXPECT_EQ(p.client.top + 4, 0);
}

struct NoParentCase {
  const char *name;
  gfx::Size client;
  FrameMetrics frame;
  gfx::Point at;
  Rect outer, inner;
};

class PlacePreviewWithoutParent : public ::testing::TestWithParam<NoParentCase> {};

TEST_P(PlacePreviewWithoutParent, KeepsDesignPositionAndSize) {
  const NoParentCase &c = GetParam();
  const PreviewPlacement p = PlacePreview(c.client, c.frame, c.at, std::nullopt);
  EXPECT_EQ(p.outer, c.outer);
  EXPECT_EQ(p.client, c.inner);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PlacePreviewWithoutParent,
    ::testing::Values(
        NoParentCase{
            "slideshow", {517, 392}, {19, 4}, {10, 20}, {10, 20, 535, 439}, {14, 43, 531, 435}},
        NoParentCase{"still", {696, 480}, {19, 4}, {0, 0}, {0, 0, 704, 507}, {4, 23, 700, 503}},
        NoParentCase{
            "undecorated", {696, 480}, {0, 0}, {0, 0}, {0, 0, 696, 480}, {0, 0, 696, 480}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PlacePreview, UndecoratedChildStillEndsTenPixelsBeyond) {
  const PreviewPlacement p = PlacePreview({517, 392}, {}, {}, gfx::Size{152, 112});
  EXPECT_EQ(p.outer, (Rect{0, 0, 162, 122}));
  EXPECT_EQ(p.client, p.outer);
}

constexpr gfx::Color kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(MirrorStretch, CopiesTheWholeSourceOntoTheWholeMirror) {
  // Left half red, right half blue, 4 x 2 onto 8 x 8: the halves stay halves
  // and the picture is stretched four times down (distorted).
  gfx::Bitmap source(4, 2, kRed);
  source.fillRect({2, 0, 4, 2}, kBlue);
  gfx::Bitmap mirror(8, 8);
  MirrorStretch(mirror, source);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(mirror.pixel(x, y), x < 4 ? kRed : kBlue) << x << "," << y;
}

TEST(MirrorStretch, ShrinksALargerSource) {
  gfx::Bitmap source(1600, 900, kRed);
  source.fillRect({0, 450, 1600, 900}, kBlue);
  gfx::Bitmap mirror(80, 60);
  MirrorStretch(mirror, source);
  EXPECT_EQ(mirror.pixel(40, 0), kRed);
  EXPECT_EQ(mirror.pixel(40, 29), kRed);
  EXPECT_EQ(mirror.pixel(40, 30), kBlue);
  EXPECT_EQ(mirror.pixel(79, 59), kBlue);
}

TEST(MirrorStretch, EmptySourceLeavesTheMirror) {
  gfx::Bitmap mirror(3, 3, kBlue);
  MirrorStretch(mirror, gfx::Bitmap());
  EXPECT_EQ(mirror.pixel(1, 1), kBlue);
  gfx::Bitmap none;
  MirrorStretch(none, gfx::Bitmap(2, 2, kRed));  // nothing to draw on, no fault
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace vantor
