// The numeric rules of fitting, composing, captions and enlarging, checked
// on real bitmaps with a stand-in for the caption text.

#include <gtest/gtest.h>

#include <vector>

#include "picture/picture_composer.h"

namespace vantor {
namespace {

constexpr gfx::Color kBack = 0x00302010;  // the control's colour in these tests

// Every pixel tells where it came from: red and green the column, blue the row.
gfx::Color at(int x, int y) {
  return gfx::makeColor(x & 255, x >> 8, y & 255);
}
gfx::Bitmap coordinates(gfx::Size s) {
  gfx::Bitmap b(s.width, s.height);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) b.setPixel(x, y, at(x, y));
  return b;
}

PictureComposer composer(gfx::Size control, gfx::Size picture) {
  PictureComposer c;
  c.width = control.width;
  c.height = control.height;
  c.color = kBack;
  c.picture = coordinates(picture);
  c.pictureArea = c.picture.rect();
  return c;
}

// A pixel of the composed picture and the colour it must have.
struct Sample {
  int x, y;
  gfx::Color color;
};
void expectSamples(const gfx::Bitmap &b, const std::vector<Sample> &samples) {
  for (const Sample &s : samples)
    EXPECT_EQ(b.pixel(s.x, s.y), s.color) << "at " << s.x << "," << s.y;
}

TEST(PictureFit, SizesFollowTheRelativeExcess) {
  struct {
    int fitMode, pw, ph, w, h;
    bool scales;
    int fw, fh;  // fitted size when it scales
  } const cases[] = {
      {0, 800, 600, 1024, 768, false, 0, 0},        // fits already
      {0, 1600, 1200, 1024, 768, true, 1024, 768},  // equal excess: the height binds
      {0, 2000, 1000, 1024, 768, true, 1024, 512},  // the width binds
      {2, 400, 300, 1024, 768, true, 1024, 768},    // scaled up
      // r = 400 / 768 in double precision makes 300 / r fall just short of 576.
      {2, 300, 400, 1024, 768, true, 575, 768},
      {0, 1024, 2000, 1024, 768, true, 393, 768},  // Trunc(1024 / 2.604...)
      {0, 100000, 10, 1024, 768, true, 1024, 1},   // a sliver keeps one row
      {1, 1600, 600, 1024, 768, false, 0, 0},      // cropped, never scaled
      {3, 4000, 3000, 1024, 768, false, 0, 0},     // unknown mode: left alone
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.fitMode << ": " << c.pw << "x" << c.ph);
    EXPECT_EQ(fitScales({c.pw, c.ph}, {c.w, c.h}, c.fitMode), c.scales);
    if (c.scales) {
      EXPECT_EQ(fittedSize({c.pw, c.ph}, {c.w, c.h}), (gfx::Size{c.fw, c.fh}));
    }
  }
}

// fit() on a 1024 x 768 control: shrunk by nearest neighbour sampled at each
// pixel's centre (column (2x + 1) * 2000 / 2048), a reduced decode scaled to
// the full picture's fit, cropped to the middle, small pictures left alone.
TEST(PictureFit, PixelsOfTheFittedPicture) {
  struct {
    const char *name;
    int fitMode;
    gfx::Size decoded, full, expected;
    std::vector<Sample> samples;
  } const cases[] = {
      // clang-format off
      {"shrunk", 0, {2000, 1000}, {2000, 1000}, {1024, 512},
       {{0, 0, at(0, 0)}, {1, 1, at(2, 2)}, {1023, 511, at(1999, 999)}, {512, 256, at(1000, 500)}}},
      {"reduced decode", 0, {1000, 500}, {2000, 1000}, {1024, 512}, {{1023, 511, at(999, 499)}}},
      {"cropped", 1, {1600, 600}, {1600, 600}, {1024, 768},
       {{0, 84, at(288, 0)}, {1023, 84, at(1311, 0)}, {1023, 683, at(1311, 599)},
        {500, 83, kBack}, {500, 684, kBack}}},
      {"crop of a small picture", 1, {800, 600}, {800, 600}, {800, 600}, {{799, 599, at(799, 599)}}},
      // clang-format on
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    PictureComposer p = composer({1024, 768}, c.decoded);
    p.fitMode = uint8_t(c.fitMode);
    p.fit(c.full);
    ASSERT_EQ(p.picture.size(), c.expected);
    expectSamples(p.picture, c.samples);
  }
}

