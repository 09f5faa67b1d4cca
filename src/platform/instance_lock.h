#pragma once
// A named mutex held for the life of the process: an exclusive flock on a
// lock file named after the mutex in the private temporary folder. The lock
// goes away with the process, however it ends.

#include <string>

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

 private:
  int fd_ = -1;
  bool alreadyExists_ = false;
};

}  // namespace vantor
