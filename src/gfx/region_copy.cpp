#include <algorithm>
#include <cstring>

#include "gfx/region.h"
#include "gfx/stream_copy.h"
#include "gfx/stretch.h"

namespace gfx {

namespace {

// A piece of a row: bytes [offset, offset + bytes) come from `inside` or not.
struct Run {
  size_t offset, bytes;
  bool inside;
};

// One band's row as alternating runs of `outside` and `inside`, covering the
// whole row of `width` pixels.
void bandRuns(std::span<const Span> spans, int width, std::vector<Run> &runs) {
  runs.clear();
  int x = 0;
  for (const Span &s : spans) {
    const int x0 = std::clamp(s.x0, 0, width), x1 = std::clamp(s.x1, 0, width);
    if (x0 >= x1) continue;
    if (x0 > x) runs.push_back({size_t(x) * 3, size_t(x0 - x) * 3, false});
    runs.push_back({size_t(x0) * 3, size_t(x1 - x0) * 3, true});
    x = x1;
  }
  if (x < width) runs.push_back({size_t(x) * 3, size_t(width - x) * 3, false});
}

}  // namespace

void composeThroughRegion(Bitmap &dst, const Bitmap &outside, const Bitmap &inside,
                          const Region &region) {
  const bool sameSize = dst.size() == outside.size() && dst.size() == inside.size();
  if (!sameSize || &dst == &outside || &dst == &inside) {
    if (&dst == &inside) {
      copyThroughRegion(dst, outside, Region(dst.rect()).subtracted(region));
      return;
    }
    if (&dst != &outside) copyRect(dst, {0, 0}, outside, outside.rect());
    copyThroughRegion(dst, inside, region);
    return;
  }
  const size_t rowBytes = size_t(dst.width()) * 3;
  const bool streaming = rowBytes * size_t(dst.height()) >= detail::kStreamingBytes;
  std::vector<Run> runs;
  size_t next = 0;  // the first band not wholly above the current row
  for (int y = 0; y < dst.height(); ++y) {
    while (next < region.bandCount() && region.band(next).bottom <= y) ++next;
    uint8_t *d = dst.row(y);
    if (next == region.bandCount() || region.band(next).top > y) {
      detail::copyBytes(d, outside.row(y), rowBytes, streaming);
      continue;
    }
    const Region::Band band = region.band(next);
    if (y == std::max(band.top, 0)) bandRuns(band.spans, dst.width(), runs);
    const uint8_t *o = outside.row(y), *in = inside.row(y);
    for (const Run &r : runs)
      detail::copyBytes(d + r.offset, (r.inside ? in : o) + r.offset, r.bytes, streaming);
  }
  detail::streamFence();
}

void copyThroughRegion(Bitmap &dst, const Bitmap &src, const Region &region) {
  if (&dst == &src) return;  // every pixel already holds itself
  const Rect clip = dst.rect().intersected(src.rect()).intersected(region.bounds());
  if (clip.empty()) return;
  const bool streaming =
      size_t(clip.width()) * size_t(clip.height()) * 3 >= detail::kStreamingBytes;
  std::vector<Run> row;  // one band's spans clipped to the bitmaps
  for (size_t i = 0; i < region.bandCount(); ++i) {
    const Region::Band band = region.band(i);
    const int top = std::max(band.top, clip.top), bottom = std::min(band.bottom, clip.bottom);
    if (band.top >= clip.bottom) break;
    if (top >= bottom) continue;
    row.clear();
    for (const Span &s : band.spans) {
      const int x0 = std::max(s.x0, clip.left), x1 = std::min(s.x1, clip.right);
      if (x0 < x1) row.push_back({size_t(x0) * 3, size_t(x1 - x0) * 3, true});
    }
    for (int y = top; y < bottom; ++y) {
      uint8_t *d = dst.row(y);
      const uint8_t *s = src.row(y);
      for (const Run &r : row) detail::copyBytes(d + r.offset, s + r.offset, r.bytes, streaming);
    }
  }
  detail::streamFence();
}

}  // namespace gfx
