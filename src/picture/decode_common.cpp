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

namespace {

// Output index i reads source index (2i + 1) * from / (2 * to): the centre
// of each output pixel, as gfx::stretchCopy samples.
std::vector<int> centreSamples(int to, int from) {
  std::vector<int> v(static_cast<size_t>(to));
  for (int i = 0; i < to; ++i) v[size_t(i)] = int((2 * int64_t(i) + 1) * from / (2 * int64_t(to)));
  return v;
}

}  // namespace

RowFit::RowFit(gfx::Size full, gfx::Size target)
    : reduces_(!target.empty() && target.width <= full.width && target.height <= full.height &&
               target != full) {
  const gfx::Size out = reduces_ ? target : full;
  columns_ = centreSamples(out.width, full.width);
  rows_ = centreSamples(out.height, full.height);
  firstOf_.assign(size_t(std::max(full.height, 0)), -1);
  for (int j = int(rows_.size()) - 1; j >= 0; --j) firstOf_[size_t(rows_[size_t(j)])] = j;
}

int RowFit::firstRowOf(int y) const {
  return firstOf_[size_t(y)];
}

int RowFit::rowCountOf(int y) const {
  int j = firstOf_[size_t(y)];
  if (j < 0) return 0;
  int n = 0;
  while (j + n < int(rows_.size()) && rows_[size_t(j + n)] == y) ++n;
  return n;
}

void RowFit::put(const uint8_t *bgr, int y, gfx::Bitmap &out) const {
  const int first = firstRowOf(y);
  if (first < 0) return;
  uint8_t *d = out.row(first);
  for (size_t i = 0; i < columns_.size(); ++i)
    std::memcpy(d + 3 * i, bgr + 3 * size_t(columns_[i]), 3);
  const int count = rowCountOf(y);
  for (int n = 1; n < count; ++n) std::memcpy(out.row(first + n), d, columns_.size() * 3);
}

void PictureSource::seek(uint64_t position) {
  offset_ = std::min(position, size_);
}

}  // namespace vantor
