#include "picture_test_util.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vantor::test {

namespace fs = std::filesystem;

const fs::path &scratchDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("vantor-picture-test-" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  // Registered once the path exists, so it runs before the path is destroyed.
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(dir, ec);
    });
    return true;
  }();
  (void)cleanup;
  return dir;
}

std::string made(const std::string &name) {
  return (scratchDir() / name).string();
}

bool near(gfx::Color a, gfx::Color b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

void run(const std::string &command) {
  const int rc = std::system(command.c_str());
  ASSERT_EQ(rc, 0) << command;
}

gfx::Bitmap readPpm(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  in >> magic >> width >> height >> maxval;
  in.get();
  if (magic != "P6" || maxval != 255 || width <= 0 || height <= 0) return {};
  gfx::Bitmap b(width, height);
  std::vector<uint8_t> rgb(size_t(width) * 3);
  for (int y = 0; y < height; ++y) {
    in.read(reinterpret_cast<char *>(rgb.data()), std::streamsize(rgb.size()));
    uint8_t *out = b.row(y);
    for (int x = 0; x < width; ++x) {
      out[x * 3] = rgb[size_t(x) * 3 + 2];
      out[x * 3 + 1] = rgb[size_t(x) * 3 + 1];
      out[x * 3 + 2] = rgb[size_t(x) * 3];
    }
  }
  return in ? b : gfx::Bitmap();
}

gfx::Bitmap referenceDecode(const std::string &file, const std::string &options) {
  static int counter = 0;
  const fs::path out = scratchDir() / ("reference" + std::to_string(++counter) + ".ppm");
  run("convert '" + file + "' " + options + " -depth 8 'ppm:" + out.string() + "'");
  return readPpm(out);
}

void put32(Bytes &b, size_t at, uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (bigEndian ? 24 - 8 * i : 8 * i));
}

std::vector<uint8_t> readBytes(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path &file, const std::vector<uint8_t> &bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

PixelDiff compare(const gfx::Bitmap &a, const gfx::Bitmap &b) {
  PixelDiff d;
  std::vector<uint64_t> histogram(256);
  uint64_t sum = 0, n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int i = 0; i < a.width() * 3; ++i) {
      const int diff = std::abs(int(a.row(y)[i]) - int(b.row(y)[i]));
      ++histogram[size_t(diff)];
      sum += uint64_t(diff);
      ++n;
      d.max = std::max(d.max, diff);
    }
  if (n == 0) return d;
  d.mean = double(sum) / double(n);
  uint64_t seen = 0;
  for (size_t v = 0; v < 256; ++v) {
    seen += histogram[v];
    if (double(seen) >= 0.99 * double(n)) {
      d.p99 = double(v);
      break;
    }
  }
  return d;
}

std::string cameraJpeg() {
  return "/usr/share/wallpapers/FallenLeaf/contents/images/2560x1600.jpg";
}

}  // namespace vantor::test
