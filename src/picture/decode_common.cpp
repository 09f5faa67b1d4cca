#include <algorithm>
#include <cstring>
#include <string>

#include "picture/decode.h"
#include "platform/cancel.h"

namespace vantor {

void checkPictureSize(int64_t width, int64_t height, int bytesPerPixel, int64_t extraBytes) {
  if (width <= 0 || height <= 0) throw DecodeError("picture has no pixels");
  // Each factor is checked against the budget first, so the products cannot
  // overflow.
  const int64_t room = kMaxDecodeBytes - extraBytes;
  if (room <= 0 || width > room || height > room || width * height > room / bytesPerPixel)
    throw DecodeError("picture too large: " + std::to_string(width) + " x " +
                      std::to_string(height));
}

void decodeFailed(const std::string &what) {
  if (CancelRequested()) throw Cancelled();
  throw DecodeError(what);
}

PictureSource::PictureSource(std::span<const uint8_t> bytes) : bytes_(bytes), size_(bytes.size()) {}

PictureSource::PictureSource(const std::string &fileName) {
  file_ = std::fopen(fileName.c_str(), "rb");
  if (!file_) throw DecodeError("cannot open " + fileName);
  off_t end = -1;
  if (fseeko(file_, 0, SEEK_END) == 0) end = ftello(file_);
  if (end < 0 || fseeko(file_, 0, SEEK_SET) != 0) {
    std::fclose(file_);
    throw DecodeError("cannot read " + fileName);
  }
  size_ = uint64_t(end);
}

PictureSource::~PictureSource() {
  if (file_) std::fclose(file_);
}

size_t PictureSource::read(void *out, size_t n) {
  if (CancelRequested()) return 0;
  n = size_t(std::min<uint64_t>(n, size_ - offset_));
  if (n == 0) return 0;
  if (!file_) {
    std::memcpy(out, bytes_.data() + offset_, n);
  } else {
    if (filePosition_ != offset_) {
      if (fseeko(file_, off_t(offset_), SEEK_SET) != 0) return 0;
      filePosition_ = offset_;
    }
    n = std::fread(out, 1, n, file_);
    filePosition_ += n;
  }
  offset_ += n;
  return n;
}

void PictureSource::seek(uint64_t position) {
  offset_ = std::min(position, size_);
}

}  // namespace vantor
