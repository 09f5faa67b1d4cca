// Styles 60..64, 71..75 and 86..99: interleaved bars five pixels thick that
// run in from the sides (rows), from the top or bottom (columns), or both.

#include "transitions/region_styles.h"

namespace transitions {

namespace {

constexpr int kBar = 5;

// A rectangle along the pass's axis: `a..b` along the bars, `c..d` across
// them. `rows` says the bars are rows (along x), otherwise columns.
void addBar(gfx::RegionBuilder &out, bool rows, int a, int c, int b, int d) {
  out.addRect(rows ? gfx::Rect{a, c, b, d} : gfx::Rect{c, a, d, b});
}

// One pass of bars. `length` is the bars' full length (the width for rows),
// `across` the extent they are stacked over. Kind 1 grows from the far end
// (right or bottom), 2 from the near end, 3 alternately from both, 4 and 5
// fill the gaps from the opposite end once the bars are whole.
void barPass(gfx::RegionBuilder &out, bool rows, int reach, int length, int across, int lead,
             int kind) {
  if (kind == 0) return;
  if (reach <= length) {
    const int a = length < reach + lead ? length : reach;
    for (int i = 0; i < across + kBar; i += 2 * kBar) {
      if (kind == 2 || kind == 4) addBar(out, rows, 0, i, a, i + kBar);
      if (kind == 1 || kind == 3 || kind == 5) addBar(out, rows, length - a, i, length, i + kBar);
      if (kind == 3) addBar(out, rows, 0, i + kBar, a, i + 2 * kBar);
    }
    return;
  }
  // The bars are whole; the gaps between them fill by the overshoot.
  const int over = reach - length;
  for (int i = kBar; i < across + kBar; i += 2 * kBar) {
    addBar(out, rows, 0, i - kBar, length, i);
    if (kind == 1 || kind == 4) addBar(out, rows, length - over, i, length, i + kBar);
    if (kind == 2 || kind == 5) addBar(out, rows, 0, i, over, i + kBar);
  }
}

struct BarArgs {
  bool doubleX;  // ReachX is 2X (otherwise X, or 0 without row bars)
  bool doubleY;
  bool lead;  // snap within L of the full length
  int kindX;
  int kindY;
};

BarArgs argsFor(int style) {
  switch (style) {
    case 60:
      return {true, false, true, 1, 0};
    case 61:
      return {true, false, true, 2, 0};
    case 62:
      return {true, false, true, 4, 0};
    case 63:
      return {true, false, true, 5, 0};
    case 64:
      return {false, false, false, 3, 0};
    case 71:
      return {false, true, true, 0, 1};
    case 72:
      return {false, true, true, 0, 2};
    case 73:
      return {false, true, true, 0, 4};
    case 74:
      return {false, true, true, 0, 5};
    case 75:
      return {false, false, false, 0, 3};
    case 86:
      return {true, true, true, 1, 1};
    case 87:
      return {true, true, true, 1, 2};
    case 88:
      return {true, true, true, 2, 1};
    case 89:
      return {true, true, true, 2, 2};
    case 90:
      return {true, true, true, 4, 4};
    case 91:
      return {true, true, true, 4, 5};
    case 92:
      return {true, true, true, 5, 4};
    case 93:
      return {true, true, true, 5, 5};
    case 94:
      return {false, false, true, 1, 3};
    case 95:
      return {false, false, true, 2, 3};
    case 96:
      return {false, false, true, 3, 1};
    case 97:
      return {false, false, true, 3, 2};
    case 98:
      return {false, false, false, 3, 3};
  }
  return {false, false, false, 0, 0};
}

}  // namespace

gfx::Region BarsRegion(int reachX, int reachY, int width, int height, int lead, int kindX,
                       int kindY) {
  gfx::RegionBuilder out;
  barPass(out, true, reachX, width, height, lead, kindX);
  barPass(out, false, reachY, height, width, lead, kindY);
  return out.build();
}

gfx::Region barRegion(int style, const Extents &e) {
  // Style 99 shows only where the bars of 86 and 89 cross.
  if (style == 99) return barRegion(86, e).intersected(barRegion(89, e));
  const BarArgs a = argsFor(style);
  const int reachX = a.kindX == 0 ? 0 : (a.doubleX ? 2 : 1) * e.X;
  const int reachY = a.kindY == 0 ? 0 : (a.doubleY ? 2 : 1) * e.Y;
  return BarsRegion(reachX, reachY, e.W, e.H, a.lead ? e.L : 0, a.kindX, a.kindY);
}

}  // namespace transitions
