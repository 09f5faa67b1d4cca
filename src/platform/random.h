#pragma once
// A pseudo-random source that is handed to whatever draws from it (shuffles,
// random positions, random transition patterns, music order), so that a
// test or a tool can seed it and see the same draws every time. There is no
// process-wide generator.
//
// Header-only: the transitions draw from it without linking the platform
// library.

#include <chrono>
#include <cstdint>
#include <random>

namespace vantor {

class RandomSource {
 public:
  // A source that follows the clock: each reseedFromClock() starts a fresh
  // sequence, as every shuffled order of the program does.
  static RandomSource FromClock() {
    RandomSource source(kDefaultSeed);
    source.followsClock_ = true;
    source.reseedFromClock();
    return source;
  }

  // A seeded source keeps its one sequence: reseedFromClock() leaves it
  // alone, so the orders drawn from it are the same on every run.
  explicit RandomSource(uint32_t seed = kDefaultSeed) : generator_(seed) {}

  void seed(uint32_t value) { generator_.seed(value); }

  // Starts a new sequence from the clock when the source follows the clock.
  void reseedFromClock() {
    if (!followsClock_) return;
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator_.seed(uint32_t(now) ^ uint32_t(uint64_t(now) >> 32));
  }

  // A uniform integer in 0..n-1; 0 when n <= 0.
  int below(int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(generator_);
  }

 private:
  static constexpr uint32_t kDefaultSeed = 5489u;
  std::mt19937 generator_;
  bool followsClock_ = false;
};

}  // namespace vantor
