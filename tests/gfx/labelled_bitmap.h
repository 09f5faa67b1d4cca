#pragma once
// Bitmaps whose pixels tell where they came from, and a whole-bitmap check,
// shared by the copy tests.

#include <gtest/gtest.h>

#include "gfx/bitmap.h"

namespace gfx::labels {

// Red = x, green = y, blue = a tag naming the bitmap.
inline Color labelOf(int x, int y, uint8_t tag) {
  return makeColor(uint8_t(x), uint8_t(y), tag);
}

inline Bitmap labelled(int w, int h, uint8_t tag) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, labelOf(x, y, tag));
  return b;
}

inline void expectSameBitmap(const Bitmap &a, const Bitmap &b) {
  ASSERT_EQ(a.size(), b.size());
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << "at " << x << "," << y;
}

}  // namespace gfx::labels
