// Dispatch of the region styles to their families, and the drawing that is
// the same for all of them: the new picture copied through the region.

#include "transitions/region_styles.h"

namespace transitions {

namespace {

bool shredFamily(int style) {
  return (style >= 65 && style <= 68) || (style >= 76 && style <= 79) ||
         (style >= 100 && style <= 109) || (style >= 123 && style <= 127);
}

bool barFamily(int style) {
  return (style >= 60 && style <= 64) || (style >= 71 && style <= 75) ||
         (style >= 86 && style <= 99);
}

}  // namespace

gfx::Region styleRegion(int style, const Extents &e, int progress, vantor::RandomSource &random) {
  if (shredFamily(style)) return shredRegion(style, e, progress, random);
  if (barFamily(style)) return barRegion(style, e);
  if (style >= 136 && style <= 150) return blindRegion(style, e, progress);
  return curvedRegion(style, e);
}

void drawRegionStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                     const gfx::Rect &bounds, int step, int progress,
                     vantor::RandomSource &random) {
  const gfx::Region region =
      styleRegion(style, EffectExtents(bounds, step, progress), progress, random);
  gfx::copyThroughRegion(display, newPicture, region);
}

}  // namespace transitions
