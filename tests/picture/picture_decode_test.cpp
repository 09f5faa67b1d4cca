// Decoding real pictures, compared with ImageMagick's own decoding of the
// same files; files made with convert when the tests start.

#include <gtest/gtest.h>

#include <string>

#include "gfx/stretch.h"
#include "picture/decode.h"
#include "picture/decode_png_direct.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"

namespace vantor {
namespace {

using test::compare;
using test::referenceDecode;
using test::run;
using test::scratchDir;

std::string made(const std::string &name) {
  return (scratchDir() / name).string();
}

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
  const char *options;  // convert options that make it
  const char *referenceOptions;
  int tolerance;  // largest channel difference allowed
};

class PictureDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(PictureDecode, MatchesAnIndependentDecoder) {
  const DecodeCase &c = GetParam();
  const std::string file = fromPhoto(c.name, c.options);
  const gfx::Bitmap ours = load(file, gfx::makeColor(255, 128, 0));
  const gfx::Bitmap theirs = referenceDecode(
      file + (std::string(c.name).ends_with(".tif") ? "[0]" : ""), c.referenceOptions);
  ASSERT_FALSE(theirs.empty());
  ASSERT_EQ(ours.size(), theirs.size());
  const test::PixelDiff d = compare(ours, theirs);
  EXPECT_LE(d.max, c.tolerance) << "mean " << d.mean;
}

const DecodeCase kCases[] = {
    {"plain.jpg", "-quality 90", "", 2},
    {"grey.jpg", "-colorspace Gray", "", 1},
    {"cmyk.jpg", "-colorspace CMYK", "-colorspace sRGB", 2},
    {"progressive.jpg", "-interlace Plane", "", 2},
    {"palette.gif", "-colors 64", "", 0},
    {"deep.png", "-depth 16", "", 1},
    {"grey16.png", "-colorspace Gray -depth 16", "", 1},
    {"palette.png", "-colors 20 PNG8:", "", 0},
    {"interlaced.png", "-interlace PNG", "", 0},
    {"interlacedalpha.png", "-alpha set -channel A -fx 'i/w' +channel -interlace PNG",
     "-background 'rgb(255,128,0)' -flatten", 1},
    {"alpha.png", "-alpha set -channel A -fx 'i/w' +channel",
     "-background 'rgb(255,128,0)' -flatten", 1},
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

// 8-bit RGB and RGBA PNGs are unfiltered by our own code: each filter type
// (convert's -quality ones digit), and the adaptive mix, gives exactly the
// pixels that ImageMagick decodes; other kinds are left to libpng.
struct PngCase {
  const char *name;
  const char *options;
  bool direct;  // read without libpng
};

class PictureDirectPng : public testing::TestWithParam<PngCase> {};

TEST_P(PictureDirectPng, SamePixelsAsAnIndependentDecoder) {
  const PngCase &c = GetParam();
  const std::string file = fromPhoto(c.name, c.options);
  const std::vector<uint8_t> bytes = test::readBytes(file);
  DecodeOptions options;
  options.flatten = false;  // the colour channels as stored, alpha or not
  PictureSource source(bytes);
  EXPECT_EQ(decodePngDirect(source, options).has_value(), c.direct);
  const gfx::Bitmap ours = decodePng(bytes, options).bitmap;
  const gfx::Bitmap theirs = referenceDecode(file, "-alpha off");
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_EQ(compare(ours, theirs).max, 0);
}

const char *const kAlpha = "-alpha set -channel A -fx '(i+j)/(w+h)' +channel ";
const PngCase kPngCases[] = {
    {"none.png", "-quality 90 PNG24:", true},
    {"sub.png", "-quality 91 PNG24:", true},
    {"up.png", "-quality 92 PNG24:", true},
    {"average.png", "-quality 93 PNG24:", true},
    {"paeth.png", "-quality 94 PNG24:", true},
    {"adaptive.png", "-quality 95 PNG24:", true},
    {"sub_alpha.png", "-alpha set -channel A -fx '(i+j)/(w+h)' +channel -quality 91 PNG32:", true},
    {"average_alpha.png",
     "-alpha set -channel A -fx '(i+j)/(w+h)' +channel -quality 93 PNG32:", true},
    {"paeth_alpha.png",
     "-alpha set -channel A -fx '(i+j)/(w+h)' +channel -quality 94 PNG32:", true},
    {"palette_png8.png", "-colors 20 PNG8:", false},
    {"interlaced_rgb.png", "-interlace PNG PNG24:", false},
    {"grey8.png", "-colorspace Gray PNG:", false},
};

INSTANTIATE_TEST_SUITE_P(Filters, PictureDirectPng, testing::ValuesIn(kPngCases),
                         [](const testing::TestParamInfo<PngCase> &i) {
                           const std::string n = i.param.name;
                           return n.substr(0, n.find('.'));
                         });

// A PNG read a row at a time is reduced as its rows arrive, to exactly the
// pixels that fitting the whole picture would sample; an interlaced one,
// whose rows arrive in passes, may stay whole and is fitted afterwards.
TEST(PictureDirectPng, ReducedWhileDecodingAsTheFitSamples) {
  struct Case {
    const char *name, *options;
    bool reducedWhileDecoding;
  };
  const std::string alpha = std::string(kAlpha) + "PNG32:";
  const Case cases[] = {{"fit_rgb.png", "PNG24:", true},
                        {"fit_alpha.png", alpha.c_str(), true},
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

TEST(PictureDecodeCamera, FullSizePhotograph) {
  const gfx::Bitmap ours = load(test::cameraJpeg());
  const gfx::Bitmap theirs = referenceDecode(test::cameraJpeg());
  ASSERT_EQ(ours.size(), (gfx::Size{2560, 1600}));
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_LE(compare(ours, theirs).max, 2);
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

struct ExtensionCase {
  const char *fileName;
  const char *upper;
};

TEST(PictureLoadExtension, UpperCasedWithTheDot) {
  const ExtensionCase cases[] = {{"/a/b.Jpeg", ".JPEG"}, {"x.tar.gz", ".GZ"}, {"/a.b/noext", ""},
                                 {"sunset", ""},         {"/p/.png", ".PNG"}, {"c.", "."}};
  for (const ExtensionCase &c : cases) EXPECT_EQ(upperExtension(c.fileName), c.upper) << c.fileName;
}

TEST(PictureLoadExtension, GeneralLoaderTable) {
  for (const char *e : {"bmp", "dib", "rle"})
    EXPECT_EQ(generalLoaderFormat(e), PictureFormat::QtBmp);
  for (const char *e : {"jpg", "jpeg", "jpe", "jfif"})
    EXPECT_EQ(generalLoaderFormat(e), PictureFormat::Jpeg);
  for (const char *e : {"tif", "tiff", "fax"})
    EXPECT_EQ(generalLoaderFormat(e), PictureFormat::Tiff);
  EXPECT_EQ(generalLoaderFormat("png"), PictureFormat::Png);
  EXPECT_EQ(generalLoaderFormat("ico"), PictureFormat::QtIco);
  EXPECT_EQ(generalLoaderFormat("pgm"), PictureFormat::QtPgm);
  for (const char *e : {"emf", "wmf", "pcx", "tga", "psd", "psp", "pcd", "sgi", "rla", "cut", "pic",
                        "eps", "gif", "PNG", "xyz", ""})
    EXPECT_EQ(generalLoaderFormat(e), PictureFormat::Unreadable) << e;
}

TEST(PictureLoadExtension, MissingJpegLoadsNothing) {
  gfx::Bitmap b(2, 2, 0x123456);
  for (const char *name : {"gone.jpg", "gone.JPEG"}) {
    const LoadResult r = LoadGraphicFile(b, made(name), 0);
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(b.pixel(1, 1), 0x123456u);
  }
}

TEST(PictureLoadExtension, FailuresLeaveThePictureAlone) {
  const std::string png = fromPhoto("real.png", "");
  std::filesystem::copy_file(png, made("real.pcx"));
  std::filesystem::copy_file(png, made("real"));
  std::filesystem::copy_file(png, made("real.bmp"));
  for (const std::string &name : {made("gone.png"), made("gone.jpe"), made("gone.gif"),
                                  made("real.pcx"), made("real"), made("real.bmp")}) {
    gfx::Bitmap b(2, 2, 0x123456);
    EXPECT_THROW(LoadGraphicFile(b, name, 0), DecodeError) << name;
    EXPECT_EQ(b.size(), (gfx::Size{2, 2}));
    EXPECT_EQ(b.pixel(1, 1), 0x123456u);
  }
}

}  // namespace
}  // namespace vantor
