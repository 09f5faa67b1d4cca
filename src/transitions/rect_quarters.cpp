// Styles 54..57: the new picture comes in from all four sides or as four
// quarters meeting in the middle.

#include "transitions/copies.h"

namespace transitions {

namespace {

// Rectangles are written left, top, right, bottom; a copy whose source is
// "the same" as its destination reveals that part in place.
Copy same(gfx::Rect r) {
  return {r, r};
}

CopyList revealInToCentre(const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y;
  CopyList list;
  list.add(same({0, 0, W, Y / 2}));
  list.add(same({0, H - Y / 2, W, H}));
  list.add(same({0, 0, X / 2, H}));
  list.add(same({W - X / 2, 0, W, H}));
  return list;
}

CopyList quartersReveal(const Extents &e) {
  const int W = e.W, H = e.H, x = e.X / 2 + 1, y = e.Y / 2 + 1;
  CopyList list;
  list.add(same({0, 0, x, y}));
  list.add(same({0, H - y, x, H}));
  list.add(same({W - x, H - y, W, H}));
  list.add(same({W - x, 0, W, y}));
  return list;
}

// Unlike the reveal, the right and bottom quarters start at W - X div 2 and
// H - Y div 2, one pixel further in than the left and top ones reach.
CopyList quartersExpand(const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y, w = W / 2 + 1, h = H / 2 + 1;
  CopyList list;
  list.add({{0, 0, X / 2 + 1, Y / 2 + 1}, {0, 0, w, h}});
  list.add({{0, H - Y / 2, X / 2 + 1, H}, {0, h, w, H}});
  list.add({{W - X / 2, H - Y / 2, W, H}, {w, h, W, H}});
  list.add({{W - X / 2, 0, W, Y / 2 + 1}, {w, 0, W, h}});
  return list;
}

// Each quarter slides in from its own side: top-left from the left,
// top-right from the top, bottom-right from the right, bottom-left from the
// bottom.
CopyList quartersSlide(const Extents &e) {
  const int W = e.W, H = e.H, X = e.X, Y = e.Y, U = W - X, V = H - Y;
  const int w = W / 2 + 1, h = H / 2 + 1;
  CopyList list;
  list.add({{(X - W) / 2, 0, X / 2 + 1, h}, {0, 0, w, h}});
  list.add({{W / 2 - 1, (Y - H) / 2, W, Y / 2 + 1}, {W / 2 - 1, 0, W, h}});
  list.add({{W - X / 2, H / 2 - 1, W + U / 2, H}, {w, H / 2 - 1, W, H}});
  list.add({{0, H - Y / 2, w, H + V / 2}, {0, h, w, H}});
  return list;
}

}  // namespace

CopyList quarterCopies(int style, const Extents &e) {
  switch (style) {
    case 54:
      return revealInToCentre(e);
    case 55:
      return quartersReveal(e);
    case 56:
      return quartersExpand(e);
    case 57:
      return quartersSlide(e);
    default:
      return {};
  }
}

}  // namespace transitions
