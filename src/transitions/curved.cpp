// Styles 58, 59, 69, 70, 80..85 and 110..117: a rounded rectangle whose
// curved front sweeps in from an edge or a corner, an ellipse opening from
// or closing to the centre, and triangles growing from corners and edges.

#include <array>
#include <vector>

#include "transitions/region_styles.h"

namespace transitions {

namespace {

gfx::Region rounded(int l, int t, int r, int b, int ew, int eh) {
  return gfx::Region::roundRect({l, t, r, b}, ew, eh);
}

// The shapes sweeping from an edge reach 5 pixels past the two edges
// parallel to the sweep, so only the curved front crosses the picture.
gfx::Region edgeSweep(int style, const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y;
  switch (style) {
    case 58:
      return rounded(-2 * W, -5, 2 * X, H + 5, 2 * W, 2 * W);
    case 59:
      return rounded(W - 2 * X, -5, 3 * W, H + 5, 2 * W, 2 * W);
    case 69:
      return rounded(-5, -2 * H, W + 5, 2 * Y, 2 * H, 2 * H);
    case 70:
      return rounded(-5, H - 2 * Y, W + 5, 3 * H, 2 * H, 2 * H);
  }
  return {};
}

gfx::Region cornerSweep(int style, const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y;
  switch (style) {
    case 80:
      return rounded(-2 * W, -2 * H, 2 * X, 2 * Y, 2 * W, 2 * H);
    case 81:
      return rounded(W - 2 * X, -2 * H, 3 * W, 2 * Y, 2 * W, 2 * H);
    case 82:
      return rounded(-2 * W, H - 2 * Y, 2 * X, 3 * H, 2 * W, 2 * H);
    // This corner's ellipse is 2H square, unlike the other three corners.
    case 83:
      return rounded(W - 2 * X, H - 2 * Y, 3 * W, 3 * H, 2 * H, 2 * H);
  }
  return {};
}

gfx::Region circular(int style, const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y;
  if (style == 84)
    return rounded(W / 2 - X, H / 2 - Y, W / 2 + X, H / 2 + Y, (9 * X) / 5, (9 * Y) / 5);
  // Style 85: the shape shrinks from twice the picture's size and the new
  // picture shows outside it.
  const gfx::Region shape = rounded(X - W / 2, Y - H / 2, (3 * W) / 2 - X, (3 * H) / 2 - Y,
                                    (9 * (W - X)) / 5, (9 * (H - Y)) / 5);
  return gfx::Region(gfx::Rect{0, 0, W, H}).xored(shape);
}

gfx::Region diagonal(int style, const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y;
  switch (style) {
    case 110:
      return TriangleRegion(0, 0, 2 * X, 0, 0, 2 * Y);
    case 111:
      return TriangleRegion(W, 0, W - 2 * X, 0, W, 2 * Y);
    case 112:
      return TriangleRegion(0, H, 2 * X, H, 0, H - 2 * Y);
    case 113:
      return TriangleRegion(W, H, W - 2 * X, H, W, H - 2 * Y);
  }
  return {};
}

using Triangle = std::array<gfx::Point, 3>;

gfx::Region triangles(std::span<const Triangle> list) {
  gfx::RegionBuilder b;
  for (const Triangle &t : list) b.addPolygon(t);
  return b.build();
}

gfx::Region sweeps(int style, const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y, cx = W / 2, cy = H / 2;
  if (style == 114) {
    const Triangle t[] = {{{{0, H}, {0, 0}, {X, H}}}, {{{W, H}, {W, 0}, {W - X, 0}}}};
    return triangles(t);
  }
  if (style == 115) {
    const Triangle t[] = {{{{W, 0}, {0, 0}, {W, Y}}}, {{{W, H}, {0, H}, {0, H - Y}}}};
    return triangles(t);
  }
  const Triangle t[] = {{{{cx, cy}, {0, H}, {0, H - Y}}},
                        {{{0, 0}, {X, 0}, {cx, cy}}},
                        {{{W - X, H}, {cx, cy}, {W, H}}},
                        {{{cx, cy}, {W, 0}, {W, Y}}}};
  return triangles(t);  // style 116
}

// Style 117: one triangle per cell of a 10 x 10 grid, its legs growing to
// twice a cell so that the triangles cover the picture near the end. The
// cells' corners lie on whole pixels, so one scanned triangle, moved to
// each corner, serves all hundred.
gfx::Region triangularShred(const Extents &e) {
  const int A = e.X / 5, D = e.W == 0 ? 0 : gfx::MulDiv(A, e.H, e.W);
  const std::vector<gfx::Rect> rows = TriangleRegion(0, 0, A, 0, 0, D).rects();
  gfx::RegionBuilder b;
  b.reserve(rows.size() * 100);
  for (int r = 0; r < 10; ++r)
    for (int k = 0; k < 10; ++k)
      for (const gfx::Rect &row : rows) b.addRect(row.translated((e.W * k) / 10, (e.H * r) / 10));
  return b.build();
}

}  // namespace

gfx::Region TriangleRegion(int x1, int y1, int x2, int y2, int x3, int y3) {
  const gfx::Point t[] = {{x1, y1}, {x2, y2}, {x3, y3}};
  return gfx::Region::polygon(t, gfx::FillRule::Winding);
}

gfx::Region curvedRegion(int style, const Extents &e) {
  switch (style) {
    case 58:
    case 59:
    case 69:
    case 70:
      return edgeSweep(style, e);
    case 80:
    case 81:
    case 82:
    case 83:
      return cornerSweep(style, e);
    case 84:
    case 85:
      return circular(style, e);
    case 110:
    case 111:
    case 112:
    case 113:
      return diagonal(style, e);
    case 114:
    case 115:
    case 116:
      return sweeps(style, e);
    case 117:
      return triangularShred(e);
  }
  return {};
}

}  // namespace transitions
