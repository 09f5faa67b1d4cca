#pragma once
// Timing helpers shared by the effects tool's bench command and the effects
// benchmark, so both measure a frame against the same memcpy.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

#include "gfx/bitmap.h"

namespace frame_timing {

// Processor time of this thread in milliseconds. On a machine shared with
// other work, wall time would also count the time spent descheduled, which
// says nothing about the drawing.
inline double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

inline double msSince(double t0) {
  return cpuMs() - t0;
}

// A picture with detail in both directions, so no copy can be cheaper than
// moving every byte.
inline gfx::Bitmap patterned(gfx::Size size, int seed) {
  gfx::Bitmap b(size.width, size.height);
  for (int y = 0; y < size.height; ++y) {
    uint8_t *row = b.row(y);
    for (int x = 0; x < size.width * 3; ++x) row[x] = uint8_t(x * 7 + y * 13 + seed * 101);
  }
  return b;
}

// The time of one memcpy of a frame's bytes between two buffers as large as
// the frame, averaged over a few copies.
inline double memcpyMs(std::vector<uint8_t> &to, const std::vector<uint8_t> &from) {
  constexpr int kCopies = 4;
  const double t0 = cpuMs();
  for (int i = 0; i < kCopies; ++i) {
    std::memcpy(to.data(), from.data(), from.size());
    asm volatile("" ::"r"(to.data()) : "memory");
  }
  return msSince(t0) / kCopies;
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace frame_timing
