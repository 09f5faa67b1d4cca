#pragma once
// Transition pacing: how far Progress moves per frame and how long a frame
// lasts at least, and the run of Progress values a transition passes.

#include <optional>
#include <vector>

namespace transitions {

struct TransitionSpeed {
  int step = 4;    // added to Progress per frame, 1..100
  int delay = 30;  // shortest frame time in milliseconds
  friend bool operator==(const TransitionSpeed &, const TransitionSpeed &) = default;
};

// What a new display control starts with.
constexpr TransitionSpeed kDefaultSpeed{4, 30};

// The speed for the EffectSpeed2 setting 1..5; none for other values, which
// leave the control's speed as it is.
std::optional<TransitionSpeed> speedForSetting(int effectSpeed2);

// Progress after one frame from `progress`: down by `step` to no less than 0
// in reverse, otherwise up by `step` and clamped to 100. A step below 1 is
// taken as 1 so that a transition always ends.
int nextProgress(int progress, int step, bool reverse);

// True when a transition running forwards (or in reverse) has ended.
inline bool transitionDone(int progress, bool reverse) {
  return reverse ? progress == 0 : progress >= 100;
}

// The Progress of every frame of a whole transition, from the first frame
// after the start (0, or 100 in reverse) up to and including the end.
std::vector<int> progressSequence(int step, bool reverse);

}  // namespace transitions
