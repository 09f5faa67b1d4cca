#include "folder/folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>

#include "picture/picture_loader.h"
#include "platform/cancel.h"
#include "platform/paths.h"

namespace vantor {

bool IsPictureFileName(std::string_view fileName) {
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  return isPictureExtension(lowerAscii(fileName.substr(dot + 1)));
}

namespace {

using Clock = std::chrono::steady_clock;

class Walk {
 public:
  Walk(const FoundPictures &found, const FolderScanOptions &options)
      : found_(found), options_(options), lastFlush_(Clock::now()) {}

  void root(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    std::string folder = path;
    if (folder.empty() || folder.back() != '/') folder += '/';
    walk(folder, st);
  }

  size_t finish() {
    flush();
    return count_;
  }

 private:
  // Reads one folder whole before it descends, so that its open handle is
  // not held across the walk below it and its entries can be sorted.
  void walk(const std::string &folder, const struct stat &self) {
    if (!visited_.insert({self.st_dev, self.st_ino}).second) return;
    std::vector<std::pair<std::string, unsigned char>> entries;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR *dir = fdopendir(fd);
    if (!dir) {
      close(fd);
      return;
    }
    while (const dirent *e = readdir(dir)) {
      if (e->d_name[0] == '.') continue;  // hidden, and "." and ".."
      entries.emplace_back(e->d_name, e->d_type);
      if (CancelRequested()) break;
    }
    std::sort(entries.begin(), entries.end());
    for (const auto &[name, type] : entries) {
      if (CancelRequested()) break;
      const bool picture = IsPictureFileName(name);
      if (type == DT_REG) {
        if (picture) add(folder + name);
        continue;
      }
      if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) continue;
      // Links are followed; the visited set keeps a loop from being walked
      // round.
      struct stat st;
      if (fstatat(dirfd(dir), name.c_str(), &st, 0) != 0) continue;
      if (S_ISDIR(st.st_mode))
        walk(folder + name + '/', st);
      else if (S_ISREG(st.st_mode) && picture)
        add(folder + name);
      maybeFlush();
    }
    closedir(dir);
    maybeFlush();
  }

  void add(std::string path) {
    pending_.push_back(std::move(path));
    ++count_;
    // The first picture goes at once: the show waits for it.
    if (count_ == 1 || pending_.size() >= options_.batchSize) flush();
  }

  void maybeFlush() {
    if (!pending_.empty() && Clock::now() - lastFlush_ >= options_.batchDelay) flush();
  }

  void flush() {
    lastFlush_ = Clock::now();
    if (pending_.empty() || CancelRequested()) return;
    found_(std::exchange(pending_, {}));
  }

  const FoundPictures &found_;
  const FolderScanOptions &options_;
  std::set<std::pair<dev_t, ino_t>> visited_;
  std::vector<std::string> pending_;
  size_t count_ = 0;
  Clock::time_point lastFlush_;
};

}  // namespace

size_t ScanPictureFolders(const std::vector<std::string> &roots, const FoundPictures &found,
                          const FolderScanOptions &options) {
  Walk walk(found, options);
  for (const std::string &root : roots) {
    if (CancelRequested()) break;
    walk.root(root);
  }
  return walk.finish();
}

FolderScanner::FolderScanner(std::vector<std::string> roots, Batch batch,
                             FolderScanOptions options) {
  thread_ = std::thread([this, roots = std::move(roots), batch = std::move(batch), options] {
    CancelScope scope(cancel_);
    try {
      ScanPictureFolders(
          roots, [&](std::vector<std::string> paths) { batch(std::move(paths), false); }, options);
    } catch (...) {
      // Out of memory in a huge tree: the pictures found so far stay.
    }
    batch({}, true);
  });
}

FolderScanner::~FolderScanner() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace vantor
