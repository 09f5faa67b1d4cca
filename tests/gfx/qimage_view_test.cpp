#include <gtest/gtest.h>

#include <QPainter>

#include "gfx/qimage_view.h"

namespace gfx {
namespace {

TEST(QImageViewTest, PaintingOnTheViewChangesTheBitmap) {
  Bitmap b(5, 3, makeColor(0, 0, 0));
  QImage view = qimageView(b);
  ASSERT_EQ(view.format(), QImage::Format_BGR888);
  EXPECT_EQ(view.constBits(), b.data());
  {
    QPainter p(&view);
    p.fillRect(QRect(1, 1, 2, 1), QColor(0x11, 0x22, 0x33));
  }
  EXPECT_EQ(b.pixel(1, 1), makeColor(0x11, 0x22, 0x33));
  EXPECT_EQ(b.pixel(2, 1), makeColor(0x11, 0x22, 0x33));
  EXPECT_EQ(b.pixel(3, 1), 0u);
  EXPECT_EQ(b.pixel(1, 0), 0u);
}

TEST(QImageViewTest, ViewReadsTheBitmapsColours) {
  Bitmap b(3, 2);
  b.setPixel(2, 1, makeColor(0xAB, 0xCD, 0xEF));
  const Bitmap &cb = b;
  const QImage view = qimageView(cb);
  EXPECT_EQ(view.pixelColor(2, 1), QColor(0xAB, 0xCD, 0xEF));
  EXPECT_EQ(view.bytesPerLine(), qsizetype(b.stride()));
}

TEST(QImageViewTest, EmptyBitmapGivesANullImage) {
  Bitmap b;
  EXPECT_TRUE(qimageView(b).isNull());
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
}

TEST(QImageViewTest, IndexedImageConvertsThroughItsPalette) {
  QImage img(2, 1, QImage::Format_Indexed8);
  img.setColorTable({qRgb(9, 8, 7), qRgb(100, 0, 200)});
  img.setPixel(0, 0, 1);
  img.setPixel(1, 0, 0);
  const Bitmap b = bitmapFromQImage(img);
  EXPECT_EQ(b.pixel(0, 0), makeColor(100, 0, 200));
  EXPECT_EQ(b.pixel(1, 0), makeColor(9, 8, 7));
}

}  // namespace
}  // namespace gfx
