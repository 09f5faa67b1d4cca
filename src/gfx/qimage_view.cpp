#include "gfx/qimage_view.h"

#include <cstring>

namespace gfx {

QImage qimageView(Bitmap &bitmap) {
  if (bitmap.empty()) return {};
  return QImage(bitmap.data(), bitmap.width(), bitmap.height(), qsizetype(bitmap.stride()),
                QImage::Format_BGR888);
}

QImage qimageView(const Bitmap &bitmap) {
  if (bitmap.empty()) return {};
  return QImage(bitmap.data(), bitmap.width(), bitmap.height(), qsizetype(bitmap.stride()),
                QImage::Format_BGR888);
}

Bitmap bitmapFromQImage(const QImage &image) {
  if (image.isNull()) return {};
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  Bitmap out(bgr.width(), bgr.height());
  const size_t bytes = size_t(out.width()) * 3;
  for (int y = 0; y < out.height(); ++y) std::memcpy(out.row(y), bgr.constScanLine(y), bytes);
  return out;
}

}  // namespace gfx
