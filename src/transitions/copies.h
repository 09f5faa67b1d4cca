#pragma once
// Rectangle transitions (styles 1..57) as lists of stretch-copies of the new
// picture. The geometry of a frame is a plain value, so it can be checked
// without drawing; drawing a list is the same for every style.

#include <array>

#include "transitions/effect.h"
#include "transitions/extents.h"

namespace transitions {

// One stretch-copy: `source` of the new picture scaled onto `dest` of the
// display. A mirrored copy goes through MirrorCopy.
struct Copy {
  gfx::Rect dest;
  gfx::Rect source;
  bool mirrorX = false;
  bool mirrorY = false;
  friend bool operator==(const Copy &, const Copy &) = default;
};

// The copies of one frame in drawing order. The last one is the main copy;
// the ones before it are drawn at every Progress, the main copy only while
// the transition is under way (0 < Progress < 100).
struct CopyList {
  std::array<Copy, 4> items{};
  int count = 0;

  void add(const Copy &c) { items[size_t(count++)] = c; }
  const Copy &main() const { return items[size_t(count - 1)]; }
  const Copy *begin() const { return items.data(); }
  const Copy *end() const { return items.data() + count; }
};

// The copies of an edge, corner or quarter style for the given frame
// quantities; an empty list for any other number. Each family lives in its
// own file.
CopyList rectangleCopies(int style, const Extents &e);
CopyList edgeCopies(int style, const Extents &e);
CopyList cornerCopies(int style, const Extents &e);
CopyList quarterCopies(int style, const Extents &e);

// Draws `copies` onto `display` for `progress` and reports each destination
// (the main copy's too, also where it is left out) into `drawn` if given.
void drawCopies(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const CopyList &copies,
                int progress, DrawnRects *drawn);

// The catalogue's routine for rectangle style N.
template <int N>
void rectangleStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &bounds,
                    int step, int progress, DrawnRects *drawn, vantor::RandomSource &) {
  drawCopies(display, newPicture, rectangleCopies(N, EffectExtents(bounds, step, progress)),
             progress, drawn);
}

}  // namespace transitions
