// The numeric rules of fitting, composing, captions and enlarging, checked
// on real bitmaps with a stand-in for the caption text.

#include <gtest/gtest.h>

#include <vector>

#include "picture/picture_composer.h"

namespace vantor {
namespace {

constexpr gfx::Color kBack = 0x00302010;  // the control's colour in these tests

// Every pixel tells where it came from: red and green the column, blue the row.
gfx::Bitmap coordinates(int w, int h) {
  gfx::Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, gfx::makeColor(x & 255, x >> 8, y & 255));
  return b;
}
gfx::Color at(int x, int y) {
  return gfx::makeColor(x & 255, x >> 8, y & 255);
}

PictureComposer composer(int w, int h, gfx::Bitmap picture) {
  PictureComposer c;
  c.width = w;
  c.height = h;
  c.color = kBack;
  c.picture = std::move(picture);
  c.pictureArea = c.picture.rect();
  return c;
}

struct FitCase {
  int fitMode, pw, ph, w, h;
  bool scales;
  int fw, fh;  // fitted size when it scales
};

TEST(PictureFit, SizesFollowTheRelativeExcess) {
  const FitCase cases[] = {
      {0, 800, 600, 1024, 768, false, 0, 0},        // fits already
      {0, 1600, 1200, 1024, 768, true, 1024, 768},  // equal excess: the height binds
      {0, 2000, 1000, 1024, 768, true, 1024, 512},  // the width binds
      {2, 400, 300, 1024, 768, true, 1024, 768},    // scaled up
      // r = 400 / 768 in double precision makes 300 / r fall just short of 576.
      {2, 300, 400, 1024, 768, true, 575, 768},
      {0, 1024, 2000, 1024, 768, true, 393, 768},  // Trunc(1024 / 2.604...)
      {1, 1600, 600, 1024, 768, false, 0, 0},      // cropped, never scaled
      {3, 4000, 3000, 1024, 768, false, 0, 0},     // unknown mode: left alone
  };
  for (const FitCase &c : cases) {
    SCOPED_TRACE(testing::Message() << c.fitMode << ": " << c.pw << "x" << c.ph);
    EXPECT_EQ(fitScales({c.pw, c.ph}, {c.w, c.h}, c.fitMode), c.scales);
    if (c.scales) {
      EXPECT_EQ(fittedSize({c.pw, c.ph}, {c.w, c.h}), (gfx::Size{c.fw, c.fh}));
    }
  }
}

TEST(PictureFit, ASliverKeepsOneRow) {
  EXPECT_EQ(fittedSize({100000, 10}, {1024, 768}), (gfx::Size{1024, 1}));
}

TEST(PictureFit, ShrinksByNearestNeighbour) {
  PictureComposer c = composer(1024, 768, coordinates(2000, 1000));
  c.fit({2000, 1000});
  ASSERT_EQ(c.picture.size(), (gfx::Size{1024, 512}));
  // Each pixel is sampled at its centre: column (2x + 1) * 2000 / 2048.
  EXPECT_EQ(c.picture.pixel(0, 0), at(0, 0));
  EXPECT_EQ(c.picture.pixel(1, 1), at(2, 2));
  EXPECT_EQ(c.picture.pixel(1023, 511), at(1999, 999));
  EXPECT_EQ(c.picture.pixel(512, 256), at(1000, 500));
}

TEST(PictureFit, ScalesTheReducedDecodeToTheFullSizesFit) {
  // A decoder that already halved a 2000 x 1000 picture: the fit is that of
  // the full picture.
  PictureComposer c = composer(1024, 768, coordinates(1000, 500));
  c.fit({2000, 1000});
  EXPECT_EQ(c.picture.size(), (gfx::Size{1024, 512}));
}

TEST(PictureFit, CropsToTheMiddle) {
  PictureComposer c = composer(1024, 768, coordinates(1600, 600));
  c.fitMode = 1;
  c.fit({1600, 600});
  ASSERT_EQ(c.picture.size(), (gfx::Size{1024, 768}));
  EXPECT_EQ(c.picture.pixel(0, 84), at(288, 0));
  EXPECT_EQ(c.picture.pixel(1023, 84), at(1311, 0));
  EXPECT_EQ(c.picture.pixel(1023, 683), at(1311, 599));
  EXPECT_EQ(c.picture.pixel(500, 83), kBack);
  EXPECT_EQ(c.picture.pixel(500, 684), kBack);
}

TEST(PictureFit, CropLeavesSmallPicturesAlone) {
  PictureComposer c = composer(1024, 768, coordinates(800, 600));
  c.fitMode = 1;
  c.fit({800, 600});
  EXPECT_EQ(c.picture.size(), (gfx::Size{800, 600}));
  EXPECT_EQ(c.picture.pixel(799, 599), at(799, 599));
}

TEST(PictureCompose, NothingWithoutRandomOrBackground) {
  PictureComposer c = composer(1024, 768, coordinates(800, 600));
  c.composeOnBackground();
  EXPECT_EQ(c.picture.size(), (gfx::Size{800, 600}));
}

TEST(PictureCompose, RandomPositionAsksForTheFreeSpace) {
  PictureComposer c = composer(1024, 768, coordinates(400, 300));
  c.randomPosition = true;
  std::vector<int> asked;
  c.random = [&](int n) {
    asked.push_back(n);
    return n / 3;
  };
  c.composeOnBackground();
  EXPECT_EQ(asked, (std::vector<int>{624, 468}));
  ASSERT_EQ(c.picture.size(), (gfx::Size{1024, 768}));
  EXPECT_EQ(c.picture.pixel(208, 156), at(0, 0));
  EXPECT_EQ(c.picture.pixel(207, 156), kBack);
  EXPECT_EQ(c.picture.pixel(607, 455), at(399, 299));
  EXPECT_EQ(c.pictureArea, (gfx::Rect{0, 0, 400, 300}));
}

TEST(PictureCompose, RandomIsNotAskedForAPictureThatCovers) {
  PictureComposer c = composer(100, 80, coordinates(100, 80));
  c.randomPosition = true;
  c.random = [](int) -> int { throw std::logic_error("asked"); };
  c.composeOnBackground();
  EXPECT_EQ(c.picture.pixel(0, 0), at(0, 0));
}

TEST(PictureCompose, TiledBackImageFromTheOrigin) {
  PictureComposer c = composer(10, 8, coordinates(4, 2));
  c.backImageMode = BackImageMode::Tiled;
  c.backImage = coordinates(3, 2);
  c.composeOnBackground();
  ASSERT_EQ(c.picture.size(), (gfx::Size{10, 8}));
  EXPECT_EQ(c.picture.pixel(0, 0), at(0, 0));
  EXPECT_EQ(c.picture.pixel(4, 1), at(1, 1));
  EXPECT_EQ(c.picture.pixel(9, 7), at(0, 1));
  // The picture is centred at ((10 - 4) div 2, (8 - 2) div 2).
  EXPECT_EQ(c.picture.pixel(3, 3), at(0, 0));
  EXPECT_EQ(c.picture.pixel(6, 4), at(3, 1));
}

TEST(PictureCompose, StretchedBackImageCoversTheControl) {
  PictureComposer c = composer(8, 8, coordinates(2, 2));
  c.backImageMode = BackImageMode::Stretched;
  c.backImage = coordinates(2, 2);
  c.composeOnBackground();
  EXPECT_EQ(c.picture.pixel(0, 0), at(0, 0));
  EXPECT_EQ(c.picture.pixel(7, 7), at(1, 1));
  EXPECT_EQ(c.picture.pixel(7, 0), at(1, 0));
  EXPECT_EQ(c.picture.pixel(3, 3), at(0, 0));  // the picture, centred
}

// Reports a fixed text size and paints the text's box in the font colour.
class BoxText : public CaptionText {
 public:
  explicit BoxText(gfx::Size s) : size_(s) {}
  gfx::Size measure(const std::string &, const CaptionFont &) override { return size_; }
  void draw(gfx::Bitmap &target, gfx::Point p, const std::string &text,
            const CaptionFont &font) override {
    drawn.push_back(p);
    texts.push_back(text);
    target.fillRect(gfx::Rect::fromXYWH(p.x, p.y, size_.width, size_.height), font.color);
  }
  std::vector<gfx::Point> drawn;
  std::vector<std::string> texts;

