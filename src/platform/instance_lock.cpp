#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantor {

InstanceLock::InstanceLock(const std::string &folder, const std::string &name) {
  if (folder.empty()) return;  // no private folder: nothing to guard with
  std::string path = folder + name + ".lock";
  // The lock file is never reached through a link: a link (or anything else
  // that is not a plain file) in its place is removed and the file made anew,
  // so that every instance locks the same file.
  for (int attempt = 0; attempt < 2 && fd_ < 0; ++attempt) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) break;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) break;
  }
  if (fd_ < 0) {
    status_ = Status::failure("cannot make the lock file " + path + ": " + std::strerror(errno));
    return;
  }
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
  if (errno == EWOULDBLOCK)
    alreadyExists_ = true;
  else
    status_ = Status::failure("cannot lock " + path + ": " + std::strerror(errno));
}

InstanceLock::~InstanceLock() {
  // The mutex is never released explicitly; closing the descriptor at exit
  // releases it. A second instance closes its handle at once.
  if (fd_ >= 0) close(fd_);
}

}  // namespace vantor