// composeOnBackground(): nothing without a random position or back image;
// a random position asks for the free space; tiled back images start at the
// origin, stretched ones cover the control, the picture centred on either.
TEST(PictureCompose, PixelsOfTheComposedPicture) {
  struct {
    const char *name;
    gfx::Size control, picture;
    bool randomPosition;
    BackImageMode mode;
    gfx::Size backImage;
    std::vector<int> asked;  // of the random source
    gfx::Size expected;
    std::vector<Sample> samples;
  } const cases[] = {
      // clang-format off
      {"plain colour", {1024, 768}, {800, 600}, false, {}, {}, {}, {800, 600}, {}},
      {"random position", {1024, 768}, {400, 300}, true, {}, {}, {624, 468}, {1024, 768},
       {{208, 156, at(0, 0)}, {207, 156, kBack}, {607, 455, at(399, 299)}}},
      {"random, covering", {100, 80}, {100, 80}, true, {}, {}, {}, {100, 80}, {{0, 0, at(0, 0)}}},
      // The picture is centred at ((10 - 4) div 2, (8 - 2) div 2).
      {"tiled", {10, 8}, {4, 2}, false, BackImageMode::Tiled, {3, 2}, {}, {10, 8},
       {{0, 0, at(0, 0)}, {4, 1, at(1, 1)}, {9, 7, at(0, 1)}, {3, 3, at(0, 0)}, {6, 4, at(3, 1)}}},
      {"stretched", {8, 8}, {2, 2}, false, BackImageMode::Stretched, {2, 2}, {}, {8, 8},
       {{0, 0, at(0, 0)}, {7, 7, at(1, 1)}, {7, 0, at(1, 0)}, {3, 3, at(0, 0)}}},
      // clang-format on
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    PictureComposer p = composer(c.control, c.picture);
    p.randomPosition = c.randomPosition;
    p.backImageMode = c.mode;
    if (!c.backImage.empty()) p.backImage = coordinates(c.backImage);
    std::vector<int> asked;
    p.random = [&](int n) {
      asked.push_back(n);
      return n / 3;
    };
    p.composeOnBackground();
    EXPECT_EQ(asked, c.asked);
    ASSERT_EQ(p.picture.size(), c.expected);
    EXPECT_EQ(p.pictureArea, (gfx::Rect{0, 0, c.picture.width, c.picture.height}));
    expectSamples(p.picture, c.samples);
  }
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

TEST(PictureCaption, Positions) {
  struct {
    int position;
    gfx::Point fixed;
    gfx::Size text;
    int pictureHeight;
    gfx::Point expected;
  } const cases[] = {
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
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << c.position);
    EXPECT_EQ(
        captionOrigin(CaptionPosition(c.position), c.fixed, c.text, {1024, 768}, c.pictureHeight),
        c.expected);
  }
}

// Drawn on the picture centred in a control-sized bitmap; nothing drawn, and
// the picture left as it was, without a text or a position.
TEST(PictureCaption, DrawnOnTheCentredPictureOnlyWithTextAndPosition) {
  for (auto [caption, position] :
       {std::pair<std::string, int>{"beach", 1}, {"", 1}, {"beach", 0}}) {
    SCOPED_TRACE(caption + " at " + std::to_string(position));
    PictureComposer c = composer({40, 30}, {20, 10});
    BoxText text({6, 4});
    c.captionText = &text;
    c.caption = caption;
    c.captionPosition = CaptionPosition(position);
    c.captionFont.color = 0x000000FF;
    c.drawCaption();
    if (caption.empty() || position == 0) {
      EXPECT_EQ(c.picture.size(), (gfx::Size{20, 10}));
      EXPECT_TRUE(text.drawn.empty());
      continue;
    }
    ASSERT_EQ(c.picture.size(), (gfx::Size{40, 30}));
    // Below the picture: y = 10 + 10 + 10 = 30, held at 30 - 14 = 16.
    expectSamples(c.picture, {{10, 10, at(0, 0)}, {9, 10, kBack}, {17, 16, 0x000000FF}});
    EXPECT_EQ(text.drawn, (std::vector<gfx::Point>{{17, 16}}));
    EXPECT_EQ(text.texts, (std::vector<std::string>{"beach"}));
  }
}

// enlarge(): over a larger previous picture (in either direction) the
// picture is centred on a canvas 3 pixels larger than that one; never over
// a smaller or equal one, nor on a back image; in preview mode it covers
// the control. The picture's own size is remembered, except on back images.
TEST(PictureEnlarge, CanvasAndPlaceOfThePicture) {
  struct {
    const char *name;
    gfx::Size control, picture, last;
    bool preview, backImage;
    gfx::Size expected;
    gfx::Rect area;
    gfx::Size remembered;
    std::vector<Sample> samples;
  } const cases[] = {
      // clang-format off
      {"over a larger one", {1024, 768}, {400, 300}, {800, 600}, false, false, {803, 603},
       {202, 152, 602, 452}, {400, 300},
       {{202, 152, at(0, 0)}, {601, 451, at(399, 299)}, {201, 152, kBack}, {602, 451, kBack}}},
      {"over an equal one", {1024, 768}, {800, 600}, {800, 600}, false, false, {800, 600},
       {0, 0, 800, 600}, {800, 600}, {}},
      {"over a smaller one", {1024, 768}, {800, 600}, {400, 300}, false, false, {800, 600},
       {0, 0, 800, 600}, {800, 600}, {}},
      {"one direction larger", {1024, 768}, {800, 300}, {400, 600}, false, false, {803, 603},
       {2, 152, 802, 452}, {800, 300}, {{2, 152, at(0, 0)}}},
      {"preview", {200, 150}, {200, 150}, {10, 10}, true, false, {203, 153}, {2, 2, 202, 152},
       {200, 150}, {}},
      {"back image", {1024, 768}, {400, 300}, {800, 600}, false, true, {400, 300},
       {0, 0, 400, 300}, {800, 600}, {}},
      // clang-format on
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    PictureComposer p = composer(c.control, c.picture);
    p.previewMode = c.preview;
    if (c.backImage) p.backImageMode = BackImageMode::Tiled;
    p.lastPicture = c.last;
    p.enlarge();
    ASSERT_EQ(p.picture.size(), c.expected);
    EXPECT_EQ(p.pictureArea, c.area);
    EXPECT_EQ(p.lastPicture, c.remembered);
    expectSamples(p.picture, c.samples);
  }
}

}  // namespace
}  // namespace vantor