 private:
  gfx::Size size_;
};

struct CaptionCase {
  int position;
  gfx::Point fixed;
  gfx::Size text;
  int pictureHeight;
  gfx::Point expected;
};

TEST(PictureCaption, Positions) {
  const gfx::Size control{1024, 768};
  const CaptionCase cases[] = {
      {4, {}, {100, 16}, 600, {462, 10}},   // top of the control
      {3, {}, {100, 16}, 600, {462, 742}},  // bottom: 768 - 26
      {1, {}, {100, 16}, 600, {462, 694}},  // below: 84 + 600 + 10
      {1, {}, {100, 16}, 768, {462, 742}},  // below a full-height picture: held inside
      {2, {}, {100, 16}, 600, {462, 58}},   // above: 84 - 26
      {2, {}, {100, 16}, 768, {462, 10}},   // above a full-height picture: held at 10
      {3, {}, {2000, 16}, 600, {0, 742}},   // wider than the control
      {7, {}, {100, 16}, 600, {462, 742}},  // unknown positions draw at the bottom
      {5, {30, 40}, {100, 16}, 600, {30, 40}},
      {5, {-5, -9}, {100, 16}, 600, {0, 0}},
      {5, {1025, 769}, {100, 16}, 600, {924, 752}},
      {5, {1024, 768}, {100, 16}, 600, {1024, 768}},  // at the edge: left as given
  };
  for (const CaptionCase &c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << c.position);
    EXPECT_EQ(captionOrigin(CaptionPosition(c.position), c.fixed, c.text, control, c.pictureHeight),
              c.expected);
  }
}

