#pragma once
// The five frame quantities every effect routine derives from its bounds,
// Step and Progress.

#include "gfx/geometry.h"

namespace transitions {

struct Extents {
  int W = 0;  // width of the picture
  int H = 0;  // height of the picture
  int X = 0;  // progress extent across
  int Y = 0;  // progress extent down
  int L = 0;  // step length: the longer side times Step / 90
  friend bool operator==(const Extents &, const Extents &) = default;
};

// The extent along the longer side is computed first and the other one is
// scaled from it, so X / W and Y / H stay in step. An empty side gives
// extents of 0 rather than the -1 of a division by zero.
Extents EffectExtents(const gfx::Rect &bounds, int step, int progress);

}  // namespace transitions
