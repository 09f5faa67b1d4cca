// Hostile and damaged files fail to load, and the picture shown before
// stays as it was.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "picture/decode.h"
#include "picture/picture_composer.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"

namespace vantor {
namespace {

using test::Bytes;

void put32be(Bytes &b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void put16le(Bytes &b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void put32le(Bytes &b, uint32_t v) {
  put16le(b, v & 0xFFFF);
  put16le(b, v >> 16);
}

void pngChunk(Bytes &b, const char *type, const Bytes &body) {
  put32be(b, uint32_t(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  b.insert(b.end(), typed.begin(), typed.end());
  put32be(b, uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

// A well-formed PNG header that claims 100000 x 100000 RGB pixels.
Bytes hugePng() {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  put32be(ihdr, 100000);
  put32be(ihdr, 100000);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  pngChunk(b, "IHDR", ihdr);
  pngChunk(b, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  pngChunk(b, "IEND", {});
  return b;
}

// A 4 x 4 GIF whose image data holds codes that the table never had.
Bytes badLzwGif() {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  put16le(b, 4);
  put16le(b, 4);
  b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two-colour table
  b.push_back(',');
  put16le(b, 0), put16le(b, 0), put16le(b, 4), put16le(b, 4);
  b.insert(b.end(), {0x00, 2, 4, 0x84, 0xFF, 0xFF, 0xFF, 0, ';'});
  return b;
}

// A 16 x 16 grey TIFF whose strip tables claim a billion entries far past
// the end of the file.
Bytes absurdStripsTiff() {
  Bytes b = {'I', 'I', 42, 0};
  put32le(b, 8);
  const uint32_t huge = 0x40000000, far = 0x7FFFFF00;
  const uint32_t entries[][4] = {
      {256, 3, 1, 16},     {257, 3, 1, 16}, {258, 3, 1, 8}, {259, 3, 1, 1},      {262, 3, 1, 1},
      {273, 4, huge, far}, {277, 3, 1, 1},  {278, 4, 1, 1}, {279, 4, huge, far},
  };
  put16le(b, uint32_t(std::size(entries)));
  for (const auto &e : entries) {
    put16le(b, e[0]), put16le(b, e[1]), put32le(b, e[2]), put32le(b, e[3]);
  }
  put32le(b, 0);
  b.resize(512, 0x80);
  return b;
}

Bytes cutJpeg() {
  Bytes b = test::readBytes(test::cameraJpeg());
  b.resize(b.size() / 2);
  return b;
}

struct BadCase {
  const char *name;
  Bytes (*make)();
};
// Case names, not bytes, in the test lists.
void PrintTo(const BadCase &c, std::ostream *os) {
  *os << c.name;
}

class PictureBadInput : public testing::TestWithParam<BadCase> {};

TEST_P(PictureBadInput, FailsAndKeepsThePreviousPicture) {
  const std::string file = test::made(GetParam().name);
  test::writeBytes(file, GetParam().make());
  PictureComposer c;
  c.width = 64;
  c.height = 48;
  c.picture = gfx::Bitmap(30, 20, 0x00ABCDEF);
  c.picture.setPixel(3, 4, 0x00010203);
  c.pictureArea = c.picture.rect();
  const gfx::Bitmap before = c.picture;
  EXPECT_FALSE(c.loadFromFile(file));
  ASSERT_EQ(c.picture.size(), before.size());
  EXPECT_EQ(test::compare(c.picture, before).max, 0);
  EXPECT_EQ(c.pictureArea, before.rect());
  // The failure is a decoding error, not an exhausted allocator.
  gfx::Bitmap b;
  try {
    LoadGraphicFile(b, file, 0);
    ADD_FAILURE() << "loaded";
  } catch (const DecodeError &e) {
    std::printf("%s: %s\n", GetParam().name, e.what());
  }
}

Bytes none() {
  return {};
}
Bytes oneByte() {
  return {0xFF};
}

const BadCase kBad[] = {
    {"huge.png", hugePng},
    {"badlzw.gif", badLzwGif},
    {"cut.jpg", cutJpeg},
    {"strips.tif", absurdStripsTiff},
    // Empty and one-byte files, for each decoder.
    {"empty.jpg", none},
    {"empty.png", none},
    {"empty.gif", none},
    {"empty.tif", none},
    {"empty.bmp", none},
    {"one.jpg", oneByte},
    {"one.png", oneByte},
    {"one.gif", oneByte},
    {"one.tif", oneByte},
    {"one.bmp", oneByte},
};
INSTANTIATE_TEST_SUITE_P(Files, PictureBadInput, testing::ValuesIn(kBad),
                         [](const testing::TestParamInfo<BadCase> &i) {
                           std::string n = i.param.name;
                           n[n.find('.')] = '_';
                           return n;
                         });

TEST(PictureBadInput, SizeLimitIsStatedAndKept) {
  // 256 MB hold 89 million pixels of 3 bytes, 38 million of 7.
  EXPECT_NO_THROW(checkPictureSize(9000, 9000));
  EXPECT_THROW(checkPictureSize(9000, 9000, 7), DecodeError);
  EXPECT_THROW(checkPictureSize(10000, 10000), DecodeError);
  EXPECT_THROW(checkPictureSize(8000, 8000, 3, kMaxDecodeBytes / 2), DecodeError);
  EXPECT_THROW(checkPictureSize(100000, 100000), DecodeError);
  EXPECT_THROW(checkPictureSize(1, int64_t(1) << 62), DecodeError);
  EXPECT_THROW(checkPictureSize(0, 5), DecodeError);
  EXPECT_THROW(decodePng(hugePng(), {}), DecodeError);
}

}  // namespace
}  // namespace vantor
