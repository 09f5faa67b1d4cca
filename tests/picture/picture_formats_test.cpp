// WebP, HEIC, AVIF and JPEG XL: pictures made by ImageMagick and the JPEG XL
// encoder when the tests start, decoded by the loader and compared with an
// independent decoding (ImageMagick's, or djxl's); damaged and hostile files
// of each format are refused.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "picture/decode.h"
#include "picture/decode_formats.h"
#include "picture/picture_composer.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"
#include "platform/cancel.h"
#include "platform/debug_log.h"

namespace vantor {
namespace {

using test::Bytes;
using test::put32;
using test::run;

using test::made;

bool haveTool(const std::string &name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The camera photograph at 320 x 200, without and with an alpha ramp.
const std::string &photo(bool alpha) {
  static const std::string plain = [] {
    const std::string p = made("photo.png");
    run("convert '" + test::cameraJpeg() + "' -resize 320x200 -strip '" + p + "'");
    return p;
  }();
  static const std::string ramp = [] {
    const std::string p = made("photo-alpha.png");
    run("convert '" + plain + "' -alpha set -channel A -fx 'i/w' +channel '" + p + "'");
    return p;
  }();
  return alpha ? ramp : plain;
}

// Replaces every "$IN" and "$OUT" in a command.
std::string fill(std::string command, const std::string &in, const std::string &out) {
  for (const auto &[key, value] : {std::pair{"$IN", in}, std::pair{"$OUT", out}})
    for (size_t at; (at = command.find(key)) != std::string::npos;)
      command.replace(at, std::string(key).size(), "'" + value + "'");
  return command;
}

const gfx::Color kOrange = gfx::makeColor(255, 128, 0);
constexpr const char *kOnOrange = "-background 'rgb(255,128,0)' -flatten";

struct FormatCase {
  const char *name;
  bool alpha;             // made from the photograph with its alpha ramp
  const char *make;       // makes $OUT from $IN
  const char *reference;  // decodes $IN to the PNG $OUT; empty: ImageMagick reads the file
  int maxDiff;            // largest channel difference allowed
  double meanDiff;        // largest mean difference allowed
};
// Case names, not bytes, in the test lists.
void PrintTo(const FormatCase &c, std::ostream *os) {
  *os << c.name;
}

// ImageMagick 6 turns HEIF's YCbCr into RGB itself, with its own chroma
// upsampling: single pixels at sharp colour edges differ by up to 31, the
// rest by 2 at most. The alpha ramp is written by libheif's own encoder,
// since ImageMagick 6 drops alpha from HEIF, and compared with libheif's
// converter. Blending the alpha ramp over the background rounds by 1.
const FormatCase kFormats[] = {
    {"lossy.webp", false, "convert $IN -quality 80 $OUT", "", 0, 0},
    {"lossless-alpha.webp", true, "convert $IN -define webp:lossless=true $OUT", "", 1, 0.5},
    {"animated.webp", false, "convert -delay 10 $IN ( $IN -negate ) -loop 0 $OUT", "", 0, 0},
    {"photo.heic", false, "convert $IN -quality 70 $OUT", "", 40, 1},
    {"photo.avif", false, "convert $IN -quality 70 $OUT", "", 40, 1},
    {"alpha.heic", true, "heif-enc -q 70 $IN -o $OUT", "heif-convert $IN $OUT", 1, 0.5},
    {"alpha.avif", true, "heif-enc -A -q 70 $IN -o $OUT", "heif-convert $IN $OUT", 1, 0.5},
    {"ten-bit.heic", false,
     "convert $IN -depth 16 $OUT.png && heif-enc -b 10 -q 70 $OUT.png -o $OUT",
     "heif-convert $IN $OUT", 1, 0.5},
    {"lossy.jxl", false, "cjxl -q 85 $IN $OUT", "djxl $IN $OUT", 0, 0},
    {"lossless-alpha.jxl", true, "cjxl -d 0 $IN $OUT", "djxl $IN $OUT", 1, 0.5},
};

std::string makeFile(const FormatCase &c) {
  const std::string file = made(c.name);
  std::string command = fill(c.make, photo(c.alpha), file);
  for (size_t at; (at = command.find(" ( ")) != std::string::npos;) command.replace(at, 3, " \\( ");
  for (size_t at; (at = command.find(" ) ")) != std::string::npos;) command.replace(at, 3, " \\) ");
  run(command + " >/dev/null 2>&1");
  return file;
}

class FormatDecode : public testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override {
    for (const char *tool : {"cjxl", "heif-enc"})
      if (std::string(GetParam().make).find(tool) != std::string::npos && !haveTool(tool))
        GTEST_SKIP() << tool << " is not installed (libjxl-tools, libheif-examples)";
  }
};

TEST_P(FormatDecode, MatchesAnIndependentDecoder) {
  const FormatCase &c = GetParam();
  const std::string file = makeFile(c);
  gfx::Bitmap ours;
  const LoadResult r = LoadGraphicFile(ours, file, kOrange);
  ASSERT_TRUE(r.loaded);
  EXPECT_EQ(r.fullSize, (gfx::Size{320, 200}));

  std::string reference = file + (std::string(c.name) == "animated.webp" ? "[0]" : "");
  if (*c.reference) {
    reference = made(std::string(c.name) + ".reference.png");
    run(fill(c.reference, file, reference) + " >/dev/null 2>&1");
  }
  const gfx::Bitmap theirs = test::referenceDecode(reference, c.alpha ? kOnOrange : "");
  ASSERT_EQ(ours.size(), theirs.size());
  const test::PixelDiff d = test::compare(ours, theirs);
  EXPECT_LE(d.max, c.maxDiff) << "mean " << d.mean << ", 99th percentile " << d.p99;
  EXPECT_LE(d.mean, c.meanDiff) << "largest " << d.max << ", 99th percentile " << d.p99;
  if (c.maxDiff > 2) {
    EXPECT_LE(d.p99, 2);
  }

  // A load whose job is already cancelled stops at the decoder's first look
  // at the flag and leaves the picture as it was.
  const std::atomic<bool> cancelled{true};
  const CancelScope scope(cancelled);
  gfx::Bitmap picture(2, 2, kOrange);
  EXPECT_THROW(LoadGraphicFile(picture, file, 0), Cancelled);
  EXPECT_EQ(picture.pixel(1, 1), kOrange);
}

// Damaged copies of each made file: cut short at several places, and with
// its second half overwritten.
TEST_P(FormatDecode, DamagedFilesAreRefused) {
  const FormatCase &c = GetParam();
  const Bytes whole = test::readBytes(makeFile(c));
  ASSERT_GT(whole.size(), 64u);
  std::vector<Bytes> damaged;
  // (The last bytes of a picture, or an animation's later frames, are not
  // always needed to show it.)
  for (size_t keep : {size_t(0), size_t(8), size_t(30), whole.size() / 4, whole.size() * 2 / 5})
    damaged.emplace_back(whole.begin(), whole.begin() + std::ptrdiff_t(keep));
  Bytes scrambled = whole;
  for (size_t i = scrambled.size() / 2; i < scrambled.size(); ++i) scrambled[i] ^= uint8_t(i * 37);
  const std::string file = made(std::string("damaged-") + c.name);
  for (const Bytes &bytes : damaged) {
    test::writeBytes(file, bytes);
    gfx::Bitmap before(2, 2, kOrange), picture = before;
    EXPECT_THROW(LoadGraphicFile(picture, file, 0), DecodeError) << bytes.size() << " bytes";
    EXPECT_EQ(picture.pixel(1, 1), kOrange);
  }
  // A scrambled tail may still decode, as garbage; it must not crash.
  test::writeBytes(file, scrambled);
  gfx::Bitmap picture;
  try {
    LoadGraphicFile(picture, file, 0);
  } catch (const DecodeError &) {
  }
}

INSTANTIATE_TEST_SUITE_P(Files, FormatDecode, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<FormatCase> &i) {
                           std::string n = i.param.name;
                           for (char &ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

// Writes bits least significant first, as JPEG XL headers are read.
struct BitWriter {
  Bytes bytes;
  int used = 8;
  void put(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i, ++used) {
      if (used == 8) bytes.push_back(0), used = 0;
      bytes.back() |= uint8_t(((value >> i) & 1) << used);
    }
  }
};

// Headers that claim pictures far beyond the size cap, each refused before
// anything of that size is allocated.
TEST(PictureFormatsHostile, HugeDeclaredSizesAreRefused) {
  // Lossless WebP of 16384 x 16384: 268 million pixels.
  Bytes webp = {'R', 'I', 'F', 'F', 0,    0,    0,    0,    'W',  'E', 'B', 'P', 'V', 'P', '8', 'L',
                0,   0,   0,   0,   0x2f, 0xff, 0xff, 0xff, 0x0f, 0,   0,   0,   0,   0,   0,   0};
  put32(webp, 4, uint32_t(webp.size() - 8), false);
  put32(webp, 16, uint32_t(webp.size() - 20), false);

  // A HEIC photograph whose image sizes say 30000 x 30000 (within libheif's own limit).
  Bytes heic = test::readBytes(makeFile(kFormats[3]));
  int patched = 0;
  for (size_t i = 0; i + 16 <= heic.size(); ++i)
    if (heic[i] == 'i' && heic[i + 1] == 's' && heic[i + 2] == 'p' && heic[i + 3] == 'e') {
      put32(heic, i + 8, 30000, true);
      put32(heic, i + 12, 30000, true);
      ++patched;
    }
  ASSERT_GT(patched, 0);

  // A JPEG XL codestream of 100000 x 100000 with default metadata.
  BitWriter jxl;
  jxl.put(0xff, 8), jxl.put(0x0a, 8);
  jxl.put(0, 1);                      // not a small size
  jxl.put(3, 2), jxl.put(99999, 30);  // height - 1
  jxl.put(0, 3);                      // no ratio: the width follows
  jxl.put(3, 2), jxl.put(99999, 30);  // width - 1
  jxl.put(1, 1);                      // all metadata default
  jxl.put(0, 32);

  // A grid whose canvas is 26991 x 30316 behind a declared 24 x 16, found
  // by fuzzing: libheif allocated gigabytes for it.
  const Bytes grid =
      test::readBytes(std::string(VANTOR_SOURCE_DIR) + "/fuzz/corpus/decode_heif/huge_grid.heic");

  const std::pair<const char *, Bytes> files[] = {
      {"huge.webp", webp}, {"huge.heic", heic}, {"huge-grid.heic", grid}, {"huge.jxl", jxl.bytes}};
  for (const auto &[name, bytes] : files) {
    test::writeBytes(made(name), bytes);
    gfx::Bitmap picture(2, 2, kOrange);
    try {
      LoadGraphicFile(picture, made(name), 0);
      ADD_FAILURE() << name << " was loaded";
    } catch (const DecodeError &e) {
      EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos)
          << name << ": " << e.what();
    }
    EXPECT_EQ(picture.pixel(1, 1), kOrange) << name;
  }
}

// The packer's folder scan takes the files the loader reads.
TEST(PictureFormatsScan, NewExtensionsArePictures) {
  for (const char *ext : {"webp", "heic", "heif", "hif", "avif", "jxl"})
    EXPECT_TRUE(isPictureExtension(ext)) << ext;
}

TEST(PictureFormatsScaled, WebpIsDecodedAtTheTargetSize) {
  const std::string file = makeFile(kFormats[0]);
  DecodeOptions options;
  options.targetSize = [](gfx::Size) { return gfx::Size{160, 100}; };
  const Decoded d = decodeMappedFile(PictureFormat::Webp, file, options);
  EXPECT_EQ(d.fullSize, (gfx::Size{320, 200}));
  ASSERT_EQ(d.bitmap.size(), (gfx::Size{160, 100}));
  const gfx::Bitmap theirs = test::referenceDecode(file, "-resize 160x100!");
  EXPECT_LT(test::compare(d.bitmap, theirs).mean, 3.0);
}

// The show skips a picture that no decoder takes; with the debug log on
// (VANTOR_DEBUG=1) it says so on stderr, once for each file.
TEST(PictureFormatsSkipped, DebugSaysWhichFileAndWhyOnce) {
  const std::string file = made("skipped.webp");
  test::writeBytes(file, Bytes{'R', 'I', 'F', 'F', 1, 2, 3});
  setDebugLogEnabled(true);
  PictureComposer look;
  look.width = 64;
  look.height = 48;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(look.loadFromFile(file));
  EXPECT_FALSE(look.loadFromFile(file));
  const std::string said = testing::internal::GetCapturedStderr();
  setDebugLogEnabled(false);
  EXPECT_EQ(said.find("vantor-saver: skipped " + file + ": WebP: "), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

}  // namespace
}  // namespace vantor
