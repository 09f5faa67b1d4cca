#include <cstdio>
#include <vector>

#include "commands.h"
#include "frame_timing.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace effects_tool {

namespace {

using namespace frame_timing;

// The mean time of one frame over one whole transition.
double transitionFrameMs(int style, int step, const std::vector<int> &progress, gfx::Bitmap &screen,
                         const gfx::Bitmap &oldPicture, const gfx::Bitmap &newPicture) {
  vantor::RandomSource random;
  const double t0 = cpuMs();
  for (int p : progress)
    transitions::drawFrame(screen, oldPicture, newPicture, style, step, p, random);
  return msSince(t0) / double(progress.size());
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
