#pragma once
// Test pictures whose every pixel tells which picture and which position it
// came from, so a frame can be checked pixel by pixel.

#include "gfx/bitmap.h"

namespace transitions_test {

struct Origin {
  bool isNew = false;
  int x = 0;
  int y = 0;
  friend bool operator==(const Origin &, const Origin &) = default;
};

// Red and green carry the low bytes of x and y, blue the high bits and a
// flag for the new picture. Positions up to 2047 are told apart.
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

}  // namespace transitions_test
