// Builds regions from shapes and combinations read from the input, and checks
// every pixel of a small window against the per-pixel rules, plus the
// region's own invariants. Any difference aborts.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "gfx/region.h"
#include "region_reference.h"

namespace {

using gfx::FillRule;
using gfx::Point;
using gfx::Rect;
using gfx::Region;

constexpr int kLo = -10, kHi = 50;  // the window checked pixel by pixel

struct Reader {
  const uint8_t *data;
  size_t size, pos = 0;
  bool more() const { return pos < size; }
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
  int coord() { return int(byte() % 48) - 8; }
};

using Inside = std::function<bool(int, int)>;

struct Shape {
  Region region;
  Inside inside;
};

Shape readShape(Reader &in) {
  switch (in.byte() % 4) {
    case 0: {
      const Rect r{in.coord(), in.coord(), in.coord(), in.coord()};
      return {Region(r), [r](int x, int y) { return r.contains({x, y}); }};
    }
    case 1: {
      std::vector<Point> pts(3 + in.byte() % 6);
      for (Point &p : pts) p = {in.coord(), in.coord()};
      const FillRule rule = in.byte() % 2 ? FillRule::Winding : FillRule::Alternate;
      return {Region::polygon(pts, rule), [pts, rule](int x, int y) {
                return gfx::reference::polygonContains(pts, rule, x, y);
              }};
    }
    case 2: {
      const Rect r{in.coord(), in.coord(), in.coord(), in.coord()};
      return {Region::ellipse(r),
              [r](int x, int y) { return gfx::reference::ellipseContains(r, x, y); }};
    }
    default: {
      const Rect r{in.coord(), in.coord(), in.coord(), in.coord()};
      const int w = in.coord(), h = in.coord();
      return {Region::roundRect(r, w, h),
              [r, w, h](int x, int y) { return gfx::reference::roundRectContains(r, w, h, x, y); }};
    }
  }
}

void check(bool ok) {
  if (!ok) std::abort();
}

// The band form and its bounds, as the region checks them itself; the
// area must agree with the spans too.
void checkForm(const Region &r) {
  check(r.checkInvariants());
  int64_t area = 0;
  for (const Rect &q : r.rects()) area += int64_t(q.width()) * q.height();
  check(r.area() == area);
}

void checkPixels(const Region &r, const Inside &inside) {
  checkForm(r);
  for (int y = kLo; y < kHi; ++y)
    for (int x = kLo; x < kHi; ++x) check(r.contains(x, y) == inside(x, y));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Reader in{data, size};
  Shape total{Region(), [](int, int) { return false; }};
  gfx::RegionBuilder all;
  std::vector<Inside> parts;
  for (int n = 0; in.more() && n < 12; ++n) {
    Shape s = readShape(in);
    checkPixels(s.region, s.inside);
    all.addRegion(s.region);
    parts.push_back(s.inside);
    const Inside a = total.inside, b = s.inside;
    switch (in.byte() % 4) {
      case 0:
        total = {total.region.united(s.region),
                 [a, b](int x, int y) { return a(x, y) || b(x, y); }};
        break;
      case 1:
        total = {total.region.intersected(s.region),
                 [a, b](int x, int y) { return a(x, y) && b(x, y); }};
        break;
      case 2:
        total = {total.region.xored(s.region), [a, b](int x, int y) { return a(x, y) != b(x, y); }};
        break;
      default:
        total = {total.region.subtracted(s.region),
                 [a, b](int x, int y) { return a(x, y) && !b(x, y); }};
        break;
    }
    checkPixels(total.region, total.inside);
  }
  checkPixels(all.build(), [&](int x, int y) {
    for (const Inside &p : parts)
      if (p(x, y)) return true;
    return false;
  });
  const int dx = int(in.byte() % 16) - 8, dy = int(in.byte() % 16) - 8;
  const Inside moved = [&](int x, int y) { return total.inside(x - dx, y - dy); };
  const Region shifted = total.region.translated(dx, dy);
  checkForm(shifted);
  for (int y = kLo; y < kHi; ++y)
    for (int x = kLo; x < kHi; ++x) check(shifted.contains(x, y) == moved(x, y));
  check(shifted.translated(-dx, -dy) == total.region);
  return 0;
}
