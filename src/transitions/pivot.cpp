// Styles 119..122: the new picture swings into place about a pivot one
// pixel outside a corner. Each display pixel takes the new picture's pixel
// turned onto it, where that lies inside the new picture.

#include <emmintrin.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "transitions/region_styles.h"

namespace transitions {

namespace {

// Nearest integer, ties to even: the processor's default rounding.
inline int nearest(double v) {
  return _mm_cvtsd_si32(_mm_set_sd(v));
}

// The source position of display column x in one row is
//   sx = px + nearest(across[x] - rowS), sy = py + nearest(down[x] + rowC)
// with across[x] = (x - px) cos, down[x] = (x - px) sin computed once per
// frame. Both are non-decreasing in x for turns of 0..90 degrees, so the
// columns whose source lies inside the picture form one run.
struct Turn {
  int px, py, w, h;
  std::vector<double> across, down;

  int sx(int x, double rowS) const { return px + nearest(across[size_t(x)] - rowS); }
  int sy(int x, double rowC) const { return py + nearest(down[size_t(x)] + rowC); }
};

// The first column in [lo, hi) where `ok` holds, given that it holds for a
// suffix of the range (hi when nowhere).
template <class Pred>
int firstWhere(int lo, int hi, Pred ok) {
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (ok(mid))
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// The run of display columns of one row whose source lies in the picture.
std::pair<int, int> insideRun(const Turn &t, int width, double rowS, double rowC) {
  const int lo = std::max(firstWhere(0, width, [&](int x) { return t.sx(x, rowS) >= 0; }),
                          firstWhere(0, width, [&](int x) { return t.sy(x, rowC) >= 0; }));
  const int hi = std::min(firstWhere(0, width, [&](int x) { return t.sx(x, rowS) >= t.w; }),
                          firstWhere(0, width, [&](int x) { return t.sy(x, rowC) >= t.h; }));
  return {lo, hi};
}

void turnRow(const Turn &t, uint8_t *d, const gfx::Bitmap &src, int lo, int hi, double rowS,
             double rowC) {
  const uint8_t *base = src.data();
  const size_t stride = src.stride();
  for (int x = lo; x < hi; ++x) {
    const uint8_t *s = base + size_t(t.sy(x, rowC)) * stride + size_t(t.sx(x, rowS)) * 3;
    std::memcpy(d + size_t(x) * 3, s, 3);
  }
}

// Any other turn: every column checked on its own.
void turnRowChecked(const Turn &t, uint8_t *d, const gfx::Bitmap &src, int width, double rowS,
                    double rowC) {
  for (int x = 0; x < width; ++x) {
    const int sx = t.sx(x, rowS), sy = t.sy(x, rowC);
    if (sx >= 0 && sx < t.w && sy >= 0 && sy < t.h)
      std::memcpy(d + size_t(x) * 3, src.row(sy) + size_t(sx) * 3, 3);
  }
}

}  // namespace

void RotateBitmap(gfx::Bitmap &display, const gfx::Bitmap &newPicture, int pivotX, int pivotY,
                  double angle) {
  const int w = display.width(), h = display.height();
  if (display.empty() || newPicture.empty()) return;
  const double c = std::cos(angle), s = std::sin(angle);
  Turn t{pivotX, pivotY, newPicture.width(), newPicture.height(), {}, {}};
  t.across.resize(size_t(w));
  t.down.resize(size_t(w));
  for (int x = 0; x < w; ++x) {
    const double dx = x - pivotX;
    t.across[size_t(x)] = dx * c;
    t.down[size_t(x)] = dx * s;
  }
  const bool quarter = c >= 0 && s >= 0;
  for (int y = 0; y < h; ++y) {
    const double dy = y - pivotY, rowS = dy * s, rowC = dy * c;
    if (!quarter) {
      turnRowChecked(t, display.row(y), newPicture, w, rowS, rowC);
      continue;
    }
    const auto [lo, hi] = insideRun(t, w, rowS, rowC);
    if (lo < hi) turnRow(t, display.row(y), newPicture, lo, hi, rowS, rowC);
  }
}

void drawPivotStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                    const gfx::Rect &bounds, int progress) {
  const int W = bounds.right - bounds.left, H = bounds.bottom - bounds.top;
  const bool right = style == 121 || style == 122, bottom = style == 120 || style == 122;
  const double angle = (100 - progress) * std::numbers::pi / 200;
  RotateBitmap(display, newPicture, right ? W : -1, bottom ? H : -1, angle);
}

}  // namespace transitions
