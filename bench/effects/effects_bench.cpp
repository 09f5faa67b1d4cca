// One frame of each rectangle style at Progress 50 (old picture copied, then
// the style's copies), and the stretch-copies alone, each reported beside
// one memcpy of the frame measured in the same benchmark.
//
//   effects_bench --benchmark_filter=3840

#include <benchmark/benchmark.h>

#include <vector>

#include "frame_timing.h"
#include "gfx/stretch.h"
#include "transitions/catalogue.h"
#include "transitions/copies.h"
#include "transitions/frame_step.h"

namespace {

using namespace frame_timing;

gfx::Bitmap patterned(int w, int h, int seed) {
  return frame_timing::patterned({w, h}, seed);
}

// The median of a few memcpy timings of `bytes`.
double memcpyMs(size_t bytes) {
  static std::vector<uint8_t> from, to;
  from.resize(bytes, 1);
  to.resize(bytes, 2);
  std::vector<double> runs;
  for (int i = 0; i < 7; ++i) runs.push_back(frame_timing::memcpyMs(to, from));
  return median(runs);
}

// Times `body` per iteration and reports the ratio to a memcpy of the frame.
template <typename Body>
void timed(benchmark::State &state, size_t frameBytes, Body body) {
  double total = 0;
  for (auto _ : state) {
    const double t0 = cpuMs();
    body();
    total += cpuMs() - t0;
  }
  const double copy = memcpyMs(frameBytes), frame = total / double(state.iterations());
  state.counters["memcpy_ms"] = copy;
  state.counters["frame_ms"] = frame;
  state.counters["ratio"] = frame / copy;
}

void BM_Frame(benchmark::State &state) {
  const int w = int(state.range(0)), h = int(state.range(1)), style = int(state.range(2));
  const gfx::Bitmap oldPicture = patterned(w, h, 1), newPicture = patterned(w, h, 2);
  gfx::Bitmap screen(w, h);
  vantor::RandomSource random;
  timed(state, screen.byteCount(),
        [&] { transitions::drawFrame(screen, oldPicture, newPicture, style, 4, 50, random); });
}

// A whole-frame stretch-copy, enlarging 2x across (range 2 = 0), down
// (1) or both (2), or plain (3).
void BM_Stretch(benchmark::State &state) {
  const int w = int(state.range(0)), h = int(state.range(1)), kind = int(state.range(2));
  const gfx::Bitmap source = patterned(w, h, 2);
  gfx::Bitmap screen(w, h);
  const gfx::Rect from{0, 0, kind == 1 || kind == 3 ? w : w / 2,
                       kind == 0 || kind == 3 ? h : h / 2};
  timed(state, screen.byteCount(), [&] { gfx::stretchCopy(screen, screen.rect(), source, from); });
}

void frameArgs(benchmark::internal::Benchmark *b) {
  for (auto [w, h] : {std::pair{3840, 2160}, std::pair{1920, 1080}})
    for (const transitions::Effect &e : transitions::effects())
      if (transitions::drawsCopies(e.family)) b->Args({w, h, e.number});
}

void stretchArgs(benchmark::internal::Benchmark *b) {
  for (auto [w, h] : {std::pair{3840, 2160}, std::pair{1920, 1080}})
    for (int kind = 0; kind < 4; ++kind) b->Args({w, h, kind});
}

BENCHMARK(BM_Frame)->Apply(frameArgs)->ArgNames({"w", "h", "style"});
BENCHMARK(BM_Stretch)->Apply(stretchArgs)->ArgNames({"w", "h", "kind"});

}  // namespace

BENCHMARK_MAIN();
