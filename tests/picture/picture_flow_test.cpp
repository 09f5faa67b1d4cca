// LoadFromFile from the file to the composed picture.

#include <gtest/gtest.h>

#include <cstdio>

#include "gfx/stretch.h"
#include "picture/decode.h"
#include "picture/picture_composer.h"
#include "picture_test_util.h"

namespace vantor {
namespace {

using test::made;

PictureComposer control(int w, int h) {
  PictureComposer c;
  c.width = w;
  c.height = h;
  return c;
}

TEST(PictureFlow, PhotographFittedToTheControl) {
  PictureComposer c = control(1024, 768);
  ASSERT_TRUE(c.loadFromFile(test::cameraJpeg()));
  // 2560 x 1600: the width binds, r = 2.5, height Trunc(1600 / 2.5).
  EXPECT_EQ(c.picture.size(), (gfx::Size{1024, 640}));
  EXPECT_EQ(c.pictureArea, (gfx::Rect{0, 0, 1024, 640}));
  EXPECT_EQ(c.lastPicture, (gfx::Size{1024, 640}));
}

// The JPEG is decoded at a reduced DCT scale before it is shrunk; the
// fitted pixels stay close to those of a full decode shrunk the same way.
// Nearest-neighbour sampling of the full decode picks single pixels where
// the reduced decode averages, so fine detail differs by more than the mean.
TEST(PictureFlow, ReducedDecodeMatchesAFullDecode) {
  struct Case {
    int w, h;
    double meanLimit, p99Limit;
  };
  const std::vector<uint8_t> bytes = test::readBytes(test::cameraJpeg());
  const gfx::Bitmap full = decodeJpeg(bytes, {}).bitmap;
  for (const Case &k : {Case{1024, 768, 2, 24}, Case{800, 600, 2, 24}, Case{320, 240, 2, 24}}) {
    PictureComposer c = control(k.w, k.h);
    ASSERT_TRUE(c.loadFromFile(test::cameraJpeg()));
    gfx::Bitmap expected(c.picture.width(), c.picture.height());
    gfx::stretchCopy(expected, expected.rect(), full, full.rect());
    const test::PixelDiff d = test::compare(c.picture, expected);
    std::printf("control %dx%d: fitted %dx%d, max %d, mean %.2f, p99 %.0f\n", k.w, k.h,
                c.picture.width(), c.picture.height(), d.max, d.mean, d.p99);
    EXPECT_LE(d.mean, k.meanLimit);
    EXPECT_LE(d.p99, k.p99Limit);
  }
}

// A missing JPEG loads nothing, and the later steps run on the picture
// already there; before any picture there is no ratio to scale by, and the
// operation ends without a picture.
TEST(PictureFlow, MissingJpegRunsTheLaterStepsOnThePicture) {
  PictureComposer c = control(100, 80);
  c.fitMode = 2;
  EXPECT_FALSE(c.loadFromFile(made("absent.jpeg")));
  EXPECT_TRUE(c.picture.empty());
  EXPECT_FALSE(c.lastPicture.has_value());

  c = control(100, 80);
  c.previewMode = true;
  c.picture = gfx::Bitmap(100, 80, 0x00FF0000);
  EXPECT_TRUE(c.loadFromFile(made("absent.jpg")));
  EXPECT_EQ(c.picture.size(), (gfx::Size{103, 83}));
  // The enlarged 103 x 83 picture is now larger than the control: it is
  // fitted to 99 x 80 and enlarged again.
  EXPECT_TRUE(c.loadFromFile(made("absent.jpg")));
  EXPECT_EQ(c.picture.size(), (gfx::Size{103, 83}));
  EXPECT_EQ(c.pictureArea, (gfx::Rect{3, 2, 102, 82}));
}

// A first picture smaller than the control is remembered and not enlarged;
// with a caption it is centred on a control-sized picture.
TEST(PictureFlow, SmallFirstPictureAloneOrCaptioned) {
  class NoText : public CaptionText {
   public:
    gfx::Size measure(const std::string &, const CaptionFont &) override { return {10, 5}; }
    void draw(gfx::Bitmap &, gfx::Point, const std::string &, const CaptionFont &) override {}
  } text;
  const std::string file = made("small.png");
  test::run("convert -size 30x20 xc:green '" + file + "'");
  PictureComposer c = control(100, 80);
  ASSERT_TRUE(c.loadFromFile(file));
  EXPECT_EQ(c.picture.size(), (gfx::Size{30, 20}));
  EXPECT_EQ(c.lastPicture, (gfx::Size{30, 20}));

  c = control(100, 80);
  c.captionText = &text;
  c.caption.assign(1, 'x');
  c.captionPosition = CaptionPosition::Bottom;
  c.color = 0x000000FF;
  ASSERT_TRUE(c.loadFromFile(file));
  ASSERT_EQ(c.picture.size(), (gfx::Size{100, 80}));
  EXPECT_EQ(c.pictureArea, (gfx::Rect{0, 0, 30, 20}));
  EXPECT_EQ(c.picture.pixel(35, 30), gfx::makeColor(0, 128, 0));
  EXPECT_EQ(c.picture.pixel(34, 30), 0x000000FFu);
}

}  // namespace
}  // namespace vantor
