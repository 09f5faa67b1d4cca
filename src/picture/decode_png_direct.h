#pragma once
// PNG's most common kind, read without libpng; see decode_png_direct.cpp.

#include <optional>

#include "picture/decode.h"

namespace vantor {

// Decodes an 8-bit RGB or RGBA PNG without interlacing or a colour key,
// starting at the source's first byte. Answers nothing, having decoded no
// pixel, for every other file (another kind, a damaged header, an unusual
// chunk before the image data): libpng then reads it from the start.
// Throws DecodeError (or Cancelled) once the image data is found damaged.
// With a target size it keeps only the rows and columns that RowFit samples.
std::optional<Decoded> decodePngDirect(PictureSource &source, const DecodeOptions &options);

}  // namespace vantor
