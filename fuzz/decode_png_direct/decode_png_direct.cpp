// Any bytes given to our own PNG reader either decode, are left to libpng,
// or raise DecodeError; half the inputs are reduced while they decode.
#include <cstddef>
#include <cstdint>

#include "picture/decode_png_direct.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  vantor::DecodeOptions options;
  options.background = 0x00804020;
  if (size % 2)
    options.targetSize = [](gfx::Size full) { return gfx::Size{full.width / 3, full.height / 2}; };
  try {
    vantor::PictureSource source({data, size});
    (void)vantor::decodePngDirect(source, options);
  } catch (const vantor::DecodeError &) {
  }
  return 0;
}
