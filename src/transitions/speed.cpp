#include "transitions/speed.h"

#include <algorithm>
#include <array>

namespace transitions {

namespace {

constexpr std::array<TransitionSpeed, 5> kSpeeds = {{
    {10, 1},  // 10 frames
    {6, 20},  // 17 frames, the last one clamped from 102
    {4, 30},  // 25 frames
    {2, 30},  // 50 frames
    {1, 30},  // 100 frames
}};

}  // namespace

std::optional<TransitionSpeed> speedForSetting(int effectSpeed2) {
  if (effectSpeed2 < 1 || effectSpeed2 > int(kSpeeds.size())) return std::nullopt;
  return kSpeeds[size_t(effectSpeed2 - 1)];
}

int nextProgress(int progress, int step, bool reverse) {
  step = std::max(step, 1);
  progress = std::clamp(progress, 0, 100);
  if (reverse) return progress < step ? 0 : progress - step;
  return std::min(progress + step, 100);
}

std::vector<int> progressSequence(int step, bool reverse) {
  std::vector<int> frames;
  int p = reverse ? 100 : 0;
  while (!transitionDone(p, reverse)) {
    p = nextProgress(p, step, reverse);
    frames.push_back(p);
  }
  return frames;
}

}  // namespace transitions
