#pragma once
// Decoders that turn the bytes of a picture file into a 24-bit bitmap.
// Each outside library's error handling stays inside its own decode_*.cpp;
// callers see only DecodeError.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/bitmap.h"

namespace vantor {

// Every failure to decode: unreadable, truncated, corrupt, unsupported or too
// large. The bitmap the caller held before is never touched. A decode that
// is cancelled (see platform/cancel.h) throws Cancelled instead.
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Everything that decoding one picture holds at once stays within this:
// the decoded bitmap, any intermediate image and the libraries' own buffers
// (a progressive JPEG's coefficients). Only the pixels actually decoded
// count, so a photograph far larger than the screen still shows when its
// decoder can reduce it while decoding.
inline constexpr int64_t kMaxDecodeBytes = int64_t(256) << 20;

// Throws DecodeError when width x height is empty, or when that many pixels
// at `bytesPerPixel` plus `extraBytes` exceed kMaxDecodeBytes. Decoders pass
// every byte a pixel costs them while they run (3 for the bitmap alone,
// which allows 89 million pixels).
void checkPictureSize(int64_t width, int64_t height, int bytesPerPixel = 3, int64_t extraBytes = 0);

// Throws Cancelled when the calling thread's job was cancelled, else
// DecodeError with `what`. Every decoder ends a failed decode through here,
// since a library that stops because its input ran dry cannot tell a
// cancelled read from a cut file.
[[noreturn]] void decodeFailed(const std::string &what);

struct DecodeOptions {
  // Transparent pixels are drawn over this colour...
  gfx::Color background = 0;
  // ...unless flatten is false: then the colour channels are kept as stored
  // and the alpha is ignored (how Windows bitmaps are shown).
  bool flatten = true;
  // Asked with the picture's full size; answers the size the picture will be
  // scaled down to, or an empty size when it is shown as it is. JPEG and
  // PNG, which deliver rows in order, sample them straight down to the
  // answer as the fit would (see RowFit); the others stay larger.
  std::function<gfx::Size(gfx::Size)> targetSize;
  // Whether a picture is turned upright by the orientation its EXIF block
  // records (JPEG, WebP). Off for files whose pixels were already turned
  // but still carry the camera's tag.
  bool exifOrientation = true;
};

// With the orientation applied, bitmap and fullSize are upright: a picture
// turned a quarter has its width and height exchanged, and targetSize is
// asked with the upright size.
struct Decoded {
  gfx::Bitmap bitmap;
  gfx::Size fullSize;  // the picture's own size; larger than bitmap when reduced
};

// The bytes of one picture file as the decoders read them: from memory, or
// from the open file a piece at a time, so that nothing after the picture's
// own data (padding, a second image) is ever read. Reads stop, returning
// no bytes, once the calling thread's job is cancelled.
class PictureSource {
 public:
  explicit PictureSource(std::span<const uint8_t> bytes);
  // Throws DecodeError when the file cannot be opened.
  explicit PictureSource(const std::string &fileName);
  ~PictureSource();
  PictureSource(const PictureSource &) = delete;
  PictureSource &operator=(const PictureSource &) = delete;

  // Copies up to n bytes to out and returns how many there were: fewer at
  // the end, none on a read error or once cancelled.
  [[nodiscard]] size_t read(void *out, size_t n);
  // Moves to `position`, at most to the end.
  void seek(uint64_t position);
  uint64_t offset() const { return offset_; }
  uint64_t size() const { return size_; }

 private:
  std::span<const uint8_t> bytes_;
  std::FILE *file_ = nullptr;
  uint64_t size_ = 0;
  uint64_t offset_ = 0;
  uint64_t filePosition_ = 0;  // where the next fread of file_ starts
};

Decoded decodeJpeg(PictureSource &source, const DecodeOptions &options);
Decoded decodePng(PictureSource &source, const DecodeOptions &options);
// First frame on the logical screen; transparent and uncovered pixels take
// the background colour.
Decoded decodeGif(PictureSource &source, const DecodeOptions &options);
// First page only.
Decoded decodeTiff(PictureSource &source, const DecodeOptions &options);
// Qt's readers: format is "bmp", "ico", "ppm", "pgm" or "pbm".
Decoded decodeWithQt(PictureSource &source, const std::string &format,
                     const DecodeOptions &options);

// The same decoders over bytes in memory.
inline Decoded decodeJpeg(std::span<const uint8_t> data, const DecodeOptions &options) {
  PictureSource source(data);
  return decodeJpeg(source, options);
}
inline Decoded decodePng(std::span<const uint8_t> data, const DecodeOptions &options) {
  PictureSource source(data);
  return decodePng(source, options);
}
inline Decoded decodeGif(std::span<const uint8_t> data, const DecodeOptions &options) {
  PictureSource source(data);
  return decodeGif(source, options);
}
inline Decoded decodeTiff(std::span<const uint8_t> data, const DecodeOptions &options) {
  PictureSource source(data);
  return decodeTiff(source, options);
}
inline Decoded decodeWithQt(std::span<const uint8_t> data, const std::string &format,
                            const DecodeOptions &options) {
  PictureSource source(data);
  return decodeWithQt(source, format, options);
}

// A nearest-neighbour reduction made while a decoder delivers its rows top
// to bottom, so that a picture far larger than the screen is never held
// whole. It samples exactly the pixels gfx::stretchCopy would take from the
// whole picture (the centre of each output pixel), so fitting its output to
// the same size afterwards copies it unchanged.
class RowFit {
 public:
  // An empty `target`, or one not smaller than `full` on both sides, keeps
  // the picture's own size.
  RowFit(gfx::Size full, gfx::Size target);
  gfx::Size size() const { return {int(columns_.size()), int(rows_.size())}; }
  bool reduces() const { return reduces_; }
  // The source column of each output column.
  const std::vector<int> &columns() const { return columns_; }
  // The output rows that read source row y, which arrive in order: the
  // first of them (or -1 when none does) and how many.
  int firstRowOf(int y) const;
  int rowCountOf(int y) const;
  // Samples the BGR row y of the source into the output rows that read it.
  void put(const uint8_t *bgr, int y, gfx::Bitmap &out) const;

 private:
  bool reduces_ = false;
  std::vector<int> columns_;
  std::vector<int> rows_;     // the source row of each output row
  std::vector<int> firstOf_;  // per source row: first output row reading it, or -1
};

// The colour's channels in bitmap order: blue, green, red.
inline std::array<uint8_t, 3> bgrOf(gfx::Color c) {
  return {gfx::blueOf(c), gfx::greenOf(c), gfx::redOf(c)};
}

// Blends one straight (not premultiplied) colour channel over the background.
inline uint8_t blendOver(uint8_t c, uint8_t alpha, uint8_t bg) {
  return uint8_t((c * alpha + bg * (255 - alpha) + 127) / 255);
}

}  // namespace vantor
