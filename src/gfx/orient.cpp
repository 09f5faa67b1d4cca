#include "gfx/orient.h"

#include <cstring>

namespace gfx {

Bitmap oriented(const Bitmap &from, int orientation) {
  if (orientation < 2 || orientation > 8) return from;
  const int sw = from.width(), sh = from.height();
  const Size size = orientedSize(from.size(), orientation);
  Bitmap to(size.width, size.height);
  // For each target pixel (x, y), the source pixel is at sx + x * dxx + y *
  // dxy, sy + x * dyx + y * dyy.
  int sx = 0, sy = 0, dxx = 1, dxy = 0, dyx = 0, dyy = 1;
  switch (orientation) {
    case 2:  // (w-1-x, y)
      sx = sw - 1, dxx = -1;
      break;
    case 3:  // (w-1-x, h-1-y)
      sx = sw - 1, sy = sh - 1, dxx = -1, dyy = -1;
      break;
    case 4:  // (x, h-1-y)
      sy = sh - 1, dyy = -1;
      break;
    case 5:  // (y, x)
      dxx = 0, dxy = 1, dyx = 1, dyy = 0;
      break;
    case 6:  // (y, h-1-x)
      sy = sh - 1, dxx = 0, dxy = 1, dyx = -1, dyy = 0;
      break;
    case 7:  // (w-1-y, h-1-x)
      sx = sw - 1, sy = sh - 1, dxx = 0, dxy = -1, dyx = -1, dyy = 0;
      break;
    case 8:  // (w-1-y, x)
      sx = sw - 1, dxx = 0, dxy = -1, dyx = 1, dyy = 0;
      break;
  }
  // Bytes to step in the source per target column; a target row starts at
  // the source pixel for x = 0. Each address is computed from the row's
  // start, so none ever points outside the source.
  const ptrdiff_t stride = ptrdiff_t(from.stride());
  const ptrdiff_t step = ptrdiff_t(dxx) * 3 + ptrdiff_t(dyx) * stride;
  for (int y = 0; y < size.height; ++y) {
    const uint8_t *in = from.row(sy + y * dyy) + ptrdiff_t(sx + y * dxy) * 3;
    uint8_t *out = to.row(y);
    for (int x = 0; x < size.width; ++x) std::memcpy(out + ptrdiff_t(x) * 3, in + x * step, 3);
  }
  return to;
}

}  // namespace gfx
