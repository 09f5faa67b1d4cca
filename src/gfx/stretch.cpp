#include "gfx/stretch.h"

#include "gfx/stream_copy.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <vector>

namespace gfx {

namespace {

// One axis of a stretch: the destination indices [first, first + size) that
// are written, and for each the source index it reads. Indices whose source
// lies outside the source bitmap are left out; the map is monotonic, so the
// ones that remain form one run.
struct AxisMap {
  int first = 0;
  std::vector<int> source;
};

AxisMap mapAxis(int toA, int toB, int fromA, int fromB, int dstLimit, int srcLimit) {
  AxisMap m;
  const bool toMirror = toA > toB, fromMirror = fromA > fromB;
  const int64_t toLo = std::min(toA, toB), toLen = std::abs(int64_t(toB) - toA);
  const int64_t fromLo = std::min(fromA, fromB), fromLen = std::abs(int64_t(fromB) - fromA);
  if (toLen == 0 || fromLen == 0) return m;
  const bool mirror = toMirror != fromMirror;
  const int64_t lo = std::max<int64_t>(toLo, 0), hi = std::min<int64_t>(toLo + toLen, dstLimit);
  for (int64_t d = lo; d < hi; ++d) {
    int64_t i = d - toLo;
    if (mirror) i = toLen - 1 - i;
    // Sample at the centre of the destination pixel.
    const int64_t s = fromLo + (2 * i + 1) * fromLen / (2 * toLen);
    if (s < 0 || s >= srcLimit) {
      if (!m.source.empty()) break;  // past the end of the run
      continue;
    }
    if (m.source.empty()) m.first = int(d);
    m.source.push_back(int(s));
  }
  return m;
}

// Reads source pixels by byte offset. All but the last pixel move as one
// 4-byte load and store: the extra byte lands on the next destination pixel,
// which is written right after. `wide` says the 4-byte loads stay inside the
// source buffer.
void copyPixels(uint8_t *d, const uint8_t *s, const std::vector<size_t> &offsets, bool wide) {
  const size_t n = offsets.size();
  if (wide) {
    for (size_t i = 0; i + 1 < n; ++i) {
      uint32_t v;
      std::memcpy(&v, s + offsets[i], 4);
      std::memcpy(d + 3 * i, &v, 4);
    }
  } else {
    for (size_t i = 0; i + 1 < n; ++i) std::memcpy(d + 3 * i, s + offsets[i], 3);
  }
  std::memcpy(d + 3 * (n - 1), s + offsets[n - 1], 3);
}

// Stretches of the source that map one to one onto the destination: the
// pixels [dst, dst + count) read src, src + 1, ... or, reversed, src,
// src - 1, ... (a mirrored copy).
struct Run {
  size_t dst, src, count;
  bool reversed;
};

std::vector<Run> contiguousRuns(const std::vector<int> &source) {
  std::vector<Run> runs;
  for (size_t i = 0; i < source.size(); ++i) {
    if (i > 0) {
      Run &r = runs.back();
      const int step = source[i] - source[i - 1];
      if (r.count == 1 && (step == 1 || step == -1)) r.reversed = step < 0;
      if (step == (r.reversed ? -1 : 1)) {
        ++r.count;
        continue;
      }
    }
    runs.push_back({i, size_t(source[i]), 1, false});
  }
  return runs;
}

// Reverses pixels five at a time with a byte shuffle. The 16-byte loads and
// stores reach one byte past the five pixels: on the read side that byte
// belongs to a source pixel of this run, on the write side to the next
// destination pixel, which is written afterwards. Returns the pixels done.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("ssse3"))) size_t reverseFives(uint8_t *d, const uint8_t *first,
                                                     size_t count) {
  const __m128i order = _mm_setr_epi8(12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2, 15);
  size_t k = 1;
  for (; k + 5 < count; k += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(first - 3 * (k + 4)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 3 * k), _mm_shuffle_epi8(v, order));
  }
  return k;
}
const bool kHasShuffle = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
#else
size_t reverseFives(uint8_t *, const uint8_t *, size_t) {
  return 0;
}
const bool kHasShuffle = false;
#endif

// d[i] = the pixel i places left of `first`, for i in [0, count).
void copyReversed(uint8_t *d, const uint8_t *first, size_t count) {
  std::memcpy(d, first, 3);
  size_t k = kHasShuffle && count > 6 ? reverseFives(d, first, count) : 1;
  for (; k < count; ++k) std::memcpy(d + 3 * k, first - 3 * k, 3);
}

