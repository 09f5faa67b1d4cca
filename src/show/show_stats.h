#pragma once
// Timing of the show for those who measure it: with VANTOR_SHOW_STATS set,
// the time from the process start to the first frame on the screen and the
// frame rate of every transition go to standard error, and at every picture
// change the time from the timer's tick to the transition's first frame.
// Silent otherwise.

#include <chrono>
#include <cstdint>

namespace vantor {

class ShowStats {
 public:
  ShowStats();
  bool enabled() const { return enabled_; }
  // The slideshow timer fired: the next first frame ends a picture change.
  void ticked();
  void transitionStarted(int style, int width, int height);
  void frameDrawn();
  void transitionEnded();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_ = false;
  bool firstFrameSeen_ = false;
  bool firstPictureSeen_ = false;
  bool tickPending_ = false;
  Clock::time_point tick_;
  int style_ = 0, width_ = 0, height_ = 0, frames_ = 0;
  Clock::time_point started_;
};

// Milliseconds since this process was started, from the kernel's record.
double MillisecondsSinceProcessStart();

}  // namespace vantor
