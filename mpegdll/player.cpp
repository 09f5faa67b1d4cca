#include "player.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "mpegdll.h"

namespace mpegdll {
namespace {

constexpr size_t kChunkBytes = 16384;
// A stream that keeps answering with nothing is broken, not slow.
constexpr int kMaxEmptyReads = 1000;

bool active(int32_t mode) {
  return mode == MPEGDLL_MODE_PLAYING || mode == MPEGDLL_MODE_PAUSED;
}

}  // namespace

int niceFor(int32_t priority, int processNice) {
  int delta;
  if (priority <= -15)
    delta = 19;
  else if (priority >= 15)
    delta = -20;
  else
    delta = std::clamp(-5 * priority, -10, 10);
  return std::clamp(processNice + delta, -20, 19);
}

Player::~Player() {
  close();
}

bool Player::fail(Error e) {
  error_.store(static_cast<int32_t>(e));
  return false;
}

bool Player::init() {
  std::lock_guard lock(api_);
  errno = 0;
  int nice = getpriority(PRIO_PROCESS, 0);
  processNice_ = errno == 0 ? nice : 0;
  ready_ = Mp3Decoder().usable();
  if (!ready_) return fail(Error::Internal);
  succeed();
  return true;
}

void Player::deinit() {
  close();
  std::lock_guard lock(api_);
  ready_ = false;
}

void Player::open(const char *name, bool fromStream) {
  std::lock_guard lock(api_);
  if (!ready_) return void(fail(Error::Mode));
  halt();
  decoder_.reset();
  request_ = {};
  mode_.store(MPEGDLL_MODE_CLOSED);
  // Streams fed through callbacks are not supported by this library.
  if (fromStream || !name || !*name) return void(fail(Error::Input));
  auto decoder = std::make_unique<Mp3Decoder>();
  if (!decoder->usable()) return void(fail(Error::Internal));
  if (!decoder->openFile(name)) return void(fail(Error::Input));
  decoder_ = std::move(decoder);
  stoppedFrame_ = 0;
  mode_.store(MPEGDLL_MODE_STOPPED);
  succeed();
}

void Player::setPriority(int32_t priority) {
  std::lock_guard lock(api_);
  priority_ = priority;
  applyPriority();
  succeed();
}

void Player::applyPriority() {
  int tid = threadId_.load();
  // Raising the priority needs a privilege the program may not have; the
  // thread then simply keeps the priority it has.
  if (tid != 0)
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceFor(priority_.load(), processNice_));
}

void Player::setOutputDevice(int32_t device, const char *fileName) {
  std::lock_guard lock(api_);
  device_ = device;
  outFileName_ = fileName ? fileName : "";
  bool known = device == static_cast<int32_t>(Device::Default) ||
               (device == static_cast<int32_t>(Device::PcmFile) && !outFileName_.empty());
  if (known)
    succeed();
  else
    fail(Error::Output);
}

int32_t Player::play(int32_t startMs, int32_t endMs, volatile uint8_t *endFlag) {
  std::lock_guard lock(api_);
  if (!ready_ || !decoder_ || active(currentMode())) {
    fail(Error::Mode);
    return 1;
  }
  halt();
  request_ = {true, startMs, endMs, endFlag};
  return start() ? 0 : 1;
}

void Player::restart() {
  std::lock_guard lock(api_);
  if (!decoder_ || !request_.valid) return void(fail(Error::Mode));
  halt();
  start();
}

int64_t Player::msToFrame(int64_t ms) const {
  const StreamInfo &s = decoder_->info();
  int64_t frame = std::max<int64_t>(ms, 0) * s.rate / 1000;
  return s.frames > 0 ? std::min(frame, s.frames) : frame;
}

bool Player::start() {
  const StreamInfo &s = decoder_->info();
  sink_ = openSink(device_, outFileName_, s.rate, s.channels);
  if (!sink_) return fail(Error::Output);
  int64_t startFrame = msToFrame(request_.startMs);
  int64_t endFrame = request_.endMs > request_.startMs ? msToFrame(request_.endMs) : INT64_MAX;
  if (s.frames > 0) endFrame = std::min(endFrame, s.frames);
  if (!decoder_->seekFrame(startFrame)) {
    sink_.reset();
    return fail(Error::Internal);
  }
  if (request_.endFlag) __atomic_store_n(request_.endFlag, 0, __ATOMIC_RELEASE);
  cancel_.store(false);
  paused_.store(false);
  finished_.store(false);
  pendingSeek_.store(-1);
  baseFrame_.store(startFrame);
  mode_.store(MPEGDLL_MODE_PLAYING);
  thread_ = std::thread(&Player::run, this, endFrame);
  succeed();
  return true;
}

// Ends the decoding thread, if any, and releases the output. Afterwards the
// thread no longer touches the decoder, the sink or the caller's end flag.
void Player::halt() {
  {
    std::lock_guard lock(pauseMutex_);
    cancel_.store(true);
    paused_.store(false);
  }
  pauseChanged_.notify_all();
  if (thread_.joinable()) thread_.join();
  threadId_.store(0);
  if (sink_) stoppedFrame_ = currentFrame();
  sink_.reset();
  finished_.store(false);
}

