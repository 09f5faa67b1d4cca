#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/paths.h"

namespace vantor {

namespace {

constexpr std::string_view kTempInfix = ".tmp-";

bool isTemporaryOf(std::string_view candidate, std::string_view name) {
  const size_t prefix = name.size() + kTempInfix.size();
  if (candidate.size() != prefix + 6 || !candidate.starts_with(name) ||
      candidate.substr(name.size(), kTempInfix.size()) != kTempInfix)
    return false;
  for (char c : candidate.substr(prefix))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

Status systemFailure(const std::string &what, const std::string &path, int error) {
  return Status::failure(what + " " + path + ": " + std::strerror(error));
}

// Reads the open file to its end.
Result<std::string> readAll(int fd, const std::string &path) {
  std::string out;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      return systemFailure("cannot read", path, error);
    }
    if (n == 0) break;
    out.append(buffer, size_t(n));
  }
  close(fd);
  return out;
}

}  // namespace

Status writeFileAtomically(const std::string &path, const std::string &bytes) {
  std::string temp = path + std::string(kTempInfix) + "XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return systemFailure("cannot write", path, errno);
  struct stat st {};
  // Keep the permissions of the file being replaced.
  fchmod(fd, stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0644);
  size_t done = 0;
  int error = 0;  // the first failure's code
  while (error == 0 && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      error = errno;
    else if (n == 0)
      error = ENOSPC;  // a write that makes no progress: the disk is full
    else
      done += size_t(n);
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) error = errno;
  const bool ok = error == 0;
  if (!ok) {
    unlink(temp.c_str());
    return systemFailure("cannot write", path, error);
  }
  std::string folder(folderOf(path));
  int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return {};
}

void removeStaleTemporaries(const std::string &path) {
  // Only "/" separates folders here: the name may hold "\\" or ":".
  const size_t cut = path.rfind('/');
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string_view name = std::string_view(path).substr(folder.size());
  DIR *dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent *e = readdir(dir)) {
    if (!isTemporaryOf(e->d_name, name)) continue;
    const std::string temp = folder + e->d_name;
    struct stat st {};
    if (lstat(temp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(temp.c_str());
  }
  closedir(dir);
}

Result<std::string> readWholeFile(const std::string &path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return systemFailure("cannot read", path, errno);
  return readAll(fd, path);
}

Result<std::string> readFileIfPresent(const std::string &path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) return std::string();
  if (fd < 0) return systemFailure("cannot read", path, errno);
  return readAll(fd, path);
}

}  // namespace vantor
