// What the music needs from the program's event loop: repeating timers and
// a way to run a task after the current handler has returned. The Qt
// implementation is QtMusicHost; tests drive a manual one.
#pragma once

#include <functional>
#include <memory>

#include "platform/interval_timer.h"

namespace vantor {

class MusicHost {
 public:
  virtual ~MusicHost() = default;
  // A repeating timer, off until enabled, whose handler runs on the main thread.
  virtual std::unique_ptr<IntervalTimer> createTimer(std::function<void()> handler) = 0;
  // Runs `task` on the main thread once the current handler has returned.
  // Tasks still waiting when the host is destroyed are dropped.
  virtual void post(std::function<void()> task) = 0;
};

}  // namespace vantor