// The source rectangle that the maps read, for copying it aside first.
Rect readArea(const AxisMap &xs, const AxisMap &ys) {
  const auto [x0, x1] = std::minmax(xs.source.front(), xs.source.back());
  const auto [y0, y1] = std::minmax(ys.source.front(), ys.source.back());
  return {x0, y0, x1 + 1, y1 + 1};
}

void shift(AxisMap &m, int by) {
  for (int &s : m.source) s -= by;
}

}  // namespace

Rect stretchCopy(Bitmap &dst, Rect to, const Bitmap &src, Rect from) {
  if (dst.empty() || src.empty()) return {};
  AxisMap xs = mapAxis(to.left, to.right, from.left, from.right, dst.width(), src.width());
  AxisMap ys = mapAxis(to.top, to.bottom, from.top, from.bottom, dst.height(), src.height());
  if (xs.source.empty() || ys.source.empty()) return {};
  const Bitmap *source = &src;
  Bitmap aside;
  if (&dst == &src) {  // read the source whole before writing over it
    const Rect read = readArea(xs, ys);
    aside = Bitmap(read.width(), read.height());
    copyRect(aside, {0, 0}, src, read);
    shift(xs, read.left);
    shift(ys, read.top);
    source = &aside;
  }
  const size_t w = xs.source.size(), rowBytes = w * 3;
  std::vector<size_t> offsets(w);
  for (size_t i = 0; i < w; ++i) offsets[i] = size_t(xs.source[i]) * 3;
  const bool identityX = xs.source.back() - xs.source.front() == int(w) - 1;
  // Near a scale of one the map is long one-to-one stretches, forward or
  // mirrored, which copy faster as blocks than pixel by pixel.
  std::vector<Run> runs = contiguousRuns(xs.source);
  if (runs.size() * 6 > w) runs.clear();
  const bool lastRowPadded = source->stride() > size_t(source->width()) * 3;
  const bool streaming = rowBytes * ys.source.size() >= detail::kStreamingBytes;
  const uint8_t *previous = nullptr;
  for (size_t j = 0; j < ys.source.size(); ++j) {
    const int sy = ys.source[j];
    uint8_t *d = dst.row(ys.first + int(j)) + size_t(xs.first) * 3;
    const uint8_t *s = source->row(sy);
    if (identityX)
      detail::copyBytes(d, s + offsets[0], rowBytes, streaming);
    else if (previous && sy == ys.source[j - 1])
      std::memcpy(d, previous, rowBytes);  // a repeated row, still in the cache
    else if (!runs.empty())
      for (const Run &r : runs)
        if (r.reversed)
          copyReversed(d + 3 * r.dst, s + 3 * r.src, r.count);
        else
          std::memcpy(d + 3 * r.dst, s + 3 * r.src, 3 * r.count);
    else
      copyPixels(d, s, offsets, sy + 1 < source->height() || lastRowPadded);
    previous = d;
  }
  detail::streamFence();
  return {xs.first, ys.first, xs.first + int(w), ys.first + int(ys.source.size())};
}

Rect copyRect(Bitmap &dst, Point at, const Bitmap &src, Rect from) {
  const Rect f = from.intersected(src.rect());
  if (f.empty()) return {};
  // Whatever was cut off the top left of `from` moves the destination too.
  const int64_t toLeft = int64_t(at.x) + (f.left - from.left);
  const int64_t toTop = int64_t(at.y) + (f.top - from.top);
  const int64_t left = std::max<int64_t>(toLeft, 0), top = std::max<int64_t>(toTop, 0);
  const int64_t right = std::min<int64_t>(toLeft + f.width(), dst.width());
  const int64_t bottom = std::min<int64_t>(toTop + f.height(), dst.height());
  if (left >= right || top >= bottom) return {};
  const Rect clipped{int(left), int(top), int(right), int(bottom)};
  const int sx = f.left + int(left - toLeft), sy = f.top + int(top - toTop);
  const size_t bytes = size_t(clipped.width()) * 3;
  // Within one bitmap, rows moving down are copied bottom up so that no row
  // is overwritten before it is read.
  const bool upward = &dst == &src && clipped.top > sy;
  const bool streaming =
      &dst != &src && bytes * size_t(clipped.height()) >= detail::kStreamingBytes;
  for (int k = 0; k < clipped.height(); ++k) {
    const int y = upward ? clipped.height() - 1 - k : k;
    uint8_t *d = dst.row(clipped.top + y) + size_t(clipped.left) * 3;
    const uint8_t *s = src.row(sy + y) + size_t(sx) * 3;
    if (streaming)
      detail::copyBytes(d, s, bytes, true);
    else
      std::memmove(d, s, bytes);
  }
  detail::streamFence();
  return clipped;
}

}  // namespace gfx
