#pragma once
// Pixel-by-pixel answers to "is this pixel inside the shape", written as
// directly as possible from the pixel rules in gfx/region.h, for checking the
// scan converters against. Slow, and meant for small shapes only.

#include <algorithm>
#include <cstdint>
#include <span>

#include "gfx/region.h"

namespace gfx::reference {

// Edges crossing the row through the pixel centres strictly right of the
// centre, summed by direction (winding) or counted (alternate).
inline bool polygonContains(std::span<const Point> pts, FillRule rule, int x, int y) {
  if (pts.size() < 3) return false;
  int winding = 0, count = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    int64_t x0 = pts[i].x, y0 = pts[i].y;
    int64_t x1 = pts[(i + 1) % pts.size()].x, y1 = pts[(i + 1) % pts.size()].y;
    int dir = 1;
    if (y0 == y1) continue;
    if (y0 > y1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
      dir = -1;
    }
    if (y < y0 || y >= y1) continue;
    // Crossing x, times 2 dy: 2 x0 dy + dx (2y + 1 - 2 y0); the centre: (2x + 1) dy.
    const int64_t dy = y1 - y0;
    if (2 * x0 * dy + (x1 - x0) * (2 * y + 1 - 2 * y0) > (2 * int64_t(x) + 1) * dy) {
      winding += dir;
      ++count;
    }
  }
  return rule == FillRule::Winding ? winding != 0 : (count & 1) != 0;
}

// The rectangle with its corners cut by a w x h ellipse, in doubled units:
// the centre's distance from the straight part, scaled to the ellipse.
inline bool roundRectContains(Rect r, int w, int h, int x, int y) {
  const int64_t l = std::min(r.left, r.right), rt = std::max(r.left, r.right);
  const int64_t t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
  if (x < l || x >= rt || y < t || y >= b) return false;
  const int64_t e = std::clamp<int64_t>(w, 0, rt - l), f = std::clamp<int64_t>(h, 0, b - t);
  if (e == 0 || f == 0) return true;
  const int64_t cx = 2 * int64_t(x) + 1, cy = 2 * int64_t(y) + 1;
  const int64_t dx = std::max<int64_t>({0, 2 * l + e - cx, cx - (2 * rt - e)});
  const int64_t dy = std::max<int64_t>({0, 2 * t + f - cy, cy - (2 * b - f)});
  return dx * dx * f * f + dy * dy * e * e <= e * e * f * f;
}

inline bool ellipseContains(Rect r, int x, int y) {
  return roundRectContains(r, std::abs(r.width()), std::abs(r.height()), x, y);
}

}  // namespace gfx::reference
