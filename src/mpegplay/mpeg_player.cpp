#include "mpegplay/mpeg_player.h"

#include <array>
#include <cstring>

namespace mpegplay {

std::string libraryErrorMessage(int32_t code) {
  static const char *const kMessages[] = {
      "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
      "Input stream error",      "Input stream is non-seekable", "Output device failure",
  };
  if (code >= 0 && code < static_cast<int32_t>(std::size(kMessages))) return kMessages[code];
  return "MPEG library error " + std::to_string(code);
}

}  // namespace mpegplay

namespace {

using mpegplay::libraryErrorMessage;

constexpr uint8_t kNotLoaded = 0, kInternal = 1, kIncorrectMode = 2, kInputError = 3,
                  kOutputFailure = 5;
constexpr int32_t kDeviceDefault = 0, kDevicePcmFile = 2;

[[noreturn]] void raise(uint8_t code) {
  throw TMPEGError(libraryErrorMessage(code), code);
}

// The library takes names in fixed buffers. A name that does not fit is
// refused rather than cut, since a cut name would be another file.
template <size_t N>
std::array<char, N> fixedName(const std::string &name, uint8_t codeIfTooLong) {
  if (name.size() >= N) raise(codeIfTooLong);
  std::array<char, N> buffer{};
  std::memcpy(buffer.data(), name.data(), name.size());
  return buffer;
}

}  // namespace

int32_t libraryPriority(TPlayerPriority priority) {
  static constexpr int32_t kValues[] = {-15, -2, -1, 0, 1, 2, 15};
  return kValues[static_cast<int>(priority)];
}

TMPEGPlayer::TMPEGPlayer(vantor::IntervalTimerFactory timerFactory)
    : timerFactory_(std::move(timerFactory)) {}

// An open stream is closed first: the library's thread writes the end flag,
// which lives in this object.
TMPEGPlayer::~TMPEGPlayer() {
  if (library_.loaded() && opened_) library_.fn().Close();
}

const mpegplay::MpegFunctions &TMPEGPlayer::lib() const {
  if (!library_.loaded()) raise(kNotLoaded);
  return library_.fn();
}

void TMPEGPlayer::check() const {
  int32_t code = library_.fn().LastError();
  if (code > 0) throw TMPEGError(libraryErrorMessage(code), static_cast<uint8_t>(code));
}

void TMPEGPlayer::loadLibrary() {
  if (library_.loaded()) return;
  switch (library_.load(mpegplay::mpegLibraryPath(pathToDll_))) {
    case mpegplay::LoadResult::NotFound:
      throw TMPEGError("Can't load MPEG library", mpegplay::kLoadFailedCode);
    case mpegplay::LoadResult::Incomplete:
      raise(kNotLoaded);
    case mpegplay::LoadResult::Loaded:
      break;
  }
  if (library_.fn().init() == 0) {
    int32_t code = library_.fn().LastError();
    library_.unload();
    raise(static_cast<uint8_t>(code));
  }
  if (timerFactory_) timer_ = timerFactory_([this] { tick(); });
  switchTimer(false);
  updateTimerInterval();
}

void TMPEGPlayer::open() {
  const auto &fn = lib();
  if (opened_) close();
  if (streamName_.empty())
    throw TMPEGError("Can't play non-specified stream", mpegplay::kNoStreamCode);
  auto name = fixedName<512>(streamName_, kInputError);
  fn.Open(name.data(), fromStream_ ? 1 : 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
          this);
  check();
  opened_ = true;
  playedXTimes_ = 1;
  length_ = fn.GetLength();
  check();
  if (autoPlay_) play();
}

void TMPEGPlayer::play() {
  const auto &fn = lib();
  if (playing_) return;
  if (!opened_) open();
  if (playing_) return;  // AutoPlay started it while opening
  if (playedXTimes_ < 2) {
    firstPlay();
  } else {
    clearEndFlag();
    fn.Restart();
    check();
  }
  playing_ = true;
  ++playedXTimes_;
  if (useTimer_ && timerFreq_ > 0 && timer_) {
    switchTimer(true);
    tick();
  }
}

void TMPEGPlayer::firstPlay() {
  const auto &fn = lib();
  fn.SetPriority(libraryPriority(priority_));
  check();
  bool toFile = outputDevice_ == TOutputDevice::pcmfile && !outFilename_.empty();
  auto outName = fixedName<260>(toFile ? outFilename_ : std::string(), kOutputFailure);
  fn.SetOutputDevice(toFile ? kDevicePcmFile : kDeviceDefault, outName.data());
  check();
  int32_t failed = fn.Play(startPos_, endPos_, &endFlag_);
  check();
  if (failed != 0) raise(kInternal);
}

void TMPEGPlayer::stop() {
  const auto &fn = lib();
  if (!playing_ || ended()) raise(kIncorrectMode);
  fn.Stop();
  check();
  playing_ = false;
}

void TMPEGPlayer::close() {
  const auto &fn = lib();
  opened_ = false;
  playing_ = false;
  playedXTimes_ = 0;
  fn.Close();
  check();
}

int32_t TMPEGPlayer::playerMode() {
  int32_t mode = lib().GetPlayerMode();
  check();
  return mode;
}

// Runs from the owner's timer, where nothing would catch an exception: the
// position is read without raising.
void TMPEGPlayer::tick() {
  if (!library_.loaded() || !opened_ || !playing_) {
    switchTimer(false);
    return;
  }
  int32_t position = library_.fn().GetCurrentPos();
  if (position > length_) position = 0;
  if (OnPosUpdate) OnPosUpdate(position, length_);
  if (!ended()) return;
  switchTimer(false);
  playing_ = false;
  if (!OnPlayEnd) return;
  clearEndFlag();
  // Last: the handler may start another track on this player.
  OnPlayEnd();
}

void TMPEGPlayer::setStreamName(const std::string &name) {
  if (opened_) close();
  streamName_ = name;
}

void TMPEGPlayer::setUseTimer(bool on) {
  useTimer_ = on;
  updateTimerInterval();
}

void TMPEGPlayer::setTimerFreq(int milliseconds) {
  timerFreq_ = milliseconds;
  if (milliseconds == 0) useTimer_ = false;
  updateTimerInterval();
}

void TMPEGPlayer::updateTimerInterval() {
  if (timer_) timer_->setInterval(useTimer_ ? timerFreq_ : 0);
}

void TMPEGPlayer::switchTimer(bool on) {
  if (timer_) timer_->setEnabled(on);
}
