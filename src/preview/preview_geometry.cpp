#include "preview/preview_geometry.h"

#include "gfx/stretch.h"

namespace vantor {

PreviewPlacement PlacePreview(gfx::Size client, FrameMetrics frame, gfx::Point designTopLeft,
                              std::optional<gfx::Size> parent) {
  const int outerWidth = client.width + 2 * frame.frame;
  const int outerHeight = client.height + frame.caption + 2 * frame.frame;
  gfx::Rect outer = gfx::Rect::fromXYWH(designTopLeft.x, designTopLeft.y, outerWidth, outerHeight);
  if (parent) {
    const int top = client.height - outerHeight;
    const int left = client.width - outerWidth;
    outer = gfx::Rect::fromXYWH(left, top, parent->width - left + 10, parent->height - top + 10);
  }
  const gfx::Rect inner{outer.left + frame.frame, outer.top + frame.caption + frame.frame,
                        outer.right - frame.frame, outer.bottom - frame.frame};
  return {outer, inner};
}

void MirrorStretch(gfx::Bitmap &mirror, const gfx::Bitmap &source) {
  if (source.empty() || mirror.empty()) return;
  gfx::stretchCopy(mirror, mirror.rect(), source, source.rect());
}

}  // namespace vantor
