#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "commands.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace effects_tool {

namespace {

// Processor time of this thread in milliseconds. On a machine shared with
// other work, wall time would also count the time spent descheduled, which
// says nothing about the drawing.
double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double msSince(double t0) {
  return cpuMs() - t0;
}

// A picture with detail in both directions, so no copy can be cheaper than
// moving every byte.
gfx::Bitmap patterned(gfx::Size size, int seed) {
  gfx::Bitmap b(size.width, size.height);
  for (int y = 0; y < size.height; ++y) {
    uint8_t *row = b.row(y);
    for (int x = 0; x < size.width * 3; ++x) row[x] = uint8_t(x * 7 + y * 13 + seed * 101);
  }
  return b;
}

// The time of one memcpy of a frame's bytes between two buffers as large as
// the frame, averaged over a few copies.
double memcpyMs(std::vector<uint8_t> &to, const std::vector<uint8_t> &from) {
  constexpr int kCopies = 4;
  const double t0 = cpuMs();
  for (int i = 0; i < kCopies; ++i) {
    std::memcpy(to.data(), from.data(), from.size());
    asm volatile("" ::"r"(to.data()) : "memory");
  }
  return msSince(t0) / kCopies;
}

// The mean time of one frame over one whole transition.
double transitionFrameMs(int style, int step, const std::vector<int> &progress, gfx::Bitmap &screen,
                         const gfx::Bitmap &oldPicture, const gfx::Bitmap &newPicture) {
  vantor::RandomSource random;
  const double t0 = cpuMs();
  for (int p : progress)
    transitions::drawFrame(screen, oldPicture, newPicture, style, step, p, random);
  return msSince(t0) / double(progress.size());
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Timing {
  double frame = 0;
  double copy = 0;
};

// Whole transitions alternate with memcpy timings, so that both see the same
// load on the machine; the medians of the rounds are kept.
Timing timeStyle(int style, int step, gfx::Bitmap &screen, const gfx::Bitmap &oldPicture,
                 const gfx::Bitmap &newPicture, std::vector<uint8_t> &to,
                 const std::vector<uint8_t> &from) {
  const std::vector<int> progress = transitions::progressSequence(step, false);
  std::vector<double> frames, copies;
  const double t0 = cpuMs();
  while (frames.size() < 5 || (msSince(t0) < 300.0 && frames.size() < 101)) {
    copies.push_back(memcpyMs(to, from));
    frames.push_back(transitionFrameMs(style, step, progress, screen, oldPicture, newPicture));
  }
  return {median(frames), median(copies)};
}

}  // namespace

int runBench(const BenchOptions &o) {
  const gfx::Bitmap oldPicture = patterned(o.size, 1), newPicture = patterned(o.size, 2);
  gfx::Bitmap screen(o.size.width, o.size.height);
  std::vector<uint8_t> from(oldPicture.byteCount(), 1), to(oldPicture.byteCount(), 2);
  std::printf(
      "# %dx%d, Step %d; processor ms per frame, per memcpy of the frame, ratio (medians)\n",
      o.size.width, o.size.height, o.step);
  double worst = 0;
  int worstStyle = 0;
  for (const transitions::Effect &e : transitions::effects()) {
    if (o.style >= 0 ? e.number != o.style : !e.proc) continue;
    const Timing t = timeStyle(e.number, o.step, screen, oldPicture, newPicture, to, from);
    const double ratio = t.frame / t.copy;
    std::printf("%d\t%.3f\t%.3f\t%.2f\t%.*s\n", e.number, t.frame, t.copy, ratio,
                int(e.name.size()), e.name.data());
    if (ratio > worst) worst = ratio, worstStyle = e.number;
  }
  std::printf("worst ratio %.2f (style %d)\n", worst, worstStyle);
  return 0;
}

}  // namespace effects_tool
