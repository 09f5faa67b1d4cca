#pragma once

#include "gfx/bitmap.h"

namespace transitions {

// Draws `srcRect` of `bitmap` onto `canvas` at `destRect`, reversed left to
// right when `mirrorX` is set and top to bottom when `mirrorY` is set. The
// source is first clipped to the bitmap; a mirrored axis of the destination
// has its edges exchanged and widened by one pixel each way, so the copy
// covers one column (row) more on both sides of `destRect`. Returns the
// destination actually addressed, normalised (it may reach outside `canvas`).
gfx::Rect MirrorCopy(gfx::Bitmap &canvas, gfx::Rect destRect, const gfx::Bitmap &bitmap,
                     gfx::Rect srcRect, bool mirrorX, bool mirrorY);

}  // namespace transitions
