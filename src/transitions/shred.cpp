// Styles 65..68, 76..79, 100..109 and 123..127: uneven shreds (strips whose
// ends jitter), speckles ahead of a solid front, and random squares. Every
// frame draws a fresh pattern from the source it is given, never reseeded.

#include <algorithm>

#include "transitions/region_styles.h"

namespace transitions {

namespace {

using vantor::RandomSource;

// A span along the strips' axis (a..b) over the rows or columns c..d.
void addAlong(gfx::RegionBuilder &out, bool rows, int a, int b, int c, int d) {
  out.addRect(rows ? gfx::Rect{a, c, b, d} : gfx::Rect{c, a, d, b});
}

// Strips five pixels apart, each 5 + (across mod 5) thick so the last one
// reaches the far edge. Kind 1 grows from the far end, 2 from the near end,
// 3 out from the middle, 4 in to the middle.
void shredPass(gfx::RegionBuilder &out, bool rows, int reach, int length, int across, int kind,
               RandomSource &random) {
  if (kind == 0) return;
  const int jitter = reach < length ? length / 7 : 0;
  const int thick = 5 + across % 5;
  for (int off = 0; off < across; off += 5) {
    const int r1 = random.below(jitter), r2 = random.below(jitter);
    const int c = off, d = off + thick;
    if (kind == 1) addAlong(out, rows, length - reach + r1 - r2, length, c, d);
    if (kind == 2) addAlong(out, rows, 0, reach + r1 - r2, c, d);
    if (kind != 3 && kind != 4) continue;
    const int r3 = random.below(jitter), r4 = random.below(jitter);
    if (kind == 3) {
      addAlong(out, rows, (length - reach + r1 - r2) / 2, length / 2, c, d);
      addAlong(out, rows, length / 2, (length + reach + r3 - r4) / 2, c, d);
    } else {
      addAlong(out, rows, length - (reach + r1 - r2) / 2, length, c, d);
      addAlong(out, rows, 0, (reach + r3 - r4) / 2, c, d);
    }
  }
}

// Rows (or columns) S thick every S div 2 pixels: the solid part, then the
// speck cells ahead of it, the nearer ones more likely to show.
void specklePass(gfx::RegionBuilder &out, bool rows, int reach, int length, int across, int kind,
                 RandomSource &random) {
  if (kind == 0) return;
  const SpeckleLayout s = speckleLayout(length, reach);
  for (int y = 0; y < across; y += s.size / 2) {
    if (kind == 1)
      addAlong(out, rows, length - reach, length, y, y + s.size);
    else
      addAlong(out, rows, 0, reach, y, y + s.size);
    for (int i = s.cells; i >= 1; --i) {
      const int e = i <= s.dense ? 1 : 0;
      if (random.below(i) > e) continue;
      const int a = kind == 1 ? length - reach - s.size * i : reach + s.size * i - s.size;
      addAlong(out, rows, a, a + s.size, y, y + s.size);
    }
  }
}

struct ShredArgs {
  bool speckle;
  int kindX;
  int kindY;
};

ShredArgs argsFor(int style) {
  switch (style) {
    case 65:
      return {false, 1, 0};
    case 66:
      return {false, 2, 0};
    case 67:
      return {false, 3, 0};
    case 68:
      return {false, 4, 0};
    case 76:
      return {false, 0, 1};
    case 77:
      return {false, 0, 2};
    case 78:
      return {false, 0, 3};
    case 79:
      return {false, 0, 4};
    case 100:
      return {false, 1, 1};
    case 101:
      return {false, 1, 2};
    case 102:
      return {false, 2, 1};
    case 103:
      return {false, 2, 2};
    case 104:
      return {false, 1, 3};
    case 105:
      return {false, 2, 3};
    case 106:
      return {false, 3, 1};
    case 107:
      return {false, 3, 2};
    case 108:
      return {false, 3, 3};
    case 109:
      return {false, 4, 4};
    case 123:
      return {true, 1, 0};
    case 124:
      return {true, 2, 0};
    case 125:
      return {true, 0, 1};
    case 126:
      return {true, 0, 2};
  }
  return {false, 0, 0};
}

}  // namespace

SpeckleLayout speckleLayout(int length, int reach) {
  SpeckleLayout s;
  s.depth = reach < length ? length / 10 : 0;
  // A speck is at least 2 pixels, so the rows (S div 2 apart) always advance.
  s.size = std::max(s.depth / 20, 2);
  s.cells = s.depth / s.size;
  s.dense = ((3 * s.depth) / s.size) / 4;
  return s;
}

int randomSquaresPitch(int width, int height, int progress) {
  return std::max(std::min(width, height) / 50 + progress / 10, 1);
}

gfx::Region ShredRegion(int reachX, int reachY, int width, int height, int kindX, int kindY,
                        RandomSource &random) {
  gfx::RegionBuilder out;
  shredPass(out, true, reachX, width, height, kindX, random);
  shredPass(out, false, reachY, height, width, kindY, random);
  return out.build();
}

gfx::Region SpeckleRegion(int reachX, int reachY, int width, int height, int kindX, int kindY,
                          RandomSource &random) {
  gfx::RegionBuilder out;
  specklePass(out, true, reachX, width, height, kindX, random);
  specklePass(out, false, reachY, height, width, kindY, random);
  return out.build();
}

// Squares twice the pitch wide on a grid of that pitch, each shown with a
// chance of Progress percent, so neighbours overlap.
gfx::Region RandomSquaresRegion(int width, int height, int progress, RandomSource &random) {
  const int p = randomSquaresPitch(width, height, progress);
  gfx::RegionBuilder out;
  for (int x = 0; x < width; x += p)
    for (int y = 0; y < height; y += p)
      if (random.below(100) < progress) out.addRect({x - p, y - p, x + p, y + p});
  return out.build();
}

gfx::Region shredRegion(int style, const Extents &e, int progress, RandomSource &random) {
  if (style == 127) return RandomSquaresRegion(e.W, e.H, progress, random);
  const ShredArgs a = argsFor(style);
  const int reachX = a.kindX ? e.X : 0, reachY = a.kindY ? e.Y : 0;
  if (a.speckle) return SpeckleRegion(reachX, reachY, e.W, e.H, a.kindX, a.kindY, random);
  return ShredRegion(reachX, reachY, e.W, e.H, a.kindX, a.kindY, random);
}

}  // namespace transitions
