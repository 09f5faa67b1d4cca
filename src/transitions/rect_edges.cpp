// Styles 1..34: the new picture expands, slides, is revealed, unrolls or
// builds up from one edge or both edges of an axis.

#include "transitions/copies.h"
#include "transitions/edge_spans.h"

namespace transitions {

namespace {

SpanPlan one(Span dest, Span source) {
  return {{SpanCopy{dest, source}}, 1};
}
SpanPlan two(SpanCopy first, Span dest, Span source) {
  return {{first, SpanCopy{dest, source}}, 2};
}

// Roll width of the unroll from the leading edge: it grows with the revealed
// part at the start, keeps a tenth of the axis in the middle and shrinks to
// nothing at the end.
int rollFromStart(int n, int e) {
  if (e < n / 5) return e / 2;
  if (n < e + n / 5) return (n - e) / 2;
  return n / 10;
}

int rollFromEnd(int n, int e) {
  const int u = n - e;
  if (n < u + n / 5) return e / 2;
  if (u < n / 5) return u / 2;
  return n / 10;
}

SpanPlan unrollFromStart(int n, int e) {
  const int t = e + rollFromStart(n, e);
  return two({{e, t}, {t, 2 * t - e}, true}, {0, e}, {0, e});
}

SpanPlan unrollFromEnd(int n, int e) {
  const int u = n - e, t = u - rollFromEnd(n, e);
  return two({{t, u}, {2 * t - u, t}, true}, {u, n}, {u, n});
}

using Movement = SpanPlan (*)(int n, int e);

// Indexed by movement number - 1; u = n - e is what is still to come.
constexpr std::array<Movement, kEdgeMovements> kMovements = {
    [](int n, int e) {
      return one({n - e, n}, {0, n});
    },  // expand
    [](int n, int e) {
      return one({0, e}, {0, n});
    },  // expand
    [](int n, int e) {
      return one({n - e, 2 * n - e}, {0, n});
    },  // slide in
    [](int n, int e) {
      return one({e - n, e}, {0, n});
    },  // slide in
    [](int, int e) {
      return one({0, e}, {0, e});
    },  // reveal
    [](int n, int e) {
      return one({n - e, n}, {n - e, n});
    },  // reveal
    [](int n, int e) {
      return one({0, 2 * n - e}, {0, e});
    },  // expand in
    [](int n, int e) {
      return one({e - n, n}, {n - e, n});
    },                  // expand in
    [](int n, int e) {  // in to middle
      return one({e - n, 2 * n - e}, {(n - e) / 2, (n + e) / 2});
    },
    [](int n, int e) {
      return one({(n - e) / 2, (n + e) / 2}, {0, n});
    },                  // out of middle
    [](int n, int e) {  // reveal middle
      return one({(n - e) / 2, (n + e) / 2}, {(n - e) / 2, (n + e) / 2});
    },
    [](int n, int e) {  // reveal in from both edges
      return two({{0, e / 2 + 1}, {0, e / 2 + 1}}, {n - e / 2 - 1, n}, {n - e / 2 - 1, n});
    },
    [](int n, int e) {  // expand in from both edges
      return two({{0, e / 2 + 1}, {0, n / 2 + 1}}, {n - e / 2 - 1, n}, {n / 2, n});
    },
    unrollFromStart,
    unrollFromEnd,
    [](int n, int e) {  // build up: a band next to the revealed edge fills the rest
      return two({{0, e}, {0, e}}, {e, n}, {e, e + n / 20});
    },
    [](int n, int e) {
      const int u = n - e;
      return two({{u, n}, {u, n}}, {0, u}, {u - n / 20, u});
    },
};

gfx::Rect across(Span s, int h) {
  return {s.a, 0, s.b, h};
}
gfx::Rect down(Span s, int w) {
  return {0, s.a, w, s.b};
}

}  // namespace

SpanPlan edgeMovement(int m, int n, int e) {
  if (m < 1 || m > kEdgeMovements) return {};
  return kMovements[size_t(m - 1)](n, e);
}

CopyList edgeCopies(int style, const Extents &e) {
  CopyList list;
  const bool vertical = style > kEdgeMovements;
  const SpanPlan plan =
      vertical ? edgeMovement(style - kEdgeMovements, e.H, e.Y) : edgeMovement(style, e.W, e.X);
  for (int i = 0; i < plan.count; ++i) {
    const SpanCopy &c = plan.items[size_t(i)];
    if (vertical)
      list.add({down(c.dest, e.W), down(c.source, e.W), false, c.mirror});
    else
      list.add({across(c.dest, e.H), across(c.source, e.H), c.mirror, false});
  }
  return list;
}

}  // namespace transitions
