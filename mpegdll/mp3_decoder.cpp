#include "mp3_decoder.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace mpegdll {
namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { ::close(fd_); }
  long read(void *buffer, size_t count) override { return ::read(fd_, buffer, count); }
  int64_t seek(int64_t offset, int whence) override { return ::lseek(fd_, offset, whence); }
  int64_t size() const override {
    struct stat st {};
    return fstat(fd_, &st) == 0 ? st.st_size : 0;
  }

 private:
  int fd_;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t *data, size_t size) : data_(data, data + size) {}
  long read(void *buffer, size_t count) override {
    size_t n = std::min(count, data_.size() - pos_);
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }
  int64_t seek(int64_t offset, int whence) override {
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? pos_ : data_.size();
    int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(data_.size())) return -1;
    pos_ = static_cast<size_t>(target);
    return target;
  }
  int64_t size() const override { return static_cast<int64_t>(data_.size()); }

 private:
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

ssize_t readThunk(void *handle, void *buffer, size_t count) {
  return static_cast<ByteSource *>(handle)->read(buffer, count);
}

off_t seekThunk(void *handle, off_t offset, int whence) {
  return static_cast<off_t>(static_cast<ByteSource *>(handle)->seek(offset, whence));
}

// libmpg123 before 1.27 wants a global initialisation; later ones ignore it.
bool libraryReady() {
  static const bool ready = mpg123_init() == MPG123_OK;
  return ready;
}

// Only signed 16-bit output at the stream's own rate, never resampled.
bool restrictToS16(mpg123_handle *h) {
  if (mpg123_format_none(h) != MPG123_OK) return false;
  const long *rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    if (mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
      return false;
  return true;
}

}  // namespace

Mp3Decoder::Mp3Decoder() {
  if (!libraryReady()) return;
  handle_ = mpg123_new(nullptr, nullptr);
  if (!handle_) return;
  mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  if (!restrictToS16(handle_)) {
    mpg123_delete(handle_);
    handle_ = nullptr;
  }
}

Mp3Decoder::~Mp3Decoder() {
  close();
  if (handle_) mpg123_delete(handle_);
}

void Mp3Decoder::close() {
  if (handle_ && source_) mpg123_close(handle_);
  source_.reset();
  info_ = {};
}

bool Mp3Decoder::openFile(const std::string &path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  return openSource(std::make_unique<FileSource>(fd));
}

bool Mp3Decoder::openMemory(const uint8_t *data, size_t size) {
  return openSource(std::make_unique<MemorySource>(data, size));
}

bool Mp3Decoder::openSource(std::unique_ptr<ByteSource> source) {
  close();
  if (!handle_) return false;
  if (mpg123_replace_reader_handle(handle_, readThunk, seekThunk, nullptr) != MPG123_OK)
    return false;
  if (mpg123_open_handle(handle_, source.get()) != MPG123_OK) return false;
  source_ = std::move(source);
  if (readFormat()) return true;
  close();
  return false;
}

bool Mp3Decoder::readFormat() {
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK) return false;
  if (encoding != MPG123_ENC_SIGNED_16 || rate <= 0 || channels < 1 || channels > 2) return false;
  // Fix the output format to what the first frame said; a stream that changes
  // it midway ends there instead of being resampled.
  mpg123_format_none(handle_);
  mpg123_format(handle_, rate, channels, MPG123_ENC_SIGNED_16);
  mpg123_frameinfo fi{};
  if (mpg123_info(handle_, &fi) != MPG123_OK) return false;
  // Without a header frame that gives the exact length, scanning reads the
  // frame headers once so that length and seeking are exact all the same.
  long accurate = 0;
  if (mpg123_getstate(handle_, MPG123_ACCURATE, &accurate, nullptr) != MPG123_OK || !accurate)
    if (mpg123_scan(handle_) != MPG123_OK) return false;
  off_t frames = mpg123_length(handle_);
  info_.rate = rate;
  info_.channels = channels;
  info_.frames = frames > 0 ? frames : 0;
  info_.layer = fi.layer;
  info_.bitrateKbps = fi.bitrate;
  if (fi.vbr != MPG123_CBR && info_.frames > 0)
    info_.bitrateKbps = static_cast<int>(source_->size() * 8 * rate / info_.frames / 1000);
  return true;
}

DecodeStatus Mp3Decoder::read(uint8_t *buffer, size_t capacity, size_t &produced) {
  produced = 0;
  if (!source_) return DecodeStatus::Failed;
  size_t want = capacity - capacity % bytesPerFrame();
  int rc = mpg123_read(handle_, buffer, want, &produced);
  produced -= produced % bytesPerFrame();
  switch (rc) {
    case MPG123_OK:
      return DecodeStatus::Ok;
    case MPG123_DONE:
      return DecodeStatus::Done;
    case MPG123_NEW_FORMAT: {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(handle_, &rate, &channels, &encoding);
      bool same = rate == info_.rate && channels == info_.channels;
      return same ? DecodeStatus::Ok : DecodeStatus::Failed;
    }
    default:
      return DecodeStatus::Failed;
  }
}

bool Mp3Decoder::seekFrame(int64_t frame) {
  if (!source_) return false;
  return mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) >= 0;
}

}  // namespace mpegdll
