#pragma once
// The shape shared by every effect routine of the catalogue.

#include <array>

#include "gfx/bitmap.h"
#include "platform/random.h"

namespace transitions {

enum class EffectKind {
  Rectangle,  // stretch-copies of rectangles of the new picture
  Region,     // the new picture drawn through a clip region
  Pixel,      // pixels written directly from both pictures
};

// The destination rectangles of the copies a rectangle routine made, in the
// order drawn, so that only those parts of the screen need presenting. A
// routine never makes more than four copies.
class DrawnRects {
 public:
  void add(const gfx::Rect &r) {
    if (count_ < int(rects_.size())) rects_[size_t(count_++)] = r;
  }
  int size() const { return count_; }
  const gfx::Rect &operator[](int i) const { return rects_[size_t(i)]; }
  const gfx::Rect *begin() const { return rects_.data(); }
  const gfx::Rect *end() const { return rects_.data() + count_; }
  void clear() { count_ = 0; }

 private:
  std::array<gfx::Rect, 8> rects_{};
  int count_ = 0;
};

// Draws one frame's share of `newPicture` onto `display`, which holds the old
// picture on entry. `bounds` is (0, 0, W, H) of the new picture, `step`
// 1..100 and `progress` 0..100. `drawn` may be null; rectangle routines
// report the destination of every copy into it, other kinds leave it alone.
// The random families draw their pattern from `random`.
using EffectProc = void (*)(gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                            const gfx::Rect &bounds, int step, int progress, DrawnRects *drawn,
                            vantor::RandomSource &random);

}  // namespace transitions
