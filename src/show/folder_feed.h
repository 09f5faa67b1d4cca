#pragma once
// The pictures under folders as a feed of the slideshow's picture list: the
// scan runs on a thread of its own, and its batches reach the runner on the
// window thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "folder/folder_scan.h"
#include "show/run_vantorscreen.h"

namespace vantor {

class FolderFeed : public PictureFeed {
 public:
  // Runs a call on the window thread, later; may be called from any thread.
  using Post = std::function<void(std::function<void()> call)>;
  FolderFeed(std::vector<std::string> roots, Post post, FolderScanOptions options = {});
  // Cancels the scan and waits for it; calls already posted do nothing.
  ~FolderFeed() override;
  void Start(Arrived arrived) override;

 private:
  std::vector<std::string> roots_;
  Post post_;
  FolderScanOptions options_;
  // Posted calls hold it weakly: once it is gone they arrive nowhere.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::unique_ptr<FolderScanner> scanner_;
};

}  // namespace vantor
