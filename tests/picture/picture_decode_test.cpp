// Decoding real pictures, compared with ImageMagick's own decoding of the
// same files; files made with convert when the tests start.

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <string>

#include "gfx/stretch.h"
#include "picture/decode.h"
#include "picture/decode_png_direct.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"
#include "platform/cancel.h"

namespace vantor {
namespace {

using test::compare;
using test::referenceDecode;
using test::run;

using test::made;

// Makes `name` from the camera photograph with convert's `options`.
std::string fromPhoto(const std::string &name, const std::string &options) {
  // A trailing "FORMAT:" names the coder for the output file.
  std::string prefix, rest = options;
  if (rest.ends_with(':')) {
    const size_t space = rest.find_last_of(' ');
    prefix = space == std::string::npos ? rest : rest.substr(space + 1);
    rest.resize(rest.size() - prefix.size());
  }
  const std::string out = made(name);
  run("convert '" + test::cameraJpeg() + "' -resize 320x200 " + rest + " '" + prefix + out + "'");
  return out;
}

gfx::Bitmap load(const std::string &file, gfx::Color color = 0) {
  gfx::Bitmap b;
  LoadGraphicFile(b, file, color);
  return b;
}

struct DecodeCase {
  const char *name;     // file made for the test
  const char *options;  // convert options that make it; null: the camera photograph
  const char *referenceOptions;
  int tolerance;  // largest channel difference allowed
  // PNGs only: 1 when unfiltered by our own code rather than libpng, 0 when
  // left to libpng; either way the colour channels as stored, unflattened,
  // are exactly ImageMagick's. -1: not checked.
  int direct = -1;
};
// Case names, not bytes, in the test lists.
void PrintTo(const DecodeCase &c, std::ostream *os) {
  *os << c.name;
}

class PictureDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(PictureDecode, MatchesAnIndependentDecoder) {
  const DecodeCase &c = GetParam();
  const std::string file = c.options ? fromPhoto(c.name, c.options) : test::cameraJpeg();
  const gfx::Bitmap ours = load(file, gfx::makeColor(255, 128, 0));
  const gfx::Bitmap theirs = referenceDecode(
      file + (std::string(c.name).ends_with(".tif") ? "[0]" : ""), c.referenceOptions);
  ASSERT_FALSE(theirs.empty());
  ASSERT_EQ(ours.size(), theirs.size());
  const test::PixelDiff d = compare(ours, theirs);
  EXPECT_LE(d.max, c.tolerance) << "mean " << d.mean;

