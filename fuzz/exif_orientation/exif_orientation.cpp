// Any bytes given as an EXIF block give an orientation from 1 to 8, and
// turning a small bitmap by it keeps or exchanges its sides.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "picture/exif_orientation.h"
#include "gfx/orient.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const int orientation = vantor::exifOrientation({data, size});
  if (orientation < 1 || orientation > 8) std::abort();
  const gfx::Bitmap turned = gfx::oriented(gfx::Bitmap(3, 2), orientation);
  if (turned.size() != gfx::orientedSize({3, 2}, orientation)) std::abort();
  return 0;
}
