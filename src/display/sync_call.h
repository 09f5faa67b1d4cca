#pragma once
// A synchronous call from a worker thread into the main thread. The worker
// hands over a function and waits until the main thread has run it. The main
// thread runs pending calls when it is woken (from its event loop) and also
// while it waits for the worker itself, so the two never wait on each other.

#include <condition_variable>
#include <functional>
#include <mutex>

namespace vantor {

class SyncCaller {
 public:
  // `wake` is called on the worker thread after a call has been handed over;
  // it must make the main thread call runPending() soon (post an event).
  explicit SyncCaller(std::function<void()> wake) : wake_(std::move(wake)) {}

  // Worker side: runs `fn` on the main thread and returns when it has run.
  void call(std::function<void()> fn);

  // Main side: runs the call that is waiting, if any.
  void runPending();

  // Main side: waits until `done()` holds, running the worker's calls in the
  // meantime. `done` is checked under the caller's lock; notify() wakes it.
  void waitRunning(const std::function<bool()> &done);
  void notify();

 private:
  std::function<void()> wake_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> pending_;
  bool ran_ = false;
};

}  // namespace vantor
