#pragma once
// Turning and mirroring a bitmap by the eight orientations a camera records:
// 1 as stored, 2 mirrored left to right, 3 turned half way, 4 mirrored top
// to bottom, 5 transposed, 6 turned a quarter clockwise, 7 transposed the
// other way, 8 turned a quarter anticlockwise. Each names the turn that makes
// the stored pixels upright.

#include "gfx/bitmap.h"

namespace gfx {

// Whether the orientation exchanges width and height (5 to 8).
inline bool swapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

// The size a picture of size `s` has after turning it by `orientation`;
// turning back gives the same swap.
inline Size orientedSize(Size s, int orientation) {
  return swapsSides(orientation) ? Size{s.height, s.width} : s;
}

// A new bitmap holding `from` turned by `orientation`; values outside 2..8
// give a copy.
Bitmap oriented(const Bitmap &from, int orientation);

}  // namespace gfx
