#pragma once
// Qt's painting over our bitmaps without copying: the view is a QImage of
// Format_BGR888 whose pixels are the bitmap's own memory, so text and shapes
// painted on it land in the bitmap. The view is valid while the bitmap lives
// and is not resized; the bitmap must not be empty for a useful view.

#include <QImage>

#include "gfx/bitmap.h"

namespace gfx {

// A writable view; a null QImage for an empty bitmap.
QImage qimageView(Bitmap &bitmap);
// A read-only view (Qt copies on the first write to it).
QImage qimageView(const Bitmap &bitmap);

// Copies any image into a new bitmap of its size; a null image gives an empty
// bitmap. Alpha is dropped after Qt's own conversion to 24 bits.
Bitmap bitmapFromQImage(const QImage &image);

}  // namespace gfx
