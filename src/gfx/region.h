#pragma once
// A set of pixels kept as horizontal bands: each band covers the rows
// [top, bottom) and holds the same sorted list of disjoint spans [x0, x1) in
// every one of those rows. The form is canonical: bands are sorted, never
// empty, and two touching bands never hold equal spans (they are merged);
// spans within a band never touch. So two regions cover the same pixels
// exactly when they compare equal.
//
// Coordinates are limited to [-kLimit, kLimit) on both axes; whatever a shape
// covers beyond that is cut off. Pixel rules of the shapes:
// - rectangle (l, t, r, b): the pixels [l, r) x [t, b); a mirrored or empty
//   rectangle covers nothing.
// - polygon: the pixels whose centres (x + 0.5, y + 0.5) lie inside the
//   outline under the fill rule. A centre exactly on an edge is inside where
//   the shape begins (reading left to right) and outside where it ends, so
//   the polygon with the corners of rectangle (l, t, r, b) covers exactly
//   that rectangle's pixels, and polygons that share an edge never both
//   cover a pixel along it. Vertices are clamped to +-2^28.
// - ellipse with bounding rectangle (l, t, r, b): the pixels whose centres
//   lie inside or on the ellipse inscribed in the rectangle, so it never
//   reaches outside [l, r) x [t, b). A mirrored rectangle is normalised.
// - rounded rectangle (l, t, r, b) with corner ellipse w x h: the rectangle
//   (l, t, r, b) whose corners are cut by the quarters of a w x h ellipse.
//   w and h are limited to the rectangle's width and height, so w = width
//   makes the left and right sides half ellipses; w or h of 0 (or less)
//   gives the plain rectangle. A pixel is inside when its centre lies inside
//   or on the outline; with w = width and h = height it is the ellipse.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/geometry.h"

namespace gfx {

struct Span {
  int x0 = 0;
  int x1 = 0;
  friend bool operator==(const Span &, const Span &) = default;
};

enum class FillRule {
  Alternate,  // inside where an odd number of edges lie to the left
  Winding,    // inside where the edges' turns around the point do not cancel
};

class Region {
 public:
  static constexpr int kLimit = 1 << 20;

  struct Band {
    int top = 0;
    int bottom = 0;
    std::span<const Span> spans;
  };

  Region() = default;  // empty
  explicit Region(Rect r);

  static Region roundRect(Rect r, int ellipseWidth, int ellipseHeight);
  static Region ellipse(Rect bounds);
  static Region polygon(std::span<const Point> points, FillRule rule = FillRule::Winding);
  // The union of many rectangles, built in one pass.
  static Region fromRects(std::span<const Rect> rects);

  bool empty() const { return bands_.empty(); }
  // The smallest rectangle holding every pixel; (0, 0, 0, 0) when empty.
  Rect bounds() const { return bounds_; }
  bool contains(Point p) const;
  bool contains(int x, int y) const { return contains(Point{x, y}); }
  // Number of pixels covered.
  int64_t area() const;

  Region united(const Region &o) const;
  Region intersected(const Region &o) const;
  Region xored(const Region &o) const;
  Region subtracted(const Region &o) const;
  Region translated(int dx, int dy) const;
  void translate(int dx, int dy) { *this = translated(dx, dy); }

  Region &operator|=(const Region &o) { return *this = united(o); }
  Region &operator&=(const Region &o) { return *this = intersected(o); }
  Region &operator^=(const Region &o) { return *this = xored(o); }

  size_t bandCount() const { return bands_.size(); }
  Band band(size_t i) const;
  // The region as disjoint rectangles, band by band, top to bottom.
  std::vector<Rect> rects() const;

  friend bool operator==(const Region &a, const Region &b);

  // The canonical form described above: bands sorted, apart or holding
  // different spans, never empty; spans sorted and apart; bounds tight.
  // Debug builds assert it after every operation that makes a region.
  bool checkInvariants() const;

 private:
  friend class RegionBuilder;
  friend struct RegionOps;
  struct StoredBand {
    int top, bottom;
    uint32_t first, count;
  };
  // Appends the rows [top, bottom) holding `spans` (sorted, disjoint, not
  // touching) below every band so far; merges with the last band when it
  // ends at `top` and holds the same spans.
  void appendBand(int top, int bottom, std::span<const Span> spans);
  std::span<const Span> spansOf(const StoredBand &b) const {
    return {spans_.data() + b.first, b.count};
  }

  std::vector<StoredBand> bands_;
  std::vector<Span> spans_;
  Rect bounds_;
};

// Collects rectangles and shapes and builds their union in one sweep, which
// costs far less than joining them one by one.
class RegionBuilder {
 public:
  void reserve(size_t pieces) { pieces_.reserve(pieces); }
  void addRect(Rect r);
  void addRegion(const Region &r);
  void addPolygon(std::span<const Point> points, FillRule rule = FillRule::Winding);
  void addRoundRect(Rect r, int ellipseWidth, int ellipseHeight) {
    addRegion(Region::roundRect(r, ellipseWidth, ellipseHeight));
  }
  void addEllipse(Rect bounds) { addRegion(Region::ellipse(bounds)); }
  bool empty() const { return pieces_.empty(); }
  void clear() { pieces_.clear(); }
  // The union of everything added so far; the builder keeps its content
  // (reordered) and may take more.
  Region build();

 private:
  struct Piece {
    int top, bottom, x0, x1;
  };
  std::vector<Piece> pieces_;
};

// Copies src onto dst at (0, 0) wherever `region` covers, clipped to both
// bitmaps; every other pixel of dst keeps its value.
void copyThroughRegion(Bitmap &dst, const Bitmap &src, const Region &region);

// A whole region transition frame in one pass: dst becomes `inside` where
// the region covers and `outside` elsewhere. The same as copying `outside`
// onto dst at (0, 0) and then `inside` through the region, which it falls
// back to when the three bitmaps differ in size; it writes every byte once
// when they match. dst may be one of the other two.
void composeThroughRegion(Bitmap &dst, const Bitmap &outside, const Bitmap &inside,
                          const Region &region);

}  // namespace gfx
