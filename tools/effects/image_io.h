#pragma once
// Pictures for the effects tool, read and written through Qt's image codecs.

#include <QImage>
#include <QString>
#include <optional>

#include "gfx/bitmap.h"

namespace effects_tool {

gfx::Bitmap bitmapFromImage(const QImage &image);
// A deep copy, so the image outlives the bitmap.
QImage imageFromBitmap(const gfx::Bitmap &bitmap);

// The picture at `path` as it is (no fitting); none if it cannot be read.
std::optional<gfx::Bitmap> loadPicture(const QString &path);
bool savePicture(const gfx::Bitmap &bitmap, const QString &path);

}  // namespace effects_tool
