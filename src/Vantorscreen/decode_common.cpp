#include <algorithm>
#include <cstring>
#include <string>

#include "Vantorscreen/decode.h"

namespace vantor {

void checkPictureSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) throw DecodeError("picture has no pixels");
  // Both factors are below 2^32 wherever they come from, so the product
  // cannot overflow.
  if (width > 0xFFFFFFFFll || height > 0xFFFFFFFFll || width * height > kMaxPicturePixels)
    throw DecodeError("picture too large: " + std::to_string(width) + " x " +
                      std::to_string(height));
}

size_t ByteSource::read(void *out, size_t n) {
  n = std::min(n, bytes.size() - offset);
  if (n > 0) std::memcpy(out, bytes.data() + offset, n);
  offset += n;
  return n;
}

void ByteSource::seek(uint64_t position) {
  offset = size_t(std::min<uint64_t>(position, bytes.size()));
}

}  // namespace vantor
