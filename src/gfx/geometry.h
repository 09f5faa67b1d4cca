#pragma once
// Integer geometry shared by the picture surface and the transitions.
// Rectangles have exclusive right and bottom edges: (0, 0, 10, 5) covers
// columns 0..9 and rows 0..4.

#include <algorithm>
#include <cstdint>

namespace gfx {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point &, const Point &) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const Size &, const Size &) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect fromSize(Size s) { return {0, 0, s.width, s.height}; }
  static Rect fromXYWH(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  Size size() const { return {width(), height()}; }
  Point topLeft() const { return {left, top}; }
  // Empty when it covers no pixel; a mirrored rectangle (left > right) is
  // empty in this sense too.
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect intersected(const Rect &o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    if (r.empty()) return {};
    return r;
  }
  friend bool operator==(const Rect &, const Rect &) = default;
};

// a * b / c computed in 64 bits, rounded to the nearest integer with halves
// away from zero. A zero divisor gives -1, as the platform's routine does.
inline int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t p = int64_t(a) * int64_t(b);
  bool negative = (p < 0) != (c < 0);
  uint64_t up = p < 0 ? uint64_t(-p) : uint64_t(p);
  uint64_t uc = c < 0 ? uint64_t(-int64_t(c)) : uint64_t(c);
  uint64_t q = (up + uc / 2) / uc;
  int64_t r = negative ? -int64_t(q) : int64_t(q);
  if (r > INT32_MAX || r < INT32_MIN) return -1;
  return int(r);
}

}  // namespace gfx
