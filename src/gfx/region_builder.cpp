// The union of many rectangles in one downward sweep: the rows are cut at
// every top and bottom edge, and each cut's spans are the merged x ranges of
// the rectangles that cover it, kept sorted by their left edge.
#include <algorithm>
#include <cassert>
#include <climits>

#include "gfx/region.h"

namespace gfx {

namespace {

int clampCoord(int v) {
  return std::clamp(v, -Region::kLimit, Region::kLimit);
}

// Sorts by top edge; a counting sort when the rows are few against the
// number of pieces, which is the common case of many small shapes.
template <class Piece>
void sortByTop(std::vector<Piece> &pieces) {
  if (pieces.empty()) return;
  int lo = INT_MAX, hi = INT_MIN;
  for (const Piece &p : pieces) {
    lo = std::min(lo, p.top);
    hi = std::max(hi, p.top);
  }
  const size_t range = size_t(int64_t(hi) - lo) + 1;
  if (range > 4 * pieces.size() + 4096) {
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece &a, const Piece &b) { return a.top < b.top; });
    return;
  }
  std::vector<uint32_t> start(range + 1, 0);
  for (const Piece &p : pieces) ++start[size_t(p.top - lo) + 1];
  for (size_t i = 1; i <= range; ++i) start[i] += start[i - 1];
  std::vector<Piece> sorted(pieces.size());
  for (const Piece &p : pieces) sorted[start[size_t(p.top - lo)]++] = p;
  pieces.swap(sorted);
}

}  // namespace

void RegionBuilder::addRect(Rect r) {
  r = {clampCoord(r.left), clampCoord(r.top), clampCoord(r.right), clampCoord(r.bottom)};
  if (!r.empty()) pieces_.push_back({r.top, r.bottom, r.left, r.right});
}

void RegionBuilder::addRegion(const Region &region) {
  for (const Region::StoredBand &b : region.bands_)
    for (const Span &s : region.spansOf(b)) pieces_.push_back({b.top, b.bottom, s.x0, s.x1});
}

Region RegionBuilder::build() {
  Region region;
  std::vector<Piece> &pieces = pieces_;
  sortByTop(pieces);
  std::vector<Piece> active;  // sorted by x0
  std::vector<Span> spans;
  size_t next = 0;
  int y = INT_MIN;
  while (next < pieces.size() || !active.empty()) {
    if (active.empty()) y = pieces[next].top;
    for (; next < pieces.size() && pieces[next].top == y; ++next) {
      auto at = std::upper_bound(active.begin(), active.end(), pieces[next].x0,
                                 [](int x, const Piece &p) { return x < p.x0; });
      active.insert(at, pieces[next]);
    }
    int end = next < pieces.size() ? pieces[next].top : INT_MAX;
    spans.clear();
    for (const Piece &p : active) {
      end = std::min(end, p.bottom);
      if (!spans.empty() && p.x0 <= spans.back().x1)
        spans.back().x1 = std::max(spans.back().x1, p.x1);
      else
        spans.push_back({p.x0, p.x1});
    }
    region.appendBand(y, end, spans);
    y = end;
    std::erase_if(active, [y](const Piece &p) { return p.bottom <= y; });
  }
  assert(region.checkInvariants());
  return region;
}

Region Region::fromRects(std::span<const Rect> rects) {
  RegionBuilder b;
  b.reserve(rects.size());
  for (const Rect &r : rects) b.addRect(r);
  return b.build();
}

}  // namespace gfx
