#include "fakes.h"

#include <filesystem>
#include <stdexcept>

namespace musictest {

namespace {

// Unregisters itself from the host's list when its owner frees it.
class RegisteredTimer : public ManualTimer {
 public:
  RegisteredTimer(std::function<void()> handler, std::shared_ptr<ManualHost::Shared> shared)
      : ManualTimer(std::move(handler)), shared_(std::move(shared)) {
    shared_->timers.push_back(this);
  }
  ~RegisteredTimer() override { std::erase(shared_->timers, this); }

 private:
  std::shared_ptr<ManualHost::Shared> shared_;
};

}  // namespace

std::unique_ptr<vantor::IntervalTimer> ManualHost::createTimer(std::function<void()> handler) {
  return std::make_unique<RegisteredTimer>(std::move(handler), shared_);
}

FakePlayer::FakePlayer(World &world, bool mpeg, std::function<void()> onEnd)
    : world_(world), mpeg_(mpeg), onEnd_(std::move(onEnd)) {
  (mpeg_ ? world_.mpeg : world_.media) = this;
  ++(mpeg_ ? world_.mpegCreated : world_.mediaCreated);
}

FakePlayer::~FakePlayer() {
  if (inCallback_) world_.freedInsideCallback = true;
  (mpeg_ ? world_.mpeg : world_.media) = nullptr;
}

void FakePlayer::playFile(const std::string &path) {
  playing_ = ended_ = notified_ = false;
  if (mpeg_ ? world_.mpegFails : world_.mediaFails) throw std::runtime_error("no device");
  world_.played.push_back((mpeg_ ? "mpeg:" : "media:") +
                          std::filesystem::path(path).filename().string());
  playing_ = true;
}

void FakePlayer::stopIfPlaying() {
  if (!playing_) return;
  playing_ = false;
  ++world_.stops;
}

void FakePlayer::end() {
  playing_ = false;
  ended_ = true;
  if (mpeg_) callBack();
}

void FakePlayer::tick() {
  if (ended_ && !notified_) {
    notified_ = true;
    callBack();
  }
}

void FakePlayer::callBack() {
  inCallback_ = true;
  onEnd_();
  inCallback_ = false;
}

std::unique_ptr<vantor::TrackPlayer> FakeFactory::createMpeg(vantor::IntervalTimerFactory,
                                                             std::function<void()> onEnd) {
  return std::make_unique<FakePlayer>(world_, true, std::move(onEnd));
}

std::unique_ptr<vantor::TrackPlayer> FakeFactory::createMedia(std::function<void()> onEnd) {
  return std::make_unique<FakePlayer>(world_, false, std::move(onEnd));
}

void runPosted(ManualHost::Shared &loop, int limit) {
  while (!loop.tasks.empty() && limit-- > 0) {
    auto task = std::move(loop.tasks.front());
    loop.tasks.pop_front();
    task();
  }
}

}  // namespace musictest
