#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vantor {

InstanceLock::InstanceLock(const std::string &folder, const std::string &name) {
  if (folder.empty()) return;  // no private folder: nothing to guard with
  std::string path = folder + name + ".lock";
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) alreadyExists_ = true;
}

InstanceLock::~InstanceLock() {
  // The mutex is never released explicitly; closing the descriptor at exit
  // releases it. A second instance closes its handle at once.
  if (fd_ >= 0) close(fd_);
}

}  // namespace vantor
