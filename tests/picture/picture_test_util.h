#pragma once
// Helpers shared by the picture tests: a scratch folder, pictures made with
// ImageMagick's convert, and a PPM reader for convert's reference output.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/bitmap.h"

namespace vantor::test {

// A fresh folder under the system's temporary folder, removed at exit.
const std::filesystem::path &scratchDir();

// The path of `name` in the scratch folder.
std::string made(const std::string &name);

// Each of the three channels within `tolerance`.
bool near(gfx::Color a, gfx::Color b, int tolerance);

// Runs a shell command; fails the calling test when it does not succeed.
void run(const std::string &command);

// Reads a binary PPM (P6, maxval 255) as written by `convert x ppm:out`.
gfx::Bitmap readPpm(const std::filesystem::path &file);

// convert's own decoding of `file` (with extra options before the output).
gfx::Bitmap referenceDecode(const std::string &file, const std::string &options = "");

using Bytes = std::vector<uint8_t>;

// Writes a 32-bit value over the four bytes at `at`.
void put32(Bytes &b, size_t at, uint32_t v, bool bigEndian);

std::vector<uint8_t> readBytes(const std::filesystem::path &file);
void writeBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes);

struct PixelDiff {
  int max = 0;      // largest difference of one channel
  double mean = 0;  // mean absolute difference over all channels
  double p99 = 0;   // 99th percentile of the channel differences
};
// Both bitmaps must have the same size.
PixelDiff compare(const gfx::Bitmap &a, const gfx::Bitmap &b);

// A camera photograph from Debian's wallpapers (Canon EOS, 2560 x 1600).
std::string cameraJpeg();

}  // namespace vantor::test
