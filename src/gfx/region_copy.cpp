#include <algorithm>
#include <cstring>

#include "gfx/region.h"

namespace gfx {

void copyThroughRegion(Bitmap &dst, const Bitmap &src, const Region &region) {
  if (&dst == &src) return;  // every pixel already holds itself
  const Rect clip = dst.rect().intersected(src.rect()).intersected(region.bounds());
  if (clip.empty()) return;
  struct Run {
    size_t offset, bytes;
  };
  std::vector<Run> row;  // one band's spans clipped to the bitmaps
  for (size_t i = 0; i < region.bandCount(); ++i) {
    const Region::Band band = region.band(i);
    const int top = std::max(band.top, clip.top), bottom = std::min(band.bottom, clip.bottom);
    if (band.top >= clip.bottom) break;
    if (top >= bottom) continue;
    row.clear();
    for (const Span &s : band.spans) {
      const int x0 = std::max(s.x0, clip.left), x1 = std::min(s.x1, clip.right);
      if (x0 < x1) row.push_back({size_t(x0) * 3, size_t(x1 - x0) * 3});
    }
    for (int y = top; y < bottom; ++y) {
      uint8_t *d = dst.row(y);
      const uint8_t *s = src.row(y);
      for (const Run &r : row) std::memcpy(d + r.offset, s + r.offset, r.bytes);
    }
  }
}

}  // namespace gfx
