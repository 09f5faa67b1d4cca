#pragma once
// Nearest-neighbour copies between 24-bit bitmaps, the way the display
// surface stretches in colour-on-colour mode: whole rows and columns are
// dropped or repeated, pixels are never blended.

#include "gfx/bitmap.h"

namespace gfx {

// Copies src's rectangle `from` onto dst's rectangle `to`, scaling it to
// fit. A rectangle may reach outside its bitmap: only the part of `to` that
// lies inside dst is written, and source pixels outside src are not read (the
// destination keeps its pixels there). When `to` has left > right (or top >
// bottom) the source is drawn mirrored on that axis into the columns
// [right, left) (rows [bottom, top)); likewise a mirrored `from`.
// dst and src may be the same bitmap: the result is then as if the source
// had been read whole before anything was written.
// Returns the part of dst that was written (normalised, possibly empty).
Rect stretchCopy(Bitmap &dst, Rect to, const Bitmap &src, Rect from);

// Plain copy of src's rectangle `from` to dst with its top left at `at`,
// clipped on both sides: the pixel at (from.left + i, from.top + j) lands on
// (at.x + i, at.y + j) when both lie inside their bitmaps, and nothing else
// is written. dst and src may be the same bitmap, the rectangles overlapping.
// Returns the part of dst that was written (possibly empty).
Rect copyRect(Bitmap &dst, Point at, const Bitmap &src, Rect from);

}  // namespace gfx
