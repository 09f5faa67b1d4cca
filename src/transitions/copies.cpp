#include "transitions/copies.h"

#include "gfx/stretch.h"
#include "transitions/catalogue.h"
#include "transitions/mirror_copy.h"

namespace transitions {

namespace {

gfx::Rect normalised(const gfx::Rect &r) {
  return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
          std::max(r.top, r.bottom)};
}

// Draws one copy and returns the destination it addressed.
gfx::Rect drawCopy(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const Copy &c) {
  if (c.mirrorX || c.mirrorY)
    return MirrorCopy(display, c.dest, newPicture, c.source, c.mirrorX, c.mirrorY);
  gfx::stretchCopy(display, c.dest, newPicture, c.source);
  return normalised(c.dest);
}

}  // namespace

CopyList rectangleCopies(int style, const Extents &e) {
  const Effect *effect = effectFor(style);
  switch (effect ? effect->family : Family::Push) {
    case Family::Edge:
      return edgeCopies(style, e);
    case Family::Corner:
      return cornerCopies(style, e);
    case Family::Quarter:
      return quarterCopies(style, e);
    default:
      return {};
  }
}

void drawCopies(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const CopyList &copies,
                int progress, DrawnRects *drawn) {
  if (copies.count == 0) return;
  for (int i = 0; i + 1 < copies.count; ++i) {
    const gfx::Rect r = drawCopy(display, newPicture, copies.items[size_t(i)]);
    if (drawn) drawn->add(r);
  }
  const Copy &main = copies.main();
  if (progress > 0 && progress < 100) {
    const gfx::Rect r = drawCopy(display, newPicture, main);
    if (drawn) drawn->add(r);
  } else if (drawn) {
    drawn->add(normalised(main.dest));
  }
}

}  // namespace transitions
