// Any bytes given to the JPEG decoder either decode or raise DecodeError.
#include <cstddef>
#include <cstdint>

#include "picture/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  vantor::DecodeOptions options;
  options.background = 0x00804020;
  options.targetSize = [](gfx::Size full) { return gfx::Size{full.width / 3, full.height / 3}; };
  try {
    vantor::decodeJpeg({data, size}, options);
  } catch (const vantor::DecodeError &) {
  }
  return 0;
}
