#include "transitions/extents.h"

namespace transitions {

Extents EffectExtents(const gfx::Rect &bounds, int step, int progress) {
  Extents e;
  e.W = bounds.right - bounds.left;
  e.H = bounds.bottom - bounds.top;
  if (e.W >= e.H) {
    e.X = gfx::MulDiv(e.W, progress, 100);
    // MulDiv by a zero width would give -1; a picture without width has no extent.
    e.Y = e.W == 0 ? 0 : gfx::MulDiv(e.X, e.H, e.W);
  } else {
    e.Y = gfx::MulDiv(e.H, progress, 100);
    e.X = e.H == 0 ? 0 : gfx::MulDiv(e.Y, e.W, e.H);
  }
  e.L = gfx::MulDiv(e.W >= e.H ? e.W : e.H, step, 90);
  return e;
}

}  // namespace transitions
