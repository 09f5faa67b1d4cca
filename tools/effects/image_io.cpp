#include "image_io.h"

#include <cstring>

namespace effects_tool {

// Qt's BGR888 keeps blue, green, red in memory order, as gfx::Bitmap does,
// so rows copy across unchanged.
gfx::Bitmap bitmapFromImage(const QImage &image) {
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  gfx::Bitmap bitmap(bgr.width(), bgr.height());
  const size_t bytes = size_t(bgr.width()) * 3;
  for (int y = 0; y < bgr.height(); ++y) std::memcpy(bitmap.row(y), bgr.constScanLine(y), bytes);
  return bitmap;
}

QImage imageFromBitmap(const gfx::Bitmap &bitmap) {
  QImage image(bitmap.width(), bitmap.height(), QImage::Format_BGR888);
  const size_t bytes = size_t(bitmap.width()) * 3;
  for (int y = 0; y < bitmap.height(); ++y) std::memcpy(image.scanLine(y), bitmap.row(y), bytes);
  return image;
}

std::optional<gfx::Bitmap> loadPicture(const QString &path) {
  QImage image;
  if (!image.load(path) || image.isNull()) return std::nullopt;
  return bitmapFromImage(image);
}

bool savePicture(const gfx::Bitmap &bitmap, const QString &path) {
  return imageFromBitmap(bitmap).save(path);
}

}  // namespace effects_tool