  // A load whose job is already cancelled ends with Cancelled and leaves
  // the bitmap it was given as it was.
  {
    const std::atomic<bool> cancelled{true};
    const CancelScope scope(cancelled);
    gfx::Bitmap picture(3, 2, 0x00123456);
    EXPECT_THROW(LoadGraphicFile(picture, file, 0), Cancelled);
    EXPECT_EQ(picture.size(), (gfx::Size{3, 2}));
    EXPECT_EQ(picture.pixel(2, 1), gfx::Color(0x00123456));
  }
  if (c.direct < 0) return;
  const std::vector<uint8_t> bytes = test::readBytes(file);
  DecodeOptions options;
  options.flatten = false;
  PictureSource source(bytes);
  EXPECT_EQ(decodePngDirect(source, options).has_value(), c.direct == 1);
  const gfx::Bitmap stored = decodePng(bytes, options).bitmap;
  const gfx::Bitmap storedTheirs = referenceDecode(file, "-alpha off");
  ASSERT_EQ(stored.size(), storedTheirs.size());
  EXPECT_EQ(compare(stored, storedTheirs).max, 0);
}

// An alpha ramp across the picture, and the background it is flattened on.
#define RAMP "-alpha set -channel A -fx '(i+j)/(w+h)' +channel "
#define ON_ORANGE "-background 'rgb(255,128,0)' -flatten"

// convert's adaptive filtering (-quality 95) mixes Paeth, average and sub
// rows; every filter type alone is checked below with PNGs written here.
const DecodeCase kCases[] = {
    {"camera.jpg", nullptr, "", 2},
    {"plain.jpg", "-quality 90", "", 2},
    {"grey.jpg", "-colorspace Gray", "", 1},
    {"cmyk.jpg", "-colorspace CMYK", "-colorspace sRGB", 2},
    {"progressive.jpg", "-interlace Plane", "", 2},
    {"palette.gif", "-colors 64", "", 0},
    {"deep.png", "-depth 16", "", 1},
    {"grey16.png", "-colorspace Gray -depth 16", "", 1},
    {"grey8.png", "-colorspace Gray PNG:", "", 0, 0},
    {"palette.png", "-colors 20 PNG8:", "", 0, 0},
    {"interlaced.png", "-interlace PNG PNG24:", "", 0, 0},
    {"interlacedalpha.png", RAMP "-interlace PNG PNG32:", ON_ORANGE, 1, 0},
    {"adaptive.png", "-quality 95 PNG24:", "", 0, 1},
    {"adaptivealpha.png", RAMP "-quality 95 PNG32:", ON_ORANGE, 1, 1},
    {"pages.tif", "\\( +clone -negate \\) -compress lzw", "", 0},
    {"tiled.tif", "-define tiff:tile-geometry=64x64", "", 0},
    {"bottomup.tif", "-define tiff:rows-per-strip=7 -orient BottomLeft", "-auto-orient", 0},
    {"plain.bmp", "BMP3:", "", 0},
    {"runlength.rle", "-colors 16 -compress RLE BMP3:", "", 0},
    {"icon.ico", "-resize 64x40!", "", 0},
    {"colour.ppm", "", "", 0},
    {"grey.pgm", "", "", 0},
    {"mono.pbm", "", "", 0},
};

INSTANTIATE_TEST_SUITE_P(Files, PictureDecode, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DecodeCase> &i) {
                           std::string n = i.param.name;
                           for (char &ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

// A PNG whose rows all use one filter type, or each row the next type, from
// a photograph's pixels, with a pattern in the alpha channel for RGBA.
test::Bytes filteredPng(const gfx::Bitmap &photo, int channels, int filter) {
  const int w = photo.width(), h = photo.height();
  const size_t stride = size_t(w) * size_t(channels);
  std::vector<uint8_t> up(stride, 0), rowBytes(stride), raw;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const gfx::Color c = photo.pixel(x, y);
      uint8_t *px = rowBytes.data() + size_t(x) * size_t(channels);
      px[0] = gfx::redOf(c), px[1] = gfx::greenOf(c), px[2] = gfx::blueOf(c);
      if (channels == 4) px[3] = uint8_t(x * 7 + y * 13);
    }
    const int type = filter < 5 ? filter : y % 5;
    raw.push_back(uint8_t(type));
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= size_t(channels) ? rowBytes[i - size_t(channels)] : 0, b = up[i],
                c = i >= size_t(channels) ? up[i - size_t(channels)] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      const int predictor[] = {0, a, b, (a + b) / 2, paeth};
      raw.push_back(uint8_t(rowBytes[i] - predictor[type]));
    }
    up = rowBytes;
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  test::Bytes packed(packedSize);
  compress(packed.data(), &packedSize, raw.data(), uLong(raw.size()));
  packed.resize(packedSize);
  test::Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto chunk = [&png](const char *type, const test::Bytes &body) {
    test::Bytes b(4, 0);
    test::put32(b, 0, uint32_t(body.size()), true);
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), body.begin(), body.end());
    const uLong crc = crc32(0, b.data() + 4, uInt(b.size() - 4));
    b.resize(b.size() + 4);
    test::put32(b, b.size() - 4, uint32_t(crc), true);
    png.insert(png.end(), b.begin(), b.end());
  };
  test::Bytes header(13, 0);
  test::put32(header, 0, uint32_t(w), true);
  test::put32(header, 4, uint32_t(h), true);
  header[8] = 8;
  header[9] = channels == 4 ? 6 : 2;
  chunk("IHDR", header);
  chunk("IDAT", packed);
  chunk("IEND", {});
  return png;
}

