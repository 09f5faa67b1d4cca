#include "gfx/region.h"

#include <algorithm>
#include <cassert>
#include <climits>

namespace gfx {

namespace {

int clampCoord(int64_t v) {
  return int(std::clamp<int64_t>(v, -Region::kLimit, Region::kLimit));
}

// Which of the two operands' pixels survive a combination.
enum class Op { Union, Intersect, Xor, Subtract };

bool keep(Op op, bool a, bool b) {
  switch (op) {
    case Op::Union:
      return a || b;
    case Op::Intersect:
      return a && b;
    case Op::Xor:
      return a != b;
    case Op::Subtract:
      return a && !b;
  }
  return false;
}

// Merges two canonical span lists of one row into `out` (cleared first).
// Walks the span ends of both lists in order, so the cost is linear.
void combineSpans(std::span<const Span> a, std::span<const Span> b, Op op, std::vector<Span> &out) {
  out.clear();
  size_t i = 0, j = 0;
  bool inA = false, inB = false, in = false;
  int start = 0;
  for (;;) {
    const int xa = i < a.size() ? (inA ? a[i].x1 : a[i].x0) : INT_MAX;
    const int xb = j < b.size() ? (inB ? b[j].x1 : b[j].x0) : INT_MAX;
    const int x = std::min(xa, xb);
    if (x == INT_MAX) break;
    if (xa == x) {
      if (inA) ++i;
      inA = !inA;
    }
    if (xb == x) {
      if (inB) ++j;
      inB = !inB;
    }
    const bool now = keep(op, inA, inB);
    if (now == in) continue;
    in = now;
    if (now)
      start = x;
    else
      out.push_back({start, x});
  }
}

}  // namespace

// Combines two regions band by band: the rows are cut wherever a band of
// either operand starts or ends, and each piece's spans are merged.
struct RegionOps {
  static Region combine(const Region &a, const Region &b, Op op) {
    Region r;
    const auto &ba = a.bands_, &bb = b.bands_;
    size_t i = 0, j = 0;
    std::vector<Span> scratch;
    int y = INT_MIN;
    while (i < ba.size() || j < bb.size()) {
      if (op == Op::Intersect && (i == ba.size() || j == bb.size())) break;
      if (op == Op::Subtract && i == ba.size()) break;
      const bool inA = i < ba.size() && ba[i].top <= y;
      const bool inB = j < bb.size() && bb[j].top <= y;
      int end = INT_MAX;
      if (i < ba.size()) end = std::min(end, inA ? ba[i].bottom : ba[i].top);
      if (j < bb.size()) end = std::min(end, inB ? bb[j].bottom : bb[j].top);
      if (inA || inB) {
        combineSpans(inA ? a.spansOf(ba[i]) : std::span<const Span>(),
                     inB ? b.spansOf(bb[j]) : std::span<const Span>(), op, scratch);
        r.appendBand(y, end, scratch);
      }
      y = end;
      if (inA && ba[i].bottom == y) ++i;
      if (inB && bb[j].bottom == y) ++j;
    }
    assert(r.checkInvariants());
    return r;
  }
};

Region::Region(Rect r) {
  r = {clampCoord(r.left), clampCoord(r.top), clampCoord(r.right), clampCoord(r.bottom)};
  if (r.empty()) return;
  const Span s{r.left, r.right};
  appendBand(r.top, r.bottom, {&s, 1});
}

void Region::appendBand(int top, int bottom, std::span<const Span> spans) {
  if (spans.empty() || bottom <= top) return;
  if (!bands_.empty()) {
    StoredBand &last = bands_.back();
    if (last.bottom == top && std::ranges::equal(spansOf(last), spans)) {
      last.bottom = bottom;
      bounds_.bottom = bottom;
      return;
    }
  }
  bands_.push_back({top, bottom, uint32_t(spans_.size()), uint32_t(spans.size())});
  spans_.insert(spans_.end(), spans.begin(), spans.end());
  if (bands_.size() == 1) {
    bounds_ = {spans.front().x0, top, spans.back().x1, bottom};
    return;
  }
  bounds_.left = std::min(bounds_.left, spans.front().x0);
  bounds_.right = std::max(bounds_.right, spans.back().x1);
  bounds_.bottom = bottom;
}

bool Region::contains(Point p) const {
  auto b = std::upper_bound(bands_.begin(), bands_.end(), p.y,
                            [](int y, const StoredBand &band) { return y < band.bottom; });
  if (b == bands_.end() || b->top > p.y) return false;
  auto spans = spansOf(*b);
  auto s = std::upper_bound(spans.begin(), spans.end(), p.x,
                            [](int x, const Span &span) { return x < span.x1; });
  return s != spans.end() && s->x0 <= p.x;
}

int64_t Region::area() const {
  int64_t total = 0;
  for (const StoredBand &b : bands_) {
    int64_t w = 0;
    for (const Span &s : spansOf(b)) w += s.x1 - s.x0;
    total += w * (b.bottom - b.top);
  }
  return total;
}

Region Region::united(const Region &o) const {
  if (o.empty()) return *this;
  if (empty()) return o;
  return RegionOps::combine(*this, o, Op::Union);
}

Region Region::intersected(const Region &o) const {
  return RegionOps::combine(*this, o, Op::Intersect);
}

Region Region::xored(const Region &o) const {
  return RegionOps::combine(*this, o, Op::Xor);
}

Region Region::subtracted(const Region &o) const {
  return RegionOps::combine(*this, o, Op::Subtract);
}

Region Region::translated(int dx, int dy) const {
  if (empty()) return {};
  auto inside = [](int64_t v) { return v >= -kLimit && v <= kLimit; };
  const int64_t left = int64_t(bounds_.left) + dx, right = int64_t(bounds_.right) + dx;
  const int64_t top = int64_t(bounds_.top) + dy, bottom = int64_t(bounds_.bottom) + dy;
  if (!inside(left) || !inside(right) || !inside(top) || !inside(bottom)) {
    // Cut off first what would land beyond the limit, then move the rest.
    const Rect keep{clampCoord(-int64_t(kLimit) - dx), clampCoord(-int64_t(kLimit) - dy),
                    clampCoord(int64_t(kLimit) - dx), clampCoord(int64_t(kLimit) - dy)};
    // What is kept lies within the limit once moved, so this recurses once.
    return intersected(Region(keep)).translated(dx, dy);
  }
  Region r;
  r.bands_ = bands_;
  r.spans_ = spans_;
  for (StoredBand &b : r.bands_) {
    b.top += dy;
    b.bottom += dy;
  }
  for (Span &s : r.spans_) {
    s.x0 += dx;
    s.x1 += dx;
  }
  r.bounds_ = {int(left), int(top), int(right), int(bottom)};
  assert(r.checkInvariants());
  return r;
}

Region::Band Region::band(size_t i) const {
  const StoredBand &b = bands_[i];
  return {b.top, b.bottom, spansOf(b)};
}

std::vector<Rect> Region::rects() const {
  std::vector<Rect> out;
  out.reserve(spans_.size());
  for (const StoredBand &b : bands_)
    for (const Span &s : spansOf(b)) out.push_back({s.x0, b.top, s.x1, b.bottom});
  return out;
}

bool Region::checkInvariants() const {
  Rect box;
  for (size_t i = 0; i < bands_.size(); ++i) {
    const StoredBand &b = bands_[i];
    const std::span<const Span> spans = spansOf(b);
    if (b.top >= b.bottom || spans.empty() || b.first + b.count > spans_.size()) return false;
    if (i > 0) {
      const StoredBand &p = bands_[i - 1];
      if (p.bottom > b.top || (p.bottom == b.top && std::ranges::equal(spansOf(p), spans)))
        return false;
    }
    for (size_t k = 0; k < spans.size(); ++k)
      if (spans[k].x0 >= spans[k].x1 || (k > 0 && spans[k - 1].x1 >= spans[k].x0)) return false;
    const Rect own{spans.front().x0, b.top, spans.back().x1, b.bottom};
    box = i == 0 ? own
                 : Rect{std::min(box.left, own.left), box.top, std::max(box.right, own.right),
                        own.bottom};
  }
  return bounds_ == box;
}

bool operator==(const Region &a, const Region &b) {
  if (a.bands_.size() != b.bands_.size() || a.spans_ != b.spans_) return false;
  for (size_t i = 0; i < a.bands_.size(); ++i) {
    const auto &x = a.bands_[i], &y = b.bands_[i];
    if (x.top != y.top || x.bottom != y.bottom || x.count != y.count) return false;
  }
  return true;
}

}  // namespace gfx
