// Any bytes given to Qt's bitmap, icon and portable-pixmap readers either
// decode or raise DecodeError. The first byte picks the reader.
#include <cstddef>
#include <cstdint>

#include "picture/decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const char *const formats[] = {"bmp", "ico", "ppm", "pgm", "pbm"};
  if (size < 1) return 0;
  vantor::DecodeOptions options;
  options.flatten = (data[0] & 8) != 0;
  try {
    vantor::decodeWithQt({data + 1, size - 1}, formats[data[0] % 5], options);
  } catch (const vantor::DecodeError &) {
  }
  return 0;
}
