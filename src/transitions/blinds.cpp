// Styles 136..150: blinds and uneven blinds, the rectangular shred, the
// clock-hand sweeps, bands crossed by blinds, and the turning rectangle and
// star. P below is Progress.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "transitions/region_styles.h"

namespace transitions {

namespace {

// (P * extent) div `per`, the fraction of an extent that is open at P %.
// The product is taken in 64 bits: a side of more than 21 million pixels
// would overflow an int at P = 100.
int share(int P, int extent, int per) {
  return int(int64_t(P) * extent / per);
}

// Slats `open` wide every `pitch` along an axis `length` long, the first
// starting at `first`; `forward` moves them toward the far end. A pitch that
// computes to 0 (L of 0 or larger than the picture) makes one slat the
// length of the axis, so the blind becomes a plain wipe that still ends.
void addSlats(gfx::RegionBuilder &out, bool columns, int length, int across, int first, int open,
              int pitch, bool forward) {
  if (open <= 0) return;
  if (pitch <= 0) pitch = length;
  for (int a = first; forward ? a < length : a + open >= 0; a += forward ? pitch : -pitch)
    out.addRect(columns ? gfx::Rect{a, 0, a + open, across} : gfx::Rect{0, a, across, a + open});
}

// Blinds of a fixed pitch (the axis divided by L), each opening to P %.
void fixedBlind(gfx::RegionBuilder &out, bool columns, const Extents &e, int P) {
  const int length = columns ? e.W : e.H, across = columns ? e.H : e.W;
  const int pitch = e.L > 0 ? length / e.L : 0;
  const int slat = pitch > 0 ? pitch : length;
  addSlats(out, columns, length, across, 0, share(P, slat, 100), pitch, true);
}

// Uneven blinds: the pitch is the progress extent itself. While that is 0
// (the first frames on a very small picture) nothing is open yet.
void unevenBlind(gfx::RegionBuilder &out, int style, const Extents &e, int P) {
  const bool columns = style == 138 || style == 139;
  const int length = columns ? e.W : e.H, across = columns ? e.H : e.W;
  const int extent = columns ? e.X : e.Y, open = share(P, extent, 100);
  if (extent <= 0) return;
  if (style == 138 || style == 140)
    addSlats(out, columns, length, across, 0, open, extent, true);
  else
    addSlats(out, columns, length, across, length - open, open, extent, false);
}

// Style 142: a grid of rectangles growing about the grid points. L below 2,
// or cells narrower than a pixel, leave one cell over the whole picture, so
// four rectangles grow from the corners.
gfx::Region rectangularShred(const Extents &e) {
  const int L = std::max(e.L, 1);
  int n = L > 1 ? L / 2 : L, a = e.X / L, b = e.Y / L;
  if (e.W / n == 0 || e.H / n == 0) n = 1, a = e.X, b = e.Y;
  const int cw = e.W / n, ch = e.H / n;
  gfx::RegionBuilder out;
  out.reserve(size_t(n + 1) * size_t(n + 1));
  for (int r = n; r >= 0; --r)
    for (int k = n; k >= 0; --k) out.addRect({k * cw - a, r * ch - b, k * cw + a, r * ch + b});
  return out.build();
}

int enclosingRadius(int w, int h) {
  const int64_t d2 = int64_t(w) * w + int64_t(h) * h;
  int64_t r = int64_t(std::sqrt(double(d2)));
  while (r * r < d2) ++r;
  while (r > 0 && (r - 1) * (r - 1) >= d2) --r;
  return int(r);
}

gfx::Region sweep(int style, const Extents &e, int P) {
  const double pi = std::numbers::pi, start = -pi / 2;
  const double turn = P * pi / 50;
  const int cx = e.W / 2, cy = e.H / 2;
  return PieRegion(cx, cy, enclosingRadius(cx, cy), start,
                   style == 143 ? start + turn : start - turn, P);
}

// Styles 145..148: bands growing about their centre lines, pitch Q = the
// axis divided by L (the whole axis when that is 0), with an uneven blind
// across them.
gfx::Region bandsAndBlind(int style, const Extents &e, int P) {
  gfx::RegionBuilder out;
  const bool horizontal = style == 145 || style == 146;
  const int length = horizontal ? e.H : e.W, across = horizontal ? e.W : e.H;
  int q = e.L > 0 ? length / e.L : 0;
  if (q <= 0) q = length;
  const int d = share(P, q, 200);
  for (int c = q / 2; c - d < length; c += q)
    out.addRect(horizontal ? gfx::Rect{0, c - d, across, c + d}
                           : gfx::Rect{c - d, 0, c + d, across});
  static constexpr int kBlind[] = {138, 139, 140, 141};
  unevenBlind(out, kBlind[style - 145], e, P);
  return out.build();
}

gfx::Region turning(int style, const Extents &e, int P) {
  const int cx = e.W / 2, cy = e.H / 2, X = e.X, Y = e.Y;
  const double angle = P * std::numbers::pi / 50;
  if (style == 149) {
    const int hx = X / 2, hy = Y / 2;
    const gfx::Point corners[] = {
        {cx - hx, cy - hy}, {cx + hx, cy - hy}, {cx + hx, cy + hy}, {cx - hx, cy + hy}};
    return gfx::Region::polygon(RotatePoints(corners, cx, cy, angle));
  }
  const gfx::Point star[] = {
      {cx - 2 * X, cy}, {cx - X / 2, cy - Y / 2}, {cx, cy - 2 * Y}, {cx + X / 2, cy - Y / 2},
      {cx + 2 * X, cy}, {cx + X / 2, cy + Y / 2}, {cx, cy + 2 * Y}, {cx - X / 2, cy + Y / 2}};
  return gfx::Region::polygon(RotatePoints(star, cx, cy, angle));
}

}  // namespace

gfx::Region PieRegion(int cx, int cy, int radius, double startAngle, double endAngle, int count) {
  if (count < 1) return {};
  std::vector<gfx::Point> fan;
  fan.reserve(size_t(count) + 1);
  fan.push_back({cx, cy});
  const double delta = (endAngle - startAngle) / count;
  // The arc stops one step short of the end angle.
  for (int k = 0; k < count; ++k) {
    const double a = startAngle + k * delta;
    fan.push_back({cx + int(std::nearbyint(radius * std::cos(a))),
                   cy + int(std::nearbyint(radius * std::sin(a)))});
  }
  return gfx::Region::polygon(fan);
}

std::vector<gfx::Point> RotatePoints(std::span<const gfx::Point> points, int cx, int cy,
                                     double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  std::vector<gfx::Point> out;
  out.reserve(points.size());
  for (const gfx::Point &p : points) {
    const double dx = p.x - cx, dy = p.y - cy;
    out.push_back(
        {cx + int(std::nearbyint(dx * c - dy * s)), cy + int(std::nearbyint(dx * s + dy * c))});
  }
  return out;
}

gfx::Region blindRegion(int style, const Extents &e, int P) {
  gfx::RegionBuilder out;
  switch (style) {
    case 136:
    case 137:
      fixedBlind(out, style == 136, e, P);
      return out.build();
    case 138:
    case 139:
    case 140:
    case 141:
      unevenBlind(out, style, e, P);
      return out.build();
    case 142:
      return rectangularShred(e);
    case 143:
    case 144:
      return sweep(style, e, P);
    case 145:
    case 146:
    case 147:
    case 148:
      return bandsAndBlind(style, e, P);
    case 149:
    case 150:
      return turning(style, e, P);
  }
  return {};
}

}  // namespace transitions
