#include "gfx/bitmap.h"

#include <cstring>
#include <stdexcept>

namespace gfx {

Bitmap::Bitmap(int width, int height) {
  resize(width, height, 0);
}

Bitmap::Bitmap(int width, int height, Color fill) {
  resize(width, height, fill);
}

Bitmap::Bitmap(const Bitmap &other) {
  *this = other;
}

Bitmap &Bitmap::operator=(const Bitmap &other) {
  if (this == &other) return *this;
  if (other.empty()) {
    width_ = height_ = 0;
    stride_ = 0;
    data_.reset();
    return *this;
  }
  // Storage of the same size is reused: fresh pages cost more to touch than
  // the copy itself.
  if (byteCount() != other.byteCount()) data_.reset(new uint8_t[other.byteCount()]);
  width_ = other.width_;
  height_ = other.height_;
  stride_ = other.stride_;
  std::memcpy(data_.get(), other.data_.get(), other.byteCount());
  return *this;
}

Bitmap::Bitmap(Bitmap &&other) noexcept {
  *this = std::move(other);
}

Bitmap &Bitmap::operator=(Bitmap &&other) noexcept {
  if (this == &other) return *this;
  width_ = other.width_;
  height_ = other.height_;
  stride_ = other.stride_;
  data_ = std::move(other.data_);
  other.width_ = other.height_ = 0;
  other.stride_ = 0;
  return *this;
}

void Bitmap::resize(int width, int height, Color fillColor) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative bitmap size");
  if (width == 0 || height == 0) {
    width_ = height_ = 0;
    stride_ = 0;
    data_.reset();
    return;
  }
  size_t stride = strideFor(width);
  if (byteCount() != stride * size_t(height)) data_.reset(new uint8_t[stride * size_t(height)]);
  width_ = width;
  height_ = height;
  stride_ = stride;
  fill(fillColor);
}

void Bitmap::fill(Color c) {
  fillRect(rect(), c);
}

void Bitmap::fillRect(Rect r, Color c) {
  r = r.intersected(rect());
  if (r.empty()) return;
  const uint8_t b = blueOf(c), g = greenOf(c), red = redOf(c);
  uint8_t *first = row(r.top) + size_t(r.left) * 3;
  const size_t bytes = size_t(r.width()) * 3;
  if (b == g && g == red) {
    for (int y = r.top; y < r.bottom; ++y) std::memset(row(y) + size_t(r.left) * 3, b, bytes);
    return;
  }
  for (int x = 0; x < r.width(); ++x) {
    first[x * 3] = b;
    first[x * 3 + 1] = g;
    first[x * 3 + 2] = red;
  }
  for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(row(y) + size_t(r.left) * 3, first, bytes);
}

Color Bitmap::pixel(int x, int y) const {
  const uint8_t *p = row(y) + size_t(x) * 3;
  return makeColor(p[2], p[1], p[0]);
}

void Bitmap::setPixel(int x, int y, Color c) {
  uint8_t *p = row(y) + size_t(x) * 3;
  p[0] = blueOf(c);
  p[1] = greenOf(c);
  p[2] = redOf(c);
}

}  // namespace gfx
