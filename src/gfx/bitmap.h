#pragma once
// A 24-bit picture in memory: rows top to bottom, three bytes a pixel in the
// order blue, green, red, each row padded to a multiple of four bytes.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gfx/geometry.h"

namespace gfx {

// A colour as the settings store it: red in the low byte, then green, then blue.
using Color = uint32_t;
inline uint8_t redOf(Color c) {
  return uint8_t(c & 0xFF);
}
inline uint8_t greenOf(Color c) {
  return uint8_t((c >> 8) & 0xFF);
}
inline uint8_t blueOf(Color c) {
  return uint8_t((c >> 16) & 0xFF);
}
inline Color makeColor(uint8_t r, uint8_t g, uint8_t b) {
  return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height);  // contents are black
  Bitmap(int width, int height, Color fill);
  Bitmap(const Bitmap &other);
  Bitmap &operator=(const Bitmap &other);
  Bitmap(Bitmap &&other) noexcept;
  Bitmap &operator=(Bitmap &&other) noexcept;
  ~Bitmap() = default;

  int width() const { return width_; }
  int height() const { return height_; }
  Size size() const { return {width_, height_}; }
  Rect rect() const { return {0, 0, width_, height_}; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  // Bytes from the start of one row to the start of the next.
  size_t stride() const { return stride_; }
  size_t byteCount() const { return stride_ * size_t(height_); }

  uint8_t *data() { return data_.get(); }
  const uint8_t *data() const { return data_.get(); }
  uint8_t *row(int y) { return data_.get() + stride_ * size_t(y); }
  const uint8_t *row(int y) const { return data_.get() + stride_ * size_t(y); }

  // Resizes to width x height; the contents are then filled with `fill`.
  void resize(int width, int height, Color fill = 0);
  void fill(Color c);
  void fillRect(Rect r, Color c);  // clipped to the bitmap
  Color pixel(int x, int y) const;
  void setPixel(int x, int y, Color c);

  static size_t strideFor(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

 private:
  int width_ = 0;
  int height_ = 0;
  size_t stride_ = 0;
  std::unique_ptr<uint8_t[]> data_;
};

}  // namespace gfx
