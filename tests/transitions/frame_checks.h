#pragma once
// Helpers for checking whole frames: guards in the row padding, pixel-exact
// comparison, and counting the pixels a frame took from the new picture.

#include <cstdint>
#include <cstring>

#include "gfx/bitmap.h"
#include "gfx/region.h"

namespace frame_checks {

constexpr uint8_t kGuard = 0xA5;

// Fills the padding at the end of every row, which no drawing may touch.
inline void fillPadding(gfx::Bitmap &b) {
  const size_t used = size_t(b.width()) * 3;
  for (int y = 0; y < b.height(); ++y) std::memset(b.row(y) + used, kGuard, b.stride() - used);
}

inline bool paddingIntact(const gfx::Bitmap &b) {
  const size_t used = size_t(b.width()) * 3;
  for (int y = 0; y < b.height(); ++y)
    for (size_t i = used; i < b.stride(); ++i)
      if (b.row(y)[i] != kGuard) return false;
  return true;
}

// A picture without a black pixel: over a black old picture, a pixel of a
// frame is the new picture's exactly when it is not black.
inline gfx::Bitmap noBlack(int w, int h) {
  gfx::Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, gfx::makeColor(uint8_t(1 + x % 200), uint8_t(y), uint8_t(x * y)));
  return b;
}

inline bool equalPixels(const gfx::Bitmap &a, const gfx::Bitmap &b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.row(y), b.row(y), size_t(a.width()) * 3) != 0) return false;
  return true;
}

inline bool samePixel(const gfx::Bitmap &a, const gfx::Bitmap &b, int x, int y) {
  return std::memcmp(a.row(y) + 3 * x, b.row(y) + 3 * x, 3) == 0;
}

// Pixels of `frame` equal to `newPicture` at the same place; meaningful when
// the old picture differs from the new one at every pixel.
inline int64_t newPixels(const gfx::Bitmap &frame, const gfx::Bitmap &newPicture) {
  int64_t n = 0;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) n += samePixel(frame, newPicture, x, y);
  return n;
}

// True when every pixel of `frame` is the new picture's inside `region` and
// the old picture's outside it.
inline bool composedThrough(const gfx::Bitmap &frame, const gfx::Bitmap &oldPicture,
                            const gfx::Bitmap &newPicture, const gfx::Region &region) {
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x)
      if (!samePixel(frame, region.contains(x, y) ? newPicture : oldPicture, x, y)) return false;
  return true;
}

}  // namespace frame_checks
