#include <gtest/gtest.h>

#include <QPainter>

#include "gfx/qimage_view.h"

namespace gfx {
namespace {

// The view shares the bitmap's memory both ways, row padding included.
TEST(QImageViewTest, TheViewAndTheBitmapShareTheirPixels) {
  Bitmap b(5, 3, makeColor(0, 0, 0));
  b.setPixel(4, 2, makeColor(0xAB, 0xCD, 0xEF));
  QImage view = qimageView(b);
  ASSERT_EQ(view.format(), QImage::Format_BGR888);
  EXPECT_EQ(view.constBits(), b.data());
  EXPECT_EQ(view.bytesPerLine(), qsizetype(b.stride()));
  EXPECT_EQ(qimageView(std::as_const(b)).pixelColor(4, 2), QColor(0xAB, 0xCD, 0xEF));
  {
    QPainter p(&view);
    p.fillRect(QRect(1, 1, 2, 1), QColor(0x11, 0x22, 0x33));
  }
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(b.pixel(x, y), (y == 1 && (x == 1 || x == 2)) ? makeColor(0x11, 0x22, 0x33) : 0u)
          << x << "," << y;
  Bitmap none;
  EXPECT_TRUE(qimageView(none).isNull());
}

TEST(QImageViewTest, AnyImageConvertsIntoABitmap) {
  QImage img(4, 2, QImage::Format_ARGB32);
  img.fill(QColor(1, 2, 3));
  img.setPixelColor(3, 1, QColor(250, 128, 7));
  const Bitmap b = bitmapFromQImage(img);
  ASSERT_EQ(b.size(), (Size{4, 2}));
  EXPECT_EQ(b.pixel(0, 0), makeColor(1, 2, 3));
  EXPECT_EQ(b.pixel(3, 1), makeColor(250, 128, 7));
  EXPECT_TRUE(bitmapFromQImage(QImage()).empty());
  // An indexed image goes through its palette.
  QImage indexed(2, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(9, 8, 7), qRgb(100, 0, 200)});
  indexed.setPixel(0, 0, 1);
  indexed.setPixel(1, 0, 0);
  const Bitmap c = bitmapFromQImage(indexed);
  EXPECT_EQ(c.pixel(0, 0), makeColor(100, 0, 200));
  EXPECT_EQ(c.pixel(1, 0), makeColor(9, 8, 7));
}

}  // namespace
}  // namespace gfx
