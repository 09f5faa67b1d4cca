#pragma once
// The one repeating timer of the program, injected by the owner so that the
// logic that uses it needs no event loop: the slideshow's tick, the music's
// poll and the MPEG player's position timer. The owner's implementation
// calls onTimeout every interval while enabled, on the owner's (main)
// thread; an interval of 0 or less never fires.

#include <functional>
#include <memory>

namespace vantor {

class IntervalTimer {
 public:
  virtual ~IntervalTimer() = default;
  virtual void setInterval(int milliseconds) = 0;
  virtual int interval() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
  std::function<void()> onTimeout;
};

// Makes a timer whose onTimeout is `handler`.
using IntervalTimerFactory =
    std::function<std::unique_ptr<IntervalTimer>(std::function<void()> handler)>;

}  // namespace vantor