TEST(PictureCaption, DrawnOnTheCentredPicture) {
  PictureComposer c = composer(40, 30, coordinates(20, 10));
  BoxText text({6, 4});
  c.captionText = &text;
  c.caption = "beach";
  c.captionPosition = CaptionPosition::BelowPicture;
  c.captionFont.color = 0x000000FF;
  c.drawCaption();
  ASSERT_EQ(c.picture.size(), (gfx::Size{40, 30}));
  EXPECT_EQ(c.picture.pixel(10, 10), at(0, 0));
  EXPECT_EQ(c.picture.pixel(9, 10), kBack);
  // Below the picture: y = 10 + 10 + 10 = 30, held at 30 - 14 = 16.
  ASSERT_EQ(text.drawn, (std::vector<gfx::Point>{{17, 16}}));
  EXPECT_EQ(c.picture.pixel(17, 16), 0x000000FFu);
  EXPECT_EQ(text.texts, (std::vector<std::string>{"beach"}));
}

TEST(PictureCaption, NoneWithoutTextOrPosition) {
  for (auto [caption, position] : {std::pair<std::string, int>{"", 1}, {"beach", 0}}) {
    PictureComposer c = composer(40, 30, coordinates(20, 10));
    BoxText text({6, 4});
    c.captionText = &text;
    c.caption = caption;
    c.captionPosition = CaptionPosition(position);
    c.drawCaption();
    EXPECT_EQ(c.picture.size(), (gfx::Size{20, 10}));
    EXPECT_TRUE(text.drawn.empty());
  }
}

TEST(PictureEnlarge, OverALargerPreviousPicture) {
  PictureComposer c = composer(1024, 768, coordinates(400, 300));
  c.lastPicture = gfx::Size{800, 600};
  c.enlarge();
  ASSERT_EQ(c.picture.size(), (gfx::Size{803, 603}));
  EXPECT_EQ(c.pictureArea, (gfx::Rect{202, 152, 602, 452}));
  EXPECT_EQ(c.picture.pixel(202, 152), at(0, 0));
  EXPECT_EQ(c.picture.pixel(601, 451), at(399, 299));
  EXPECT_EQ(c.picture.pixel(201, 152), kBack);
  EXPECT_EQ(c.picture.pixel(602, 451), kBack);
  EXPECT_EQ(c.lastPicture, (gfx::Size{400, 300}));
}

TEST(PictureEnlarge, NotOverASmallerOneButRemembered) {
  PictureComposer c = composer(1024, 768, coordinates(800, 600));
  c.lastPicture = gfx::Size{800, 600};
  c.enlarge();
  EXPECT_EQ(c.picture.size(), (gfx::Size{800, 600}));
  c.lastPicture = gfx::Size{400, 300};
  c.enlarge();
  EXPECT_EQ(c.picture.size(), (gfx::Size{800, 600}));
  EXPECT_EQ(c.lastPicture, (gfx::Size{800, 600}));
}

TEST(PictureEnlarge, OneDirectionIsEnough) {
  PictureComposer c = composer(1024, 768, coordinates(800, 300));
  c.lastPicture = gfx::Size{400, 600};
  c.enlarge();
  EXPECT_EQ(c.picture.size(), (gfx::Size{803, 603}));
  EXPECT_EQ(c.pictureArea.topLeft(), (gfx::Point{2, 152}));
}

TEST(PictureEnlarge, PreviewCoversTheControl) {
  PictureComposer c = composer(200, 150, coordinates(200, 150));
  c.previewMode = true;
  c.lastPicture = gfx::Size{10, 10};
  c.enlarge();
  ASSERT_EQ(c.picture.size(), (gfx::Size{203, 153}));
  EXPECT_EQ(c.pictureArea.topLeft(), (gfx::Point{2, 2}));
}

TEST(PictureEnlarge, NeverOnABackImage) {
  PictureComposer c = composer(1024, 768, coordinates(400, 300));
  c.backImageMode = BackImageMode::Tiled;
  c.lastPicture = gfx::Size{800, 600};
  c.enlarge();
  EXPECT_EQ(c.picture.size(), (gfx::Size{400, 300}));
  EXPECT_EQ(c.lastPicture, (gfx::Size{800, 600}));
}

}  // namespace
}  // namespace vantor
