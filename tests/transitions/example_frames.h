#pragma once
// The 1024 x 768 frame on which the geometry examples of the transition
// families are stated, with an old and a new picture that tell every pixel's
// origin.

#include <gtest/gtest.h>

#include "pictures.h"
#include "transitions/extents.h"
#include "transitions/frame_step.h"

namespace transitions_test {

constexpr gfx::Rect k1024{0, 0, 1024, 768};

// The frame quantities of the example frame; Step 4 gives L = 46.
inline transitions::Extents extentsAt(int progress, int step = 4) {
  return transitions::EffectExtents(k1024, step, progress);
}

class ExampleFrame : public testing::Test {
 protected:
  gfx::Bitmap oldPicture = picture(1024, 768, false);
  gfx::Bitmap newPicture = picture(1024, 768, true);
  gfx::Bitmap screen{1024, 768};
  vantor::RandomSource random;  // seeded: the random styles draw the same patterns every run

  void frame(int style, int progress, int step = 4) {
    transitions::drawFrame(screen, oldPicture, newPicture, style, step, progress, random);
  }
  bool isNew(int x, int y) const { return at(screen, x, y).isNew; }
};

}  // namespace transitions_test
