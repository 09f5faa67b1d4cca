// A repeating timer injected by the owner, so that the player's logic needs
// no event loop: the owner's implementation calls the handler it was created
// with every interval while enabled, on the owner's (main) thread.
#pragma once

#include <functional>
#include <memory>

class IntervalTimer {
 public:
  virtual ~IntervalTimer() = default;
  virtual void setInterval(int milliseconds) = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
};

using IntervalTimerFactory =
    std::function<std::unique_ptr<IntervalTimer>(std::function<void()> handler)>;
