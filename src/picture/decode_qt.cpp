// Windows bitmaps, icons and portable pixmaps through Qt's image readers,
// which need no display. Qt reports failures by return values.

#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <algorithm>

#include "picture/decode.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

// The picture's bytes as a device for Qt's readers. A read fails once the
// job is cancelled; the readers read a row or a block at a time.
class SourceDevice : public QIODevice {
 public:
  explicit SourceDevice(PictureSource &source) : source_(source) {}
  bool isSequential() const override { return false; }
  qint64 size() const override { return qint64(source_.size()); }

 protected:
  qint64 readData(char *out, qint64 n) override {
    if (CancelRequested()) return -1;
    source_.seek(uint64_t(pos()));
    return qint64(source_.read(out, size_t(std::max<qint64>(n, 0))));
  }
  qint64 writeData(const char *, qint64) override { return -1; }

 private:
  PictureSource &source_;
};

// Rows are converted a band at a time, so that no second whole image of 32
// bits a pixel is held besides the one read.
constexpr int kBandRows = 64;

void copyPixels(const QImage &image, gfx::Bitmap &bmp, const DecodeOptions &options) {
  const auto bg = bgrOf(options.background);
  for (int top = 0; top < bmp.height(); top += kBandRows) {
    ThrowIfCancelled();
    const int rows = std::min(kBandRows, bmp.height() - top);
    const QImage band =
        image.copy(0, top, bmp.width(), rows).convertToFormat(QImage::Format_ARGB32);
    if (band.isNull()) throw DecodeError("cannot convert the picture");
    for (int y = 0; y < rows; ++y) {
      const auto *in = reinterpret_cast<const QRgb *>(band.constScanLine(y));
      uint8_t *out = bmp.row(top + y);
      for (int x = 0; x < bmp.width(); ++x, out += 3) {
        const QRgb p = in[x];
        const uint8_t c[3] = {uint8_t(qBlue(p)), uint8_t(qGreen(p)), uint8_t(qRed(p))};
        const uint8_t a = uint8_t(qAlpha(p));
        for (int k = 0; k < 3; ++k) out[k] = options.flatten ? blendOver(c[k], a, bg[k]) : c[k];
      }
    }
  }
}

// Bytes of an image of `size` in `format`, or 4 a pixel when the format is
// not known yet.
int64_t imageBytes(QSize size, QImage::Format format) {
  const int bits =
      format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
  return (int64_t(size.width()) * bits + 31) / 32 * 4 * size.height();
}

}  // namespace

Decoded decodeWithQt(PictureSource &source, const std::string &format,
                     const DecodeOptions &options) {
  SourceDevice device(source);
  device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  QImageReader reader(&device, QByteArray::fromStdString(format));
  reader.setAutoDetectImageFormat(false);
  reader.setAllocationLimit(int(kMaxDecodeBytes >> 20));
  // The image Qt reads and the bitmap made from it are held together.
  const QSize announced = reader.size();
  if (announced.isValid())
    checkPictureSize(announced.width(), announced.height(), 3,
                     imageBytes(announced, reader.imageFormat()));
  QImage image = reader.read();
  if (image.isNull())
    decodeFailed("cannot read " + format + ": " + reader.errorString().toStdString());
  checkPictureSize(image.width(), image.height(), 3, image.sizeInBytes());
  Decoded result;
  result.fullSize = {image.width(), image.height()};
  result.bitmap = gfx::Bitmap(image.width(), image.height());
  copyPixels(image, result.bitmap, options);
  return result;
}

}  // namespace vantor
