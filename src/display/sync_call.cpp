#include "display/sync_call.h"

#include "platform/debug_log.h"

namespace vantor {

void SyncCaller::call(std::function<void()> fn) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return !pending_; });  // one call at a time
  pending_ = std::move(fn);
  ran_ = false;
  changed_.notify_all();
  lock.unlock();
  if (wake_) wake_();
  lock.lock();
  changed_.wait(lock, [&] { return ran_; });
}

void SyncCaller::runPending() {
  std::function<void()> fn;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fn = pending_;
  }
  if (!fn) return;
  try {
    fn();
  } catch (...) {
    // An error in one step is swallowed; the stepping goes on.
    debugLog("animation step failed: " + currentExceptionText());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  pending_ = nullptr;
  ran_ = true;
  changed_.notify_all();
}

void SyncCaller::waitRunning(const std::function<bool()> &done) {
  for (;;) {
    runPending();
    std::unique_lock<std::mutex> lock(mutex_);
    if (done()) return;
    changed_.wait(lock, [&] { return bool(pending_) || done(); });
    if (done() && !pending_) return;
  }
}

void SyncCaller::notify() {
  std::lock_guard<std::mutex> lock(mutex_);
  changed_.notify_all();
}

}  // namespace vantor
