#include "transitions/frame_step.h"

#include <algorithm>
#include <cstring>

#include "gfx/stretch.h"
#include "transitions/catalogue.h"
#include "transitions/copies.h"

namespace transitions {

namespace {

void drawWhole(gfx::Bitmap &screen, const gfx::Bitmap &picture) {
  gfx::copyRect(screen, {0, 0}, picture, picture.rect());
}

}  // namespace

void drawOldPicture(gfx::Bitmap &screen, const gfx::Bitmap &oldPicture) {
  // Rows without padding make the frame one block: a single copy lets the C
  // library stream a large frame past the cache, which copying row by row
  // cannot. Padding bytes are left alone, so rows with padding go one by one.
  const bool oneBlock = screen.stride() == size_t(screen.width()) * 3;
  if (oneBlock && screen.size() == oldPicture.size() && !screen.empty()) {
    std::memcpy(screen.data(), oldPicture.data(), screen.byteCount());
    return;
  }
  drawWhole(screen, oldPicture);
}

FrameResult drawNewShare(gfx::Bitmap &screen, const gfx::Bitmap &newPicture, int style, int step,
                         int progress, vantor::RandomSource &random) {
  const gfx::Rect bounds = newPicture.rect();
  FrameResult result;
  result.progress = std::clamp(progress, 0, 100);
  if (style == 0) {
    drawWhole(screen, newPicture);
    result.progress = 100;
    result.dirty.push_back(bounds);
    return result;
  }
  const Effect *effect = effectFor(style);
  const EffectProc proc = effect ? effect->proc : nullptr;
  const bool copies = drawsCopies(style);
  const bool midway = result.progress > 0 && result.progress < 100;
  DrawnRects drawn;
  // Styles that draw copies are called at every Progress for the copies
  // before their main copy; they leave the main copy out at 0 and 100 themselves.
  if (proc && (midway || copies))
    proc(screen, newPicture, bounds, step, result.progress, &drawn, random);
  if (result.progress == 100) drawWhole(screen, newPicture);
  if (copies && result.progress < 100) {
    for (const gfx::Rect &r : drawn) {
      const gfx::Rect inside = r.intersected(bounds);
      if (!inside.empty()) result.dirty.push_back(inside);
    }
  } else {
    result.dirty.push_back(bounds);
  }
  return result;
}

FrameResult drawFrame(gfx::Bitmap &screen, const gfx::Bitmap &oldPicture,
                      const gfx::Bitmap &newPicture, int style, int step, int progress,
                      vantor::RandomSource &random) {
  drawOldPicture(screen, oldPicture);
  return drawNewShare(screen, newPicture, style, step, progress, random);
}

}  // namespace transitions
