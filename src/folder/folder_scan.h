#pragma once
// Finding the pictures under folders. The walk goes depth first, each
// folder's entries in byte order of their names, so that "in order" means
// the order of the paths; hidden files and folders (a name starting with
// ".") are left out, and a folder reached twice (through a link, or as part
// of another root) is walked once. Pictures are the files whose extension
// (any case) the picture loader reads.
//
// The found paths are handed over in batches: the first picture at once, so
// that a show can start before the scan ends, then in batches of up to
// `batchSize` or whatever was found within `batchDelay`.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantor {

// Whether the file name ends in the extension of a picture that the loader
// reads ("a.JPG", "b.heic"); a name that is only an extension (".jpg") is not
// a picture.
[[nodiscard]] bool IsPictureFileName(std::string_view fileName);

struct FolderScanOptions {
  size_t batchSize = 512;
  std::chrono::milliseconds batchDelay{50};
};

using FoundPictures = std::function<void(std::vector<std::string> paths)>;

// Walks `roots` in the order given and hands every picture found to `found`.
// Unreadable folders are passed over. Stops early, without error, when the
// calling thread's cancel flag is set. Returns the number of pictures found.
size_t ScanPictureFolders(const std::vector<std::string> &roots, const FoundPictures &found,
                          const FolderScanOptions &options = {});

// Runs the scan on a thread of its own. `batch` is called on that thread,
// the last time with `last` true (also after a cancel), and never after the
// destructor has returned.
class FolderScanner {
 public:
  using Batch = std::function<void(std::vector<std::string> paths, bool last)>;
  FolderScanner(std::vector<std::string> roots, Batch batch, FolderScanOptions options = {});
  // Cancels the scan and waits for its thread; the scan notices the cancel
  // within one folder entry.
  ~FolderScanner();
  FolderScanner(const FolderScanner &) = delete;
  FolderScanner &operator=(const FolderScanner &) = delete;

 private:
  std::atomic<bool> cancel_{false};
  std::thread thread_;
};

}  // namespace vantor
