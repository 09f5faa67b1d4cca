#pragma once
// The orientation a camera recorded in a picture's EXIF block, read through
// libexif; libexif's own handling stays in exif_orientation.cpp.

#include <cstdint>
#include <span>

namespace vantor {

// The Orientation tag (1 to 8) of an EXIF block: a JPEG APP1 payload that
// starts "Exif\0\0", or the bare TIFF structure that WebP and HEIF files
// carry. 1 (as stored) when the block has no such tag, holds another value,
// or cannot be read: a damaged block never stops a picture from showing.
[[nodiscard]] int exifOrientation(std::span<const uint8_t> exif);

}  // namespace vantor
