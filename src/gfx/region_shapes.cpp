// Scan conversion of polygons, ellipses and rounded rectangles straight into
// bands, one pixel row at a time, with exact integer arithmetic.
#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "gfx/region.h"

namespace gfx {

namespace {

constexpr int64_t kVertexLimit = int64_t(1) << 28;

int64_t clampVertex(int64_t v) {
  return std::clamp(v, -kVertexLimit, kVertexLimit);
}

int clampX(int64_t x) {
  return int(std::clamp<int64_t>(x, -Region::kLimit, Region::kLimit));
}

int64_t floorDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  return (n % d < 0) ? q - 1 : q;
}

// One non-horizontal polygon edge, walked downward row by row. In row y it
// crosses the line through the pixel centres at xc; the first pixel centre
// at or right of it is ceil(xc - 0.5) = ceil(N / D) with
// N = (2 x0 - 1) dy + dx (2 (y - y0) + 1) and D = 2 dy, kept as q + r / D.
struct Edge {
  int64_t top, bottom;  // rows [top, bottom)
  int dir;              // +1 when the outline runs downward here
  int64_t q, r, d, stepQ, stepR;

  void start(int64_t x0, int64_t y0, int64_t dx, int64_t dy, int64_t row) {
    d = 2 * dy;
    const int64_t n = (2 * x0 - 1) * dy + dx * (2 * (row - y0) + 1);
    q = floorDiv(n, d);
    r = n - q * d;
    stepQ = floorDiv(2 * dx, d);
    stepR = 2 * dx - stepQ * d;
  }
  int64_t x() const { return q + (r != 0); }
  void advance() {
    q += stepQ;
    r += stepR;
    if (r >= d) {
      r -= d;
      ++q;
    }
  }
};

std::vector<Edge> makeEdges(std::span<const Point> pts, int64_t firstRow) {
  std::vector<Edge> edges;
  for (size_t i = 0; i < pts.size(); ++i) {
    const Point &a = pts[i], &b = pts[(i + 1) % pts.size()];
    int64_t x0 = clampVertex(a.x), y0 = clampVertex(a.y);
    int64_t x1 = clampVertex(b.x), y1 = clampVertex(b.y);
    if (y0 == y1) continue;
    int dir = 1;
    if (y0 > y1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
      dir = -1;
    }
    if (y1 <= firstRow) continue;
    Edge e{y0, y1, dir, 0, 0, 0, 0, 0};
    e.start(x0, y0, x1 - x0, y1 - y0, std::max(y0, firstRow));
    e.top = std::max(y0, firstRow);
    edges.push_back(e);
  }
  std::sort(edges.begin(), edges.end(), [](const Edge &a, const Edge &b) { return a.top < b.top; });
  return edges;
}

struct Crossing {
  int64_t x;
  int dir;
};

// Turns one row's edge crossings into spans under the fill rule.
void rowSpans(std::vector<Crossing> &xs, FillRule rule, std::vector<Span> &out) {
  // Few crossings per row, and mostly in order from the row before.
  for (size_t i = 1; i < xs.size(); ++i)
    for (size_t k = i; k > 0 && xs[k].x < xs[k - 1].x; --k) std::swap(xs[k], xs[k - 1]);
  out.clear();
  int winding = 0;
  int64_t start = 0;
  for (const Crossing &c : xs) {
    const bool was = rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
    winding += rule == FillRule::Winding ? c.dir : 1;
    const bool now = rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
    if (!was && now) start = c.x;
    if (!was || now) continue;
    const int x0 = clampX(start), x1 = clampX(c.x);
    if (x1 <= x0) continue;
    if (!out.empty() && out.back().x1 == x0)
      out.back().x1 = x1;
    else
      out.push_back({x0, x1});
  }
}

// The largest integer d with d^2 f^2 <= e^2 (f^2 - g^2), for 0 <= g <= f, f > 0.
int64_t halfChord(int64_t e, int64_t f, int64_t g) {
  using Wide = __int128;
  const Wide limit = Wide(e) * e * (Wide(f) * f - Wide(g) * g);
  const Wide ff = Wide(f) * f;
  int64_t d = int64_t(std::sqrt(double(limit) / double(ff)));
  while (d > 0 && Wide(d) * d * ff > limit) --d;
  while (Wide(d + 1) * (d + 1) * ff <= limit) ++d;
  return d;
}

}  // namespace

