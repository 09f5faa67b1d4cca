#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
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

}  // namespace

bool writeFileAtomically(const std::string &path, const std::string &bytes) {
  std::string temp = path + std::string(kTempInfix) + "XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat st {};
  // Keep the permissions of the file being replaced.
  fchmod(fd, stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0644);
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0)
      ok = false;
    else
      done += size_t(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  std::string folder(folderOf(path));
  int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
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

bool readWholeFile(const std::string &path, std::string &out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

std::string readWholeFile(const std::string &path) {
  std::string out;
  readWholeFile(path, out);
  return out;
}

}  // namespace vantor
