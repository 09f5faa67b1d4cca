#include "gfx/stretch.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace gfx {

namespace {

// One axis of a stretch: for each destination index inside the target
// bitmap, the source index to read, or -1 where the source lies outside.
struct AxisMap {
  int first = 0;  // first destination index written
  std::vector<int> source;
};

AxisMap mapAxis(int toA, int toB, int fromA, int fromB, int dstLimit, int srcLimit) {
  AxisMap m;
  const bool toMirror = toA > toB, fromMirror = fromA > fromB;
  const int toLo = toMirror ? toB : toA, toLen = std::abs(toB - toA);
  const int fromLo = fromMirror ? fromB : fromA, fromLen = std::abs(fromB - fromA);
  if (toLen == 0 || fromLen == 0) return m;
  const bool mirror = toMirror != fromMirror;
  const int lo = std::max(toLo, 0), hi = std::min(toLo + toLen, dstLimit);
  if (lo >= hi) return m;
  m.first = lo;
  m.source.resize(size_t(hi - lo));
  for (int d = lo; d < hi; ++d) {
    int64_t i = d - toLo;
    if (mirror) i = toLen - 1 - i;
    // Sample at the centre of the destination pixel.
    int s = fromLo + int((2 * i + 1) * int64_t(fromLen) / (2 * int64_t(toLen)));
    m.source[size_t(d - lo)] = (s >= 0 && s < srcLimit) ? s : -1;
  }
  return m;
}

}  // namespace

Rect stretchCopy(Bitmap &dst, Rect to, const Bitmap &src, Rect from) {
  if (dst.empty() || src.empty()) return {};
  AxisMap xs = mapAxis(to.left, to.right, from.left, from.right, dst.width(), src.width());
  AxisMap ys = mapAxis(to.top, to.bottom, from.top, from.bottom, dst.height(), src.height());
  if (xs.source.empty() || ys.source.empty()) return {};
  const int w = int(xs.source.size());
  const bool identityX = [&] {
    for (int i = 1; i < w; ++i)
      if (xs.source[size_t(i)] != xs.source[0] + i || xs.source[0] < 0) return false;
    return xs.source[0] >= 0;
  }();
  for (size_t j = 0; j < ys.source.size(); ++j) {
    const int sy = ys.source[j];
    if (sy < 0) continue;
    uint8_t *d = dst.row(ys.first + int(j)) + size_t(xs.first) * 3;
    const uint8_t *s = src.row(sy);
    if (identityX) {
      std::memcpy(d, s + size_t(xs.source[0]) * 3, size_t(w) * 3);
      continue;
    }
    for (int i = 0; i < w; ++i) {
      const int sx = xs.source[size_t(i)];
      if (sx < 0) continue;
      std::memcpy(d + size_t(i) * 3, s + size_t(sx) * 3, 3);
    }
  }
  return {xs.first, ys.first, xs.first + w, ys.first + int(ys.source.size())};
}

Rect copyRect(Bitmap &dst, Point at, const Bitmap &src, Rect from) {
  from = from.intersected(src.rect());
  Rect to = Rect::fromXYWH(at.x, at.y, from.width(), from.height());
  Rect clipped = to.intersected(dst.rect());
  if (clipped.empty()) return {};
  const int sx = from.left + (clipped.left - to.left), sy = from.top + (clipped.top - to.top);
  for (int y = 0; y < clipped.height(); ++y)
    std::memcpy(dst.row(clipped.top + y) + size_t(clipped.left) * 3,
                src.row(sy + y) + size_t(sx) * 3, size_t(clipped.width()) * 3);
  return clipped;
}

}  // namespace gfx
