// Windows bitmaps, icons and portable pixmaps through Qt's image readers,
// which need no display. Qt reports failures by return values.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "Vantorscreen/decode.h"

namespace vantor {

namespace {

void copyPixels(const QImage &argb, gfx::Bitmap &bmp, const DecodeOptions &options) {
  const auto bg = bgrOf(options.background);
  for (int y = 0; y < bmp.height(); ++y) {
    const auto *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
    uint8_t *out = bmp.row(y);
    for (int x = 0; x < bmp.width(); ++x, out += 3) {
      const QRgb p = in[x];
      const uint8_t c[3] = {uint8_t(qBlue(p)), uint8_t(qGreen(p)), uint8_t(qRed(p))};
      const uint8_t a = uint8_t(qAlpha(p));
      for (int k = 0; k < 3; ++k) out[k] = options.flatten ? blendOver(c[k], a, bg[k]) : c[k];
    }
  }
}

}  // namespace

Decoded decodeWithQt(std::span<const uint8_t> data, const std::string &format,
                     const DecodeOptions &options) {
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, QByteArray::fromStdString(format));
  reader.setAutoDetectImageFormat(false);
  reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
  const QSize announced = reader.size();
  if (announced.isValid()) checkPictureSize(announced.width(), announced.height());
  QImage image = reader.read();
  if (image.isNull())
    throw DecodeError("cannot read " + format + ": " + reader.errorString().toStdString());
  checkPictureSize(image.width(), image.height());
  if (image.format() != QImage::Format_ARGB32) image.convertTo(QImage::Format_ARGB32);
  if (image.isNull()) throw DecodeError("cannot convert " + format);
  Decoded result;
  result.fullSize = {image.width(), image.height()};
  result.bitmap = gfx::Bitmap(image.width(), image.height());
  copyPixels(image, result.bitmap, options);
  return result;
}

}  // namespace vantor