void Player::run(int64_t endFrame) {
  threadId_.store(static_cast<int>(gettid()));
  applyPriority();
  // A failure while decoding or writing ends the track as its end would: a
  // caller waiting for the end flag then moves on instead of waiting forever.
  decodeUntil(endFrame);
  if (!cancel_.load()) sink_->drain(cancel_);
  if (cancel_.load()) return;
  // Release: whatever was written to the output is in place when the caller
  // sees the flag.
  if (request_.endFlag) __atomic_store_n(request_.endFlag, 1, __ATOMIC_RELEASE);
  finished_.store(true);
}

// Returns at the end frame, at the stream's end, on a failure or when cancelled.
void Player::decodeUntil(int64_t endFrame) {
  std::vector<uint8_t> chunk(kChunkBytes);
  const size_t frameBytes = decoder_->bytesPerFrame();
  int64_t at = baseFrame_.load();
  int emptyReads = 0;
  while (!cancel_.load()) {
    waitWhilePaused();
    int64_t seekTo = pendingSeek_.exchange(-1);
    if (seekTo >= 0) {
      if (!decoder_->seekFrame(seekTo)) return;
      sink_->discard();
      baseFrame_.store(seekTo);
      at = seekTo;
    }
    if (at >= endFrame) return;
    size_t produced = 0;
    DecodeStatus status = decoder_->read(chunk.data(), chunk.size(), produced);
    int64_t frames = std::min<int64_t>(produced / frameBytes, endFrame - at);
    emptyReads = frames > 0 ? 0 : emptyReads + 1;
    if (frames > 0 && !sink_->write(chunk.data(), frames * frameBytes, cancel_)) return;
    at += frames;
    if (status != DecodeStatus::Ok || emptyReads > kMaxEmptyReads) return;
  }
}

void Player::waitWhilePaused() {
  std::unique_lock lock(pauseMutex_);
  pauseChanged_.wait(lock, [this] { return !paused_.load() || cancel_.load(); });
}

void Player::stop() {
  std::lock_guard lock(api_);
  int32_t m = currentMode();
  if (!active(m) && m != MPEGDLL_MODE_ENDED) return void(fail(Error::Mode));
  halt();
  mode_.store(MPEGDLL_MODE_STOPPED);
  succeed();
}

void Player::close() {
  std::lock_guard lock(api_);
  halt();
  decoder_.reset();
  request_ = {};
  stoppedFrame_ = 0;
  mode_.store(MPEGDLL_MODE_CLOSED);
  succeed();
}

void Player::pause() {
  std::lock_guard lock(api_);
  int32_t m = currentMode();
  if (!active(m)) return void(fail(Error::Mode));
  bool pausing = m == MPEGDLL_MODE_PLAYING;
  {
    std::lock_guard pl(pauseMutex_);
    paused_.store(pausing);
  }
  pauseChanged_.notify_all();
  sink_->setPaused(pausing);
  mode_.store(pausing ? MPEGDLL_MODE_PAUSED : MPEGDLL_MODE_PLAYING);
  succeed();
}

void Player::seek(int32_t positionMs) {
  std::lock_guard lock(api_);
  if (!active(currentMode())) return void(fail(Error::Mode));
  pendingSeek_.store(msToFrame(positionMs));
  succeed();
}

void Player::resetMode() {
  std::lock_guard lock(api_);
  if (currentMode() == MPEGDLL_MODE_ENDED) {
    halt();
    mode_.store(MPEGDLL_MODE_STOPPED);
  }
  succeed();
}

int32_t Player::currentMode() const {
  int32_t m = mode_.load();
  return active(m) && finished_.load() ? MPEGDLL_MODE_ENDED : m;
}

int64_t Player::currentFrame() const {
  if (!sink_) return stoppedFrame_;
  return baseFrame_.load() + sink_->framesPlayed();
}

int32_t Player::mode() {
  std::lock_guard lock(api_);
  succeed();
  return currentMode();
}

int32_t Player::position() {
  std::lock_guard lock(api_);
  succeed();
  if (!decoder_) return 0;
  return static_cast<int32_t>(currentFrame() * 1000 / decoder_->info().rate);
}

int32_t Player::length() {
  std::lock_guard lock(api_);
  succeed();
  return decoder_ ? static_cast<int32_t>(decoder_->info().lengthMs()) : 0;
}

int32_t Player::frequency() {
  std::lock_guard lock(api_);
  succeed();
  return decoder_ ? static_cast<int32_t>(decoder_->info().rate) : 0;
}

int32_t Player::bitrate() {
  std::lock_guard lock(api_);
  succeed();
  return decoder_ ? decoder_->info().bitrateKbps : 0;
}

int32_t Player::layer() {
  std::lock_guard lock(api_);
  succeed();
  return decoder_ ? decoder_->info().layer : 0;
}

}  // namespace mpegdll
