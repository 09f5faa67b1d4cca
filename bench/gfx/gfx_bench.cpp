// Speed of the frame path at 1920x1080 and 3840x2160. Every case runs beside
// a memcpy of the whole frame in the same loop; the counter "frames" says how
// many frame copies the case costs. Repeat with
//   build-gfx/bin/vantor_bench_gfx --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "gfx/region.h"
#include "gfx/stretch.h"

namespace {

using gfx::Bitmap;
using gfx::Point;
using gfx::Rect;
using gfx::Region;

Bitmap noise(int w, int h, uint32_t seed) {
  Bitmap b(w, h);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < b.byteCount(); i += 4) {
    const uint32_t v = rng();
    std::memcpy(b.data() + i, &v, std::min<size_t>(4, b.byteCount() - i));
  }
  return b;
}

using Clock = std::chrono::steady_clock;

// Runs `body` once per iteration right after a memcpy of a w x h frame and
// times both, so that load on the machine weighs on both alike. The time
// reported is the body's alone; the counter "frames" is the body's time over
// the memcpy's, i.e. what the body costs in frame copies.
template <class Body>
void besideFrameCopy(benchmark::State &state, int w, int h, Body &&body) {
  const Bitmap from = noise(w, h, 9);
  Bitmap to(w, h);
  double copySeconds = 0, bodySeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    std::memcpy(to.data(), from.data(), from.byteCount());
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    body();
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    copySeconds += std::chrono::duration<double>(t1 - t0).count();
    const double seconds = std::chrono::duration<double>(t2 - t1).count();
    bodySeconds += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["frames"] = bodySeconds / copySeconds;
  state.counters["memcpy_ms"] = 1000 * copySeconds / double(state.iterations());
}

int width(const benchmark::State &s) {
  return int(s.range(0));
}
int height(const benchmark::State &s) {
  return int(s.range(1));
}

void BM_FrameMemcpy(benchmark::State &state) {
  const Bitmap src = noise(width(state), height(state), 1);
  Bitmap dst(width(state), height(state));
  besideFrameCopy(state, width(state), height(state),
                  [&] { std::memcpy(dst.data(), src.data(), src.byteCount()); });
}

// Stretch cases: 0 = twice the size (a quarter of the picture blown up),
// 1 = half the size, 2 = mirrored on both axes at full size, 3 = the whole
// picture into nine tenths of the frame, as an expanding rectangle draws it
// late in its transition.
void BM_StretchCopy(benchmark::State &state) {
  const int w = width(state), h = height(state);
  const Bitmap src = noise(w, h, 2);
  Bitmap dst(w, h);
  Rect to{0, 0, w, h}, from{0, 0, w, h};
  switch (state.range(2)) {
    case 0:
      from = {w / 4, h / 4, w / 4 + w / 2, h / 4 + h / 2};
      break;
    case 1:
      to = {0, 0, w / 2, h / 2};
      break;
    case 2:
      to = {w, h, 0, 0};
      break;
    default:
      to = {0, 0, w * 9 / 10, h * 9 / 10};
      break;
  }
  besideFrameCopy(state, w, h, [&] { gfx::stretchCopy(dst, to, src, from); });
}

// The triangular shred: 100 triangles on a 10 x 10 grid, legs twice a cell.
Region triangles(int w, int h) {
  gfx::RegionBuilder b;
  const int a = w / 5, d = gfx::MulDiv(a, h, w);
  for (int r = 0; r < 10; ++r)
    for (int k = 0; k < 10; ++k) {
      const int cx = w * k / 10, cy = h * r / 10;
      const Point tri[3] = {{cx, cy}, {cx + a, cy}, {cx, cy + d}};
      b.addPolygon(tri);
    }
  return b.build();
}

// About 1000 rectangles: a 32 x 32 grid of blocks, each a little more than
// half a cell, as the rectangular shred draws them.
Region rectangles(int w, int h) {
  std::vector<Rect> rs;
  const int cw = w / 32, ch = h / 32;
  for (int r = 0; r <= 31; ++r)
    for (int k = 0; k <= 31; ++k)
      rs.push_back({k * cw - cw / 3, r * ch - ch / 3, k * cw + cw / 3, r * ch + ch / 3});
  return Region::fromRects(rs);
}

