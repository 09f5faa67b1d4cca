#include "show/folder_feed.h"

#include <utility>

namespace vantor {

FolderFeed::FolderFeed(std::vector<std::string> roots, Post post, FolderScanOptions options)
    : roots_(std::move(roots)), post_(std::move(post)), options_(options) {}

FolderFeed::~FolderFeed() {
  scanner_.reset();
  alive_.reset();
}

void FolderFeed::Start(Arrived arrived) {
  std::weak_ptr<int> alive = alive_;
  auto batch = [post = post_, alive, arrived = std::move(arrived)](std::vector<std::string> paths,
                                                                   bool last) {
    post([alive, arrived, paths = std::move(paths), last]() mutable {
      // Checked on the window thread, where the feed is destroyed too.
      if (alive.lock()) arrived(std::move(paths), last);
    });
  };
  scanner_ = std::make_unique<FolderScanner>(roots_, std::move(batch), options_);
}

}  // namespace vantor
