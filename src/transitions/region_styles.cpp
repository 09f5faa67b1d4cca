// Dispatch of the region styles to their families, and the drawing that is
// the same for all of them: the new picture copied through the region.

#include "transitions/region_styles.h"

#include "transitions/catalogue.h"

namespace transitions {

gfx::Region styleRegion(int style, const Extents &e, int progress, vantor::RandomSource &random) {
  const Effect *effect = effectFor(style);
  switch (effect ? effect->family : Family::Curved) {
    case Family::Shred:
      return shredRegion(style, e, progress, random);
    case Family::Bar:
      return barRegion(style, e);
    case Family::Blind:
      return blindRegion(style, e, progress);
    default:
      return curvedRegion(style, e);
  }
}

void drawRegionStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                     const gfx::Rect &bounds, int step, int progress,
                     vantor::RandomSource &random) {
  const gfx::Region region =
      styleRegion(style, EffectExtents(bounds, step, progress), progress, random);
  gfx::copyThroughRegion(display, newPicture, region);
}

}  // namespace transitions
