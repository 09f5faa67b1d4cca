#pragma once
// Test pictures whose every pixel tells which picture and which position it
// came from, checks of whole frames drawn from them, and the 1024 x 768
// frame on which the geometry examples of the transition families are stated.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "gfx/bitmap.h"
#include "gfx/region.h"
#include "transitions/extents.h"
#include "transitions/frame_step.h"

namespace transitions_test {

struct Origin {
  bool isNew = false;
  int x = 0;
  int y = 0;
  friend bool operator==(const Origin &, const Origin &) = default;
};

// Red and green carry the low bytes of x and y, blue the high bits and a
// flag for the new picture. Positions up to 2047 are told apart, and the old
// picture differs from the new one at every pixel.
inline gfx::Color encode(Origin o) {
  const int high = ((o.x >> 8) & 7) << 3 | ((o.y >> 8) & 7);
  return gfx::makeColor(uint8_t(o.x & 255), uint8_t(o.y & 255),
                        uint8_t((o.isNew ? 0x80 : 0x40) | high));
}

inline Origin decode(gfx::Color c) {
  const int b = gfx::blueOf(c);
  return {(b & 0x80) != 0, gfx::redOf(c) | ((b >> 3) & 7) << 8, gfx::greenOf(c) | (b & 7) << 8};
}

inline gfx::Bitmap picture(int w, int h, bool isNew) {
  gfx::Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, encode({isNew, x, y}));
  return b;
}

inline Origin at(const gfx::Bitmap &b, int x, int y) {
  return decode(b.pixel(x, y));
}
inline Origin oldAt(int x, int y) {
  return {false, x, y};
}
inline Origin newAt(int x, int y) {
  return {true, x, y};
}

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

inline bool equalPixels(const gfx::Bitmap &a, const gfx::Bitmap &b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.row(y), b.row(y), size_t(a.width()) * 3) != 0) return false;
  return true;
}

inline bool samePixel(const gfx::Bitmap &a, const gfx::Bitmap &b, int x, int y) {
  return std::memcmp(a.row(y) + 3 * x, b.row(y) + 3 * x, 3) == 0;
}

// Pixels of `frame` equal to `picture` at the same place.
inline int64_t pixelsOf(const gfx::Bitmap &frame, const gfx::Bitmap &picture) {
  int64_t n = 0;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) n += samePixel(frame, picture, x, y);
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

constexpr gfx::Rect k1024{0, 0, 1024, 768};

// The frame quantities of the example frame; Step 4 gives L = 46.
inline transitions::Extents extentsAt(int progress, int step = 4) {
  return transitions::EffectExtents(k1024, step, progress);
}

class ExampleFrame : public testing::Test {
 protected:
  gfx::Bitmap oldPicture = picture(1024, 768, false);
  gfx::Bitmap newPicture = picture(1024, 768, true);
  gfx::Bitmap screen{1024, 768};
  vantor::RandomSource random;  // seeded: the random styles draw the same patterns every run

  void frame(int style, int progress, int step = 4) {
    transitions::drawFrame(screen, oldPicture, newPicture, style, step, progress, random);
  }
  bool isNew(int x, int y) const { return at(screen, x, y).isNew; }
};

}  // namespace transitions_test
