#pragma once
// Decoders that turn the bytes of a picture file into a 24-bit bitmap.
// Each outside library's error handling stays inside its own decode_*.cpp;
// callers see only DecodeError.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

#include "gfx/bitmap.h"

namespace vantor {

// Every failure to decode: unreadable, truncated, corrupt, unsupported or too
// large. The bitmap the caller held before is never touched.
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pictures with more pixels than this are declined before any pixel buffer is
// allocated. The decoded bitmap then needs at most 300 MB; the decoders that
// go through a 32-bit intermediate image (TIFF, Qt's readers, PNG with alpha)
// need at most 4 more bytes a pixel while they run.
inline constexpr int64_t kMaxPicturePixels = 100'000'000;

// Throws DecodeError when width x height is empty or above kMaxPicturePixels.
void checkPictureSize(int64_t width, int64_t height);

struct DecodeOptions {
  // Transparent pixels are drawn over this colour...
  gfx::Color background = 0;
  // ...unless flatten is false: then the colour channels are kept as stored
  // and the alpha is ignored (how Windows bitmaps are shown).
  bool flatten = true;
  // Asked with the picture's full size; answers the size the picture will be
  // scaled down to, or an empty size when it is shown as it is. Decoders that
  // can decode at a reduced scale (JPEG) stay at least as large as the answer.
  std::function<gfx::Size(gfx::Size)> targetSize;
};

struct Decoded {
  gfx::Bitmap bitmap;
  gfx::Size fullSize;  // the picture's own size; larger than bitmap when reduced
};

Decoded decodeJpeg(std::span<const uint8_t> data, const DecodeOptions &options);
Decoded decodePng(std::span<const uint8_t> data, const DecodeOptions &options);
// First frame on the logical screen; transparent and uncovered pixels take
// the background colour.
Decoded decodeGif(std::span<const uint8_t> data, const DecodeOptions &options);
// First page only.
Decoded decodeTiff(std::span<const uint8_t> data, const DecodeOptions &options);
// Qt's readers: format is "bmp", "ico", "ppm", "pgm" or "pbm".
Decoded decodeWithQt(std::span<const uint8_t> data, const std::string &format,
                     const DecodeOptions &options);

// The colour's channels in bitmap order: blue, green, red.
inline std::array<uint8_t, 3> bgrOf(gfx::Color c) {
  return {gfx::blueOf(c), gfx::greenOf(c), gfx::redOf(c)};
}

// A read position in the bytes of one file, for the libraries' read
// callbacks.
struct ByteSource {
  std::span<const uint8_t> bytes;
  size_t offset = 0;
  // Copies up to n bytes to out and returns how many there were.
  size_t read(void *out, size_t n);
  // Moves to `position`, at most to the end.
  void seek(uint64_t position);
};

// Blends one straight (not premultiplied) colour channel over the background.
inline uint8_t blendOver(uint8_t c, uint8_t alpha, uint8_t bg) {
  return uint8_t((c * alpha + bg * (255 - alpha) + 127) / 255);
}

}  // namespace vantor
