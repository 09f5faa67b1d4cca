// Styles 128..135: the new picture pushes the old one out of the frame,
// whole or squeezed into the part that remains.

#include <cstring>
#include <vector>

#include "gfx/stretch.h"
#include "transitions/region_styles.h"

namespace transitions {

namespace {

struct PushCopies {
  gfx::Rect oldTo, oldFrom;  // within the display, which holds the old picture
  gfx::Rect newTo, newFrom;  // from the new picture
};

// Pushes along x with extent X; `squeeze` scales the whole old picture into
// what remains instead of moving it. The same with rows for the vertical
// styles, by swapping the axes of every rectangle.
PushCopies across(bool right, bool squeeze, int W, int H, int X) {
  const gfx::Rect whole{0, 0, W, H};
  if (right)
    return {
        {X, 0, W, H}, squeeze ? whole : gfx::Rect{0, 0, W - X, H}, {0, 0, X, H}, {W - X, 0, W, H}};
  return {
      {0, 0, W - X, H}, squeeze ? whole : gfx::Rect{X, 0, W, H}, {W - X, 0, W, H}, {0, 0, X, H}};
}

gfx::Rect swapped(const gfx::Rect &r) {
  return {r.top, r.left, r.bottom, r.right};
}

PushCopies copiesFor(int style, const Extents &e) {
  const bool vertical = style >= 132;
  const int s = vertical ? style - 4 : style;
  const bool forward = s == 128 || s == 130, squeeze = s >= 130;
  if (!vertical) return across(forward, squeeze, e.W, e.H, e.X);
  const PushCopies c = across(forward, squeeze, e.H, e.W, e.Y);
  return {swapped(c.oldTo), swapped(c.oldFrom), swapped(c.newTo), swapped(c.newFrom)};
}

// The source index of each of `to` destination indices when the whole axis
// of `from` indices is scaled onto them: the sample at the centre of each
// destination pixel, as the stretch-copy takes it.
std::vector<int> squeezeMap(int to, int from) {
  std::vector<int> map(size_t(to > 0 ? to : 0));
  for (int i = 0; i < to; ++i)
    map[size_t(i)] = int((2 * int64_t(i) + 1) * from / (2 * int64_t(to)));
  return map;
}

// The squeeze scales the whole old picture into `to` = (lo, lo + n) of its
// own axis. Rows: a squeezed row never reads from beyond where it lands on
// the side it moves away from, so walking from that side every row is read
// before it is overwritten. Columns: each row goes through a one-row buffer,
// which stays in the cache, instead of a copy of the whole old picture.
void squeezeInPlace(gfx::Bitmap &display, bool rows, int lo, int n) {
  const int length = rows ? display.height() : display.width();
  if (n <= 0 || length <= 0) return;
  const std::vector<int> map = squeezeMap(n, length);
  if (rows) {
    const size_t bytes = size_t(display.width()) * 3;
    const bool fromEnd = lo > 0;
    for (int k = 0; k < n; ++k) {
      const int i = fromEnd ? n - 1 - k : k;
      if (lo + i != map[size_t(i)])
        std::memmove(display.row(lo + i), display.row(map[size_t(i)]), bytes);
    }
    return;
  }
  std::vector<size_t> offsets(map.begin(), map.end());
  for (size_t &o : offsets) o *= 3;
  // One spare byte, so every pixel but the last moves as one 4-byte word;
  // its extra byte lands on the next pixel, which is written right after.
  std::vector<uint8_t> line(size_t(length) * 3 + 1);
  for (int y = 0; y < display.height(); ++y) {
    uint8_t *d = display.row(y) + size_t(lo) * 3;
    std::memcpy(line.data(), display.row(y), size_t(length) * 3);
    for (size_t i = 0; i + 1 < offsets.size(); ++i) std::memcpy(d + 3 * i, &line[offsets[i]], 4);
    std::memcpy(d + 3 * (offsets.size() - 1), &line[offsets.back()], 3);
  }
}

}  // namespace

void drawPushStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                   const gfx::Rect &bounds, int step, int progress, DrawnRects *drawn) {
  const PushCopies c = copiesFor(style, EffectExtents(bounds, step, progress));
  // A plain move needs no scaling, and copyRect moves overlapping rows safely.
  const bool rows = style >= 132;
  if (c.oldTo.size() == c.oldFrom.size())
    gfx::copyRect(display, c.oldTo.topLeft(), display, c.oldFrom);
  else if (display.size() != bounds.size())
    gfx::stretchCopy(display, c.oldTo, display, c.oldFrom);
  else if (rows)
    squeezeInPlace(display, true, c.oldTo.top, c.oldTo.height());
  else
    squeezeInPlace(display, false, c.oldTo.left, c.oldTo.width());
  gfx::stretchCopy(display, c.newTo, newPicture, c.newFrom);
  if (drawn) {
    drawn->add(c.oldTo);
    drawn->add(c.newTo);
  }
}

}  // namespace transitions
