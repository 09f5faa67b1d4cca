// Styles 35..53: corner and centre movements. Each is one copy whose
// horizontal span is the main copy of an edge movement across the width and
// whose vertical span is the main copy of an edge movement down the height.

#include "transitions/copies.h"
#include "transitions/edge_spans.h"

namespace transitions {

namespace {

struct CornerMovement {
  int across;  // edge movement for the columns
  int down;    // edge movement for the rows
};

// Movements 1..11 of the edge table: 1 expand from the far edge, 2 from the
// near edge, 3/4 slide in, 5/6 reveal, 7/8 expand in, 9 in to the middle,
// 10 out of the middle, 11 reveal from the middle.
constexpr std::array<CornerMovement, 19> kCorners = {{
    {1, 1}, {1, 2},   {2, 2},   {2, 1},  // 35..38 expand from a corner
    {3, 3}, {3, 4},   {4, 4},   {4, 3},  // 39..42 slide in from a corner
    {5, 5}, {5, 6},   {6, 6},   {6, 5},  // 43..46 reveal from a corner
    {7, 7}, {7, 8},   {8, 8},   {8, 7},  // 47..50 appear and contract to a corner
    {9, 9}, {10, 10}, {11, 11},          // 51..53 centre
}};

}  // namespace

CopyList cornerCopies(int style, const Extents &e) {
  CopyList list;
  if (style < 35 || style > 53) return list;
  const CornerMovement m = kCorners[size_t(style - 35)];
  const SpanCopy x = edgeMovement(m.across, e.W, e.X).main();
  const SpanCopy y = edgeMovement(m.down, e.H, e.Y).main();
  list.add(
      {{x.dest.a, y.dest.a, x.dest.b, y.dest.b}, {x.source.a, y.source.a, x.source.b, y.source.b}});
  return list;
}

}  // namespace transitions