Region ellipse(int w, int h) {
  return Region::ellipse({w / 2 - w / 3, h / 2 - h / 3, w / 2 + w / 3, h / 2 + h / 3});
}

// The same 100 triangles joined one by one, for comparison with the builder.
Region trianglesByUnions(int w, int h) {
  Region all;
  const int a = w / 5, d = gfx::MulDiv(a, h, w);
  for (int r = 0; r < 10; ++r)
    for (int k = 0; k < 10; ++k) {
      const int cx = w * k / 10, cy = h * r / 10;
      const Point tri[3] = {{cx, cy}, {cx + a, cy}, {cx, cy + d}};
      all |= Region::polygon(tri);
    }
  return all;
}

// Shapes: 0 = 100 triangles, 1 = ~1000 rectangles, 2 = an ellipse,
// 3 = the 100 triangles by successive unions.
Region buildShape(int shape, int w, int h) {
  switch (shape) {
    case 0:
      return triangles(w, h);
    case 1:
      return rectangles(w, h);
    case 2:
      return ellipse(w, h);
    default:
      return trianglesByUnions(w, h);
  }
}

void BM_RegionBuild(benchmark::State &state) {
  const int w = width(state), h = height(state);
  besideFrameCopy(state, w, h,
                  [&] { benchmark::DoNotOptimize(buildShape(int(state.range(2)), w, h)); });
}

void BM_CopyThroughRegion(benchmark::State &state) {
  const int w = width(state), h = height(state);
  const Bitmap src = noise(w, h, 3);
  Bitmap dst(w, h);
  const Region r = buildShape(int(state.range(2)), w, h);
  besideFrameCopy(state, w, h, [&] { gfx::copyThroughRegion(dst, src, r); });
}

// One whole frame of a region transition: the old picture copied in, the
// region built, the new picture copied through it.
void BM_RegionTransitionFrame(benchmark::State &state) {
  const int w = width(state), h = height(state);
  const Bitmap oldPicture = noise(w, h, 4), newPicture = noise(w, h, 5);
  Bitmap display(w, h);
  besideFrameCopy(state, w, h, [&] {
    std::memcpy(display.data(), oldPicture.data(), oldPicture.byteCount());
    gfx::copyThroughRegion(display, newPicture, buildShape(int(state.range(2)), w, h));
  });
}

void sizes(benchmark::internal::Benchmark *b) {
  for (const auto &[w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) b->Args({w, h});
}

void sizesAndThreeCases(benchmark::internal::Benchmark *b) {
  for (const auto &[w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
    for (int kind = 0; kind < 3; ++kind) b->Args({w, h, kind});
}

// The same frame drawn in one pass by composeThroughRegion.
void BM_RegionTransitionFrameComposed(benchmark::State &state) {
  const int w = width(state), h = height(state);
  const Bitmap oldPicture = noise(w, h, 4), newPicture = noise(w, h, 5);
  Bitmap display(w, h);
  besideFrameCopy(state, w, h, [&] {
    gfx::composeThroughRegion(display, oldPicture, newPicture,
                              buildShape(int(state.range(2)), w, h));
  });
}

void sizesAndFourCases(benchmark::internal::Benchmark *b) {
  for (const auto &[w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
    for (int kind = 0; kind < 4; ++kind) b->Args({w, h, kind});
}

BENCHMARK(BM_FrameMemcpy)->Apply(sizes)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_StretchCopy)->Apply(sizesAndFourCases)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RegionBuild)->Apply(sizesAndFourCases)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_CopyThroughRegion)
    ->Apply(sizesAndThreeCases)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_RegionTransitionFrame)
    ->Apply(sizesAndThreeCases)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_RegionTransitionFrameComposed)
    ->Apply(sizesAndThreeCases)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
