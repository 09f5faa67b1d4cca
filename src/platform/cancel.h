#pragma once
// Giving up a long job early. A thread that runs a job which may take long
// (decoding a picture, unpacking an item) sets a cancel flag for itself with
// a CancelScope; the decoders and the unpacker poll CancelRequested() often
// enough that a job ends within a few milliseconds of the flag being set.
// Code that runs outside any scope is never cancelled.

#include <atomic>
#include <stdexcept>

namespace vantor {

namespace detail {
inline thread_local const std::atomic<bool> *currentCancelFlag = nullptr;
}

// True once the flag of the calling thread's innermost scope is set.
inline bool CancelRequested() {
  const std::atomic<bool> *flag = detail::currentCancelFlag;
  return flag && flag->load(std::memory_order_relaxed);
}

// Thrown by jobs that stop because they were cancelled.
struct Cancelled : std::runtime_error {
  Cancelled() : std::runtime_error("cancelled") {}
};

inline void ThrowIfCancelled() {
  if (CancelRequested()) throw Cancelled();
}

// Makes `flag` the calling thread's cancel flag for the scope's lifetime.
class CancelScope {
 public:
  explicit CancelScope(const std::atomic<bool> &flag) : previous_(detail::currentCancelFlag) {
    detail::currentCancelFlag = &flag;
  }
  ~CancelScope() { detail::currentCancelFlag = previous_; }
  CancelScope(const CancelScope &) = delete;
  CancelScope &operator=(const CancelScope &) = delete;

 private:
  const std::atomic<bool> *previous_;
};

}  // namespace vantor
