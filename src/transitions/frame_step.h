#pragma once
// One frame of a transition, as the display control and the tools draw it:
// the old picture first, then the share of the new picture that the style
// shows at this Progress. Free of any window so it can be tested headless.

#include <vector>

#include "gfx/bitmap.h"
#include "platform/random.h"

namespace transitions {

struct FrameResult {
  // Parts of the screen bitmap to present, inside (0, 0, W, H) of the new
  // picture: the copies' destinations for styles 1..57 below Progress 100,
  // otherwise the whole picture.
  std::vector<gfx::Rect> dirty;
  // Progress after the frame: style 0 ends the transition at once.
  int progress = 0;
};

// Every frame starts from the old picture, so no effect has to undo an
// earlier frame.
void drawOldPicture(gfx::Bitmap &screen, const gfx::Bitmap &oldPicture);

// Draws the new picture's share over what `screen` holds. Progress 100 shows
// the new picture whole, Progress 0 nothing of it, except that styles 1..57
// draw the copies before their main copy at every Progress. Numbers without
// a routine (or outside 0..150) draw nothing below Progress 100. The random
// styles draw this frame's pattern from `random`.
FrameResult drawNewShare(gfx::Bitmap &screen, const gfx::Bitmap &newPicture, int style, int step,
                         int progress, vantor::RandomSource &random);

// drawOldPicture followed by drawNewShare.
FrameResult drawFrame(gfx::Bitmap &screen, const gfx::Bitmap &oldPicture,
                      const gfx::Bitmap &newPicture, int style, int step, int progress,
                      vantor::RandomSource &random);

}  // namespace transitions