// Scan-converts a polygon row by row, top to bottom, handing each row that
// holds pixels to emit(y, spans).
template <class Emit>
void scanPolygon(std::span<const Point> points, FillRule rule, Emit &&emit) {
  if (points.size() < 3) return;
  std::vector<Edge> edges = makeEdges(points, -Region::kLimit);
  std::vector<Edge> active;
  std::vector<Crossing> xs;
  std::vector<Span> spans;
  size_t next = 0;
  int64_t y = edges.empty() ? Region::kLimit : edges.front().top;
  while (y < Region::kLimit && (next < edges.size() || !active.empty())) {
    if (active.empty()) y = std::max(y, edges[next].top);
    while (next < edges.size() && edges[next].top <= y) active.push_back(edges[next++]);
    if (active.size() == 2) {
      // Two edges of a closed outline run in opposite directions, so under
      // either rule the row is the one span between them.
      const int64_t a = active[0].x(), b = active[1].x();
      spans.assign(1, {clampX(std::min(a, b)), clampX(std::max(a, b))});
      if (spans[0].x0 == spans[0].x1) spans.clear();
    } else {
      xs.clear();
      for (const Edge &e : active) xs.push_back({e.x(), e.dir});
      rowSpans(xs, rule, spans);
    }
    if (!spans.empty()) emit(int(y), std::span<const Span>(spans));
    ++y;
    std::erase_if(active, [y](const Edge &e) { return e.bottom <= y; });
    for (Edge &e : active) e.advance();
  }
}

Region Region::polygon(std::span<const Point> points, FillRule rule) {
  Region region;
  scanPolygon(points, rule,
              [&](int y, std::span<const Span> spans) { region.appendBand(y, y + 1, spans); });
  assert(region.checkInvariants());
  return region;
}

void RegionBuilder::addPolygon(std::span<const Point> points, FillRule rule) {
  scanPolygon(points, rule, [&](int y, std::span<const Span> spans) {
    for (const Span &s : spans) pieces_.push_back({y, y + 1, s.x0, s.x1});
  });
}

Region Region::roundRect(Rect r, int ellipseWidth, int ellipseHeight) {
  int64_t l = clampVertex(r.left), t = clampVertex(r.top);
  int64_t rt = clampVertex(r.right), b = clampVertex(r.bottom);
  if (l > rt) std::swap(l, rt);
  if (t > b) std::swap(t, b);
  Region region;
  if (l == rt || t == b) return region;
  // Corner ellipse size, in the same doubled units as the centres below.
  const int64_t e = std::clamp<int64_t>(ellipseWidth, 0, rt - l);
  const int64_t f = std::clamp<int64_t>(ellipseHeight, 0, b - t);
  if (e == 0 || f == 0) return Region(Rect{clampX(l), clampX(t), clampX(rt), clampX(b)});
  const int64_t first = std::max<int64_t>(t, -kLimit), last = std::min<int64_t>(b, kLimit);
  for (int64_t y = first; y < last; ++y) {
    // Doubled vertical distance of the pixel centre from the straight part.
    const int64_t cy = 2 * y + 1;
    const int64_t g = std::max<int64_t>({0, 2 * t + f - cy, cy - (2 * b - f)});
    if (g == 0) {  // the straight part: all its rows at once
      const int64_t end = std::min(last, floorDiv(2 * b - f - 1, 2) + 1);
      const Span s{clampX(l), clampX(rt)};
      region.appendBand(int(y), int(end), {&s, 1});
      y = end - 1;
      continue;
    }
    if (g > f) continue;
    const int64_t d = halfChord(e, f, g);
    // Pixel x is inside when 2x + 1 lies in [2l + e - d, 2r - e + d].
    const int64_t x0 = floorDiv(2 * l + e - d, 2);  // ceil((2l + e - d - 1) / 2)
    const int64_t x1 = floorDiv(2 * rt - e + d - 1, 2) + 1;
    const Span s{clampX(x0), clampX(x1)};
    if (s.x1 > s.x0) region.appendBand(int(y), int(y + 1), {&s, 1});
  }
  assert(region.checkInvariants());
  return region;
}

Region Region::ellipse(Rect bounds) {
  // The corner ellipse is cut down to the rectangle's own size.
  return roundRect(bounds, INT_MAX, INT_MAX);
}

}  // namespace gfx
