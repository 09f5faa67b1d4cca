#pragma once
// Decoders for the newer photo formats. They read the whole file as one span
// of bytes, which the loader maps rather than copies; like the others, each
// library's error handling stays inside its own decode_*.cpp and callers see
// only DecodeError.

#include <cstdint>
#include <span>
#include <string>

#include "picture/decode.h"
#include "picture/picture_loader.h"

namespace vantor {

// WebP, lossy or lossless; an animation shows its first frame. Decoded
// straight at the size options.targetSize answers, when it answers one.
Decoded decodeWebp(std::span<const uint8_t> data, const DecodeOptions &options);
// HEIC and AVIF: the primary image, turned and mirrored as the file's own
// transformations say.
Decoded decodeHeif(std::span<const uint8_t> data, const DecodeOptions &options);
// JPEG XL: the first frame, turned as its orientation says.
Decoded decodeJxl(std::span<const uint8_t> data, const DecodeOptions &options);

// The formats above, which LoadGraphicFile hands to decodeMappedFile.
bool isMappedFormat(PictureFormat format);

// Decodes `fileName` with the decoder for `format` (one of the formats
// above) through a read-only mapping of the file: pages are read as the
// decoder reaches them and no copy of the file is made.
Decoded decodeMappedFile(PictureFormat format, const std::string &fileName,
                         const DecodeOptions &options);

}  // namespace vantor
