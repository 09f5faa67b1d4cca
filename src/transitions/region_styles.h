#pragma once
// The region, pixel and push transitions (styles 58..150). A region style's
// frame is a clip region built from the frame quantities; the new picture is
// copied through it. The regions are plain values so they can be checked
// without drawing. The random families draw from the source they are given.

#include <span>
#include <vector>

#include "gfx/region.h"
#include "transitions/effect.h"
#include "transitions/extents.h"

namespace transitions {

// Curved and diagonal styles: 58, 59, 69, 70, 80..85, 110..117.
gfx::Region curvedRegion(int style, const Extents &e);
gfx::Region TriangleRegion(int x1, int y1, int x2, int y2, int x3, int y3);

// Bar styles: 60..64, 71..75, 86..99. Kinds 0..5 for each direction.
gfx::Region BarsRegion(int reachX, int reachY, int width, int height, int lead, int kindX,
                       int kindY);
gfx::Region barRegion(int style, const Extents &e);

// Shred and speckle styles: 65..68, 76..79, 100..109, 123..127. Each call
// draws a fresh pattern from `random`.
gfx::Region ShredRegion(int reachX, int reachY, int width, int height, int kindX, int kindY,
                        vantor::RandomSource &random);
gfx::Region SpeckleRegion(int reachX, int reachY, int width, int height, int kindX, int kindY,
                          vantor::RandomSource &random);
gfx::Region RandomSquaresRegion(int width, int height, int progress, vantor::RandomSource &random);
gfx::Region shredRegion(int style, const Extents &e, int progress, vantor::RandomSource &random);

// The sizes of a speckled front along an axis `length` long that the solid
// part has reached `reach` into.
struct SpeckleLayout {
  int depth = 0;  // D: depth of the speckled zone
  int size = 0;   // S: side of one speck
  int cells = 0;  // N: speck cells ahead of the solid edge
  int dense = 0;  // T: cells up to here show with chance 2 / i
  friend bool operator==(const SpeckleLayout &, const SpeckleLayout &) = default;
};
SpeckleLayout speckleLayout(int length, int reach);
int randomSquaresPitch(int width, int height, int progress);

// Blinds, rectangular shred, sweeps, bands and rotating shapes: 136..150.
gfx::Region PieRegion(int cx, int cy, int radius, double startAngle, double endAngle, int count);
std::vector<gfx::Point> RotatePoints(std::span<const gfx::Point> points, int cx, int cy,
                                     double angle);
gfx::Region blindRegion(int style, const Extents &e, int progress);

// The region of any region style at this frame; empty for other numbers.
gfx::Region styleRegion(int style, const Extents &e, int progress, vantor::RandomSource &random);

// Draws the new picture through the region of `style`.
void drawRegionStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                     const gfx::Rect &bounds, int step, int progress, vantor::RandomSource &random);

template <int N>
void regionStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &bounds,
                 int step, int progress, DrawnRects *, vantor::RandomSource &random) {
  drawRegionStyle(N, display, newPicture, bounds, step, progress, random);
}

// Push and squeeze styles 128..135: two stretch-copies, the first moving the
// old picture within `display`. Reports both destinations into `drawn`.
void drawPushStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                   const gfx::Rect &bounds, int step, int progress, DrawnRects *drawn);

template <int N>
void pushStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &bounds,
               int step, int progress, DrawnRects *drawn, vantor::RandomSource &) {
  drawPushStyle(N, display, newPicture, bounds, step, progress, drawn);
}

// Style 118: every byte becomes old * (100 - progress) / 100 + new *
// progress / 100, each term truncated on its own. Writes only `display`.
void BlendBitmaps(gfx::Bitmap &display, const gfx::Bitmap &newPicture, int progress);

// Styles 119..122: `display` takes, wherever it lands inside `newPicture`,
// the pixel of the new picture turned by `angle` about (pivotX, pivotY).
void RotateBitmap(gfx::Bitmap &display, const gfx::Bitmap &newPicture, int pivotX, int pivotY,
                  double angle);

void fadeStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &bounds,
               int step, int progress, DrawnRects *drawn, vantor::RandomSource &random);

// Pivot corner of styles 119..122 and the turn at this Progress.
void drawPivotStyle(int style, gfx::Bitmap &display, const gfx::Bitmap &newPicture,
                    const gfx::Rect &bounds, int progress);

template <int N>
void pivotStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &bounds, int,
                int progress, DrawnRects *, vantor::RandomSource &) {
  drawPivotStyle(N, display, newPicture, bounds, progress);
}

}  // namespace transitions
