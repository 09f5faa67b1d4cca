// Pictures a camera stored turned, with the turn recorded in their EXIF
// block: the loader shows them upright in all eight orientations, and as
// stored when the setting is off.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "picture/picture_composer.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"

namespace vantor {
namespace {

using test::Bytes;

const gfx::Color kRed = gfx::makeColor(255, 0, 0);
const gfx::Color kGreen = gfx::makeColor(0, 255, 0);
const gfx::Color kBlue = gfx::makeColor(0, 0, 255);

// How ImageMagick turns the upright picture into the pixels a camera stores
// for each orientation: the opposite of the turn the orientation asks for.
const char *const kStoredBy[9] = {"",          "",           "-flop",       "-rotate 180",
                                  "-flip",     "-transpose", "-rotate 270", "-transverse",
                                  "-rotate 90"};

// An EXIF block with only the Orientation tag, in either byte order.
Bytes exifBlock(int orientation, bool bigEndian) {
  const auto o = uint8_t(orientation);
  if (bigEndian)
    return {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
            3,   0,   0, 0,  1, 0, o, 0, 0, 0, 0,    0,    0};
  return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
}

// The JPEG with an APP1 EXIF marker after its APP0 marker.
Bytes withJpegExif(Bytes jpeg, const Bytes &tiff) {
  size_t at = 2;
  if (jpeg[2] == 0xFF && jpeg[3] == 0xE0) at = 4 + size_t(jpeg[4] << 8 | jpeg[5]);
  Bytes app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  const size_t length = app1.size() - 2;
  app1[2] = uint8_t(length >> 8), app1[3] = uint8_t(length);
  jpeg.insert(jpeg.begin() + ptrdiff_t(at), app1.begin(), app1.end());
  return jpeg;
}

// A simple WebP file put in an extended container with an EXIF chunk.
Bytes withWebpExif(const Bytes &webp, const Bytes &tiff, gfx::Size size) {
  EXPECT_EQ(std::string(webp.begin() + 12, webp.begin() + 16).substr(0, 3), "VP8");
  EXPECT_NE(webp[15], 'X');
  Bytes out(webp.begin(), webp.begin() + 12);
  Bytes vp8x = {'V', 'P', '8', 'X', 10, 0, 0, 0, 0x08, 0, 0, 0};
  for (int v : {size.width - 1, size.height - 1})
    for (int i = 0; i < 3; ++i) vp8x.push_back(uint8_t(v >> (8 * i)));
  out.insert(out.end(), vp8x.begin(), vp8x.end());
  out.insert(out.end(), webp.begin() + 12, webp.end());
  Bytes exif = {'E', 'X', 'I', 'F', 0, 0, 0, 0};
  test::put32(exif, 4, uint32_t(tiff.size()), false);
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  if (exif.size() % 2) exif.push_back(0);
  out.insert(out.end(), exif.begin(), exif.end());
  test::put32(out, 4, uint32_t(out.size() - 8), false);
  return out;
}

// The upright picture, `w` x `h`: red above blue, with a green square in
// its top-left corner, so that every turn and mirror shows.
std::string storedPicture(int orientation, int w, int h, const std::string &ext) {
  const std::string file = (test::scratchDir() / ("stored-" + std::to_string(orientation) + "-" +
                                                  std::to_string(w) + "." + ext))
                               .string();
  const int half = h / 2, corner = w / 4;
  test::run("convert -size " + std::to_string(w) + "x" + std::to_string(half) + " xc:red xc:blue" +
            " -append -fill lime -draw 'rectangle 0,0 " + std::to_string(corner) + "," +
            std::to_string(corner) + "' " + kStoredBy[orientation] +
            " -quality 95 -define webp:lossless=true '" + file + "'");
  return file;
}

std::string tagged(const std::string &stored, int orientation, const std::string &ext,
                   gfx::Size storedSize) {
  const Bytes tiff = exifBlock(orientation, orientation % 2 == 0);
  const Bytes bytes = test::readBytes(stored);
  const std::string file = stored + "-tagged." + ext;
  test::writeBytes(
      file, ext == "jpg" ? withJpegExif(bytes, tiff) : withWebpExif(bytes, tiff, storedSize));
  return file;
}

// Green top left, red top right, blue along the bottom, at fractions of the
// size so that a reduced picture is judged the same way.
void expectUpright(const gfx::Bitmap &b, const std::string &what) {
  const int w = b.width(), h = b.height();
  EXPECT_TRUE(test::near(b.pixel(w / 10, h / 20), kGreen, 60)) << what << " top left";
  EXPECT_TRUE(test::near(b.pixel(w * 9 / 10, h / 10), kRed, 60)) << what << " top right";
  EXPECT_TRUE(test::near(b.pixel(w / 10, h * 9 / 10), kBlue, 60)) << what << " bottom left";
  EXPECT_TRUE(test::near(b.pixel(w * 9 / 10, h * 9 / 10), kBlue, 60)) << what << " bottom right";
}

TEST(PictureOrientation, AllEightOrientationsLoadUpright) {
  for (const std::string ext : {"jpg", "webp"})
    for (int o = 1; o <= 8; ++o) {
      const std::string what = ext + " orientation " + std::to_string(o);
      const gfx::Size stored = o >= 5 ? gfx::Size{60, 40} : gfx::Size{40, 60};
      const std::string file = tagged(storedPicture(o, 40, 60, ext), o, ext, stored);
      gfx::Bitmap picture;
      const LoadResult r = LoadGraphicFile(picture, file, 0);
      ASSERT_TRUE(r.loaded) << what;
      EXPECT_EQ(picture.size(), (gfx::Size{40, 60})) << what;
      EXPECT_EQ(r.fullSize, (gfx::Size{40, 60})) << what;
      expectUpright(picture, what);
    }
}

// A file whose author turned the pixels and kept the tag is shown as stored
// when the setting is off.
TEST(PictureOrientation, SettingOffShowsStoredPixels) {
  const std::string file = tagged(storedPicture(1, 60, 40, "jpg"), 6, "jpg", {60, 40});
  gfx::Bitmap picture;
  const LoadResult r = LoadGraphicFile(picture, file, 0, {}, false);
  EXPECT_EQ(r.fullSize, (gfx::Size{60, 40}));
  expectUpright(picture, "not turned");
}

// Fitting works on the upright sides: a tall photograph stored on its side
// fills the control's height, and the reduced decode keeps it sharp enough
// to cover that size.
TEST(PictureOrientation, FittedOnUprightSides) {
  const std::string file = tagged(storedPicture(6, 400, 600, "jpg"), 6, "jpg", {600, 400});
  PictureComposer c;
  c.width = 100;
  c.height = 100;
  c.fitMode = 0;
  ASSERT_TRUE(c.loadFromFile(file));
  EXPECT_EQ(c.picture.size(), (gfx::Size{66, 100}));
  expectUpright(c.picture, "fitted");
}

}  // namespace
}  // namespace vantor
