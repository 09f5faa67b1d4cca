#pragma once
// A named mutex held for the life of the process: an exclusive flock on a
// lock file named after the mutex in the private temporary folder. The lock
// goes away with the process, however it ends.

#include <string>

#include "platform/result.h"

namespace vantor {

class InstanceLock {
 public:
  // Takes the lock `name` in `folder`. alreadyExists() tells whether another
  // process holds it.
  InstanceLock(const std::string &folder, const std::string &name);
  ~InstanceLock();
  InstanceLock(const InstanceLock &) = delete;
  InstanceLock &operator=(const InstanceLock &) = delete;

  bool alreadyExists() const { return alreadyExists_; }
  // A failure when the lock could be neither taken nor found taken (no lock
  // file could be made, say): this process then runs unguarded.
  const Status &status() const { return status_; }

 private:
  int fd_ = -1;
  bool alreadyExists_ = false;
  Status status_;
};

}  // namespace vantor