TEST(PictureDirectPng, EveryFilterTypeGivesTheStoredPixels) {
  // An odd width leaves a tail after any grouping of pixels.
  const std::string small = made("filters.ppm");
  run("convert '" + test::cameraJpeg() + "' -resize 97x61! '" + small + "'");
  const gfx::Bitmap photo = test::readPpm(small);
  ASSERT_EQ(photo.size(), (gfx::Size{97, 61}));
  const char *const names[] = {"none", "sub", "up", "average", "paeth", "each in turn"};
  for (const int channels : {3, 4})
    for (int filter = 0; filter <= 5; ++filter) {
      SCOPED_TRACE(testing::Message() << names[filter] << ", " << channels << " channels");
      const test::Bytes png = filteredPng(photo, channels, filter);
      DecodeOptions options;
      options.flatten = false;
      PictureSource source(png);
      const std::optional<Decoded> d = decodePngDirect(source, options);
      ASSERT_TRUE(d.has_value());
      ASSERT_EQ(d->bitmap.size(), photo.size());
      int wrong = 0;
      for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) wrong += d->bitmap.pixel(x, y) != photo.pixel(x, y);
      EXPECT_EQ(wrong, 0);
    }
}

// A PNG read a row at a time is reduced as its rows arrive, to exactly the
// pixels that fitting the whole picture would sample; an interlaced one,
// whose rows arrive in passes, may stay whole and is fitted afterwards.
TEST(PictureDirectPng, ReducedWhileDecodingAsTheFitSamples) {
  struct Case {
    const char *name, *options;
    bool reducedWhileDecoding;
  };
  const Case cases[] = {{"fit_rgb.png", "PNG24:", true},
                        {"fit_alpha.png", RAMP "PNG32:", true},
                        {"fit_deep.png", "-depth 16 PNG48:", true},
                        {"fit_interlaced.png", "-interlace PNG PNG24:", false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = test::readBytes(fromPhoto(c.name, c.options));
    const Decoded whole = decodePng(bytes, {});
    DecodeOptions options;
    const gfx::Size target{97, 61};
    options.targetSize = [&](gfx::Size) { return target; };
    const Decoded reduced = decodePng(bytes, options);
    EXPECT_EQ(reduced.fullSize, whole.bitmap.size());
    EXPECT_EQ(reduced.bitmap.size() == target, c.reducedWhileDecoding);
    gfx::Bitmap expected(target.width, target.height), fitted(target.width, target.height);
    gfx::stretchCopy(expected, expected.rect(), whole.bitmap, whole.bitmap.rect());
    gfx::stretchCopy(fitted, fitted.rect(), reduced.bitmap, reduced.bitmap.rect());
    EXPECT_EQ(compare(fitted, expected).max, 0);
  }
}

TEST(PictureDecodeCamera, ReducedScaleCoversTheTarget) {
  const std::vector<uint8_t> bytes = test::readBytes(test::cameraJpeg());
  DecodeOptions options;
  gfx::Size asked;
  options.targetSize = [&](gfx::Size full) {
    asked = full;
    return gfx::Size{900, 563};
  };
  const Decoded d = decodeJpeg(bytes, options);
  EXPECT_EQ(asked, (gfx::Size{2560, 1600}));
  EXPECT_EQ(d.fullSize, (gfx::Size{2560, 1600}));
  // 3/8 gives 960 x 600, the smallest eighth that still covers 900 x 563;
  // its rows are sampled down the rest of the way as the fit would.
  ASSERT_EQ(d.bitmap.size(), (gfx::Size{900, 563}));
  options.targetSize = [](gfx::Size) { return gfx::Size{960, 600}; };
  const Decoded eighths = decodeJpeg(bytes, options);
  ASSERT_EQ(eighths.bitmap.size(), (gfx::Size{960, 600}));
  gfx::Bitmap expected(900, 563);
  gfx::stretchCopy(expected, expected.rect(), eighths.bitmap, eighths.bitmap.rect());
  EXPECT_EQ(compare(d.bitmap, expected).max, 0);
}

TEST(PictureLoadFlattening, GifOnColourBmpAsStored) {
  // A GIF with one transparent pixel, and a bitmap whose red pixels all
  // carry zero alpha.
  const std::string gif = made("holes.gif"), bmp = made("clear.bmp");
  run("convert -size 4x1 xc:red -fill white -draw 'point 1,0' -transparent white '" + gif + "'");
  run("convert -size 3x2 'xc:rgba(255,0,0,0)' 'BMP:" + bmp + "'");
  const gfx::Color color = gfx::makeColor(10, 200, 30);
  const gfx::Bitmap g = load(gif, color);
  ASSERT_EQ(g.size(), (gfx::Size{4, 1}));
  EXPECT_EQ(g.pixel(0, 0), gfx::makeColor(255, 0, 0));
  EXPECT_EQ(g.pixel(1, 0), color);
  const gfx::Bitmap b = load(bmp, color);
  ASSERT_EQ(b.size(), (gfx::Size{3, 2}));
  EXPECT_EQ(b.pixel(0, 0), gfx::makeColor(255, 0, 0));
  // The same bytes under .dib are flattened like every other format.
  std::filesystem::copy_file(bmp, made("clear.dib"));
  EXPECT_EQ(load(made("clear.dib"), color).pixel(0, 0), color);
}

TEST(PictureLoadExtension, UpperCasedWithTheDot) {
  const std::pair<const char *, const char *> cases[] = {
      {"/a/b.Jpeg", ".JPEG"}, {"x.tar.gz", ".GZ"}, {"/a.b/noext", ""},
      {"sunset", ""},         {"/p/.png", ".PNG"}, {"c.", "."}};
  for (const auto &[name, upper] : cases) EXPECT_EQ(upperExtension(name), upper) << name;
}

TEST(PictureLoadExtension, GeneralLoaderTable) {
  const std::pair<PictureFormat, std::vector<const char *>> table[] = {
      {PictureFormat::QtBmp, {"bmp", "dib", "rle"}},
      {PictureFormat::Jpeg, {"jpg", "jpeg", "jpe", "jfif"}},
      {PictureFormat::Tiff, {"tif", "tiff", "fax"}},
      {PictureFormat::Png, {"png"}},
      {PictureFormat::QtIco, {"ico"}},
      {PictureFormat::QtPgm, {"pgm"}},
      {PictureFormat::Unreadable,
       {"emf", "wmf", "pcx", "tga", "psd", "psp", "pcd", "sgi", "rla", "cut", "pic", "eps", "gif",
        "PNG", "xyz", ""}},
  };
  for (const auto &[format, extensions] : table)
    for (const char *e : extensions) EXPECT_EQ(generalLoaderFormat(e), format) << e;
}

// A missing JPEG loads nothing without an error (the show keeps its
// picture); other missing or unreadable files fail. Either way the picture
// is left alone.
TEST(PictureLoadExtension, FailuresLeaveThePictureAlone) {
  const std::string png = fromPhoto("real.png", "");
  for (const char *copy : {"real.pcx", "real", "real.bmp"})
    std::filesystem::copy_file(png, made(copy));
  const std::pair<const char *, bool> cases[] = {
      {"gone.jpg", false}, {"gone.JPEG", false}, {"gone.png", true}, {"gone.jpe", true},
      {"gone.gif", true},  {"real.pcx", true},   {"real", true},     {"real.bmp", true}};
  for (const auto &[name, throws] : cases) {
    gfx::Bitmap b(2, 2, 0x123456);
    if (throws) {
      EXPECT_THROW(LoadGraphicFile(b, made(name), 0), DecodeError) << name;
    } else {
      EXPECT_FALSE(LoadGraphicFile(b, made(name), 0).loaded) << name;
    }
    EXPECT_EQ(b.size(), (gfx::Size{2, 2})) << name;
    EXPECT_EQ(b.pixel(1, 1), 0x123456u) << name;
  }
}

}  // namespace
}  // namespace vantor
