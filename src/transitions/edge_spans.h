#pragma once
// The edge styles work along one axis only: styles 1..17 across the width
// and 18..34, the same seventeen movements, down the height. Each movement is
// a short list of copies of spans of that axis; the other axis is whole.

#include <array>

namespace transitions {

struct Span {
  int a = 0;  // first index
  int b = 0;  // one past the last index
};

struct SpanCopy {
  Span dest;
  Span source;
  bool mirror = false;  // drawn through MirrorCopy, reversed on this axis
};

// The copies of one movement; the last is the main copy.
struct SpanPlan {
  std::array<SpanCopy, 2> items{};
  int count = 0;
  const SpanCopy &main() const { return items[size_t(count - 1)]; }
};

constexpr int kEdgeMovements = 17;

// Movement m (1..17) on an axis `n` pixels long with progress extent `e`.
SpanPlan edgeMovement(int m, int n, int e);

}  // namespace transitions
