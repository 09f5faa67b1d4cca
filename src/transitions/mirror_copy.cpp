#include "transitions/mirror_copy.h"

#include <utility>

#include "gfx/stretch.h"

namespace transitions {

namespace {

// Exchanges the two edges and widens by one on each side: [a, b) becomes the
// reversed span from b + 1 down to a - 1.
void mirrorSpan(int &a, int &b) {
  std::swap(a, b);
  a += 1;
  b -= 1;
}

}  // namespace

gfx::Rect MirrorCopy(gfx::Bitmap &canvas, gfx::Rect destRect, const gfx::Bitmap &bitmap,
                     gfx::Rect srcRect, bool mirrorX, bool mirrorY) {
  const gfx::Rect src = srcRect.intersected(bitmap.rect());
  gfx::Rect to = destRect;
  if (mirrorX) mirrorSpan(to.left, to.right);
  if (mirrorY) mirrorSpan(to.top, to.bottom);
  if (!src.empty()) gfx::stretchCopy(canvas, to, bitmap, src);
  return {std::min(to.left, to.right), std::min(to.top, to.bottom), std::max(to.left, to.right),
          std::max(to.top, to.bottom)};
}

}  // namespace transitions
