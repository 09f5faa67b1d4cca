#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "commands.h"
#include "image_io.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"

namespace effects_tool {

namespace {

constexpr int kLabelHeight = 18;
constexpr int kGap = 4;

QString labelFor(int style) {
  const transitions::Effect *e = transitions::effectFor(style);
  QString text = QString::number(style) + "  " + QString::fromUtf8(e->name.data(), e->name.size());
  if (!e->proc) text += " (no routine)";
  return text;
}

void drawCell(QPainter &painter, const QRect &cell, const QImage &frame, const QString &label) {
  painter.drawImage(cell.topLeft(), frame);
  const QRect labelBox(cell.left(), cell.top() + frame.height(), cell.width(), kLabelHeight);
  painter.setPen(Qt::black);
  painter.drawText(labelBox.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   painter.fontMetrics().elidedText(label, Qt::ElideRight, labelBox.width() - 4));
}

}  // namespace

int writeSheet(const QString &oldPath, const QString &newPath, const QString &outPath,
               const SheetOptions &o) {
  const auto oldPicture = loadPicture(oldPath), newPicture = loadPicture(newPath);
  if (!oldPicture || !newPicture || oldPicture->size() != newPicture->size()) {
    std::fprintf(stderr, "vantor-effects: two readable pictures of the same size are needed\n");
    return 1;
  }
  const int count = o.lastStyle - o.firstStyle + 1;
  const int rows = (count + o.columns - 1) / o.columns;
  const int cellW = newPicture->width() + kGap, cellH = newPicture->height() + kLabelHeight + kGap;
  QImage sheet(o.columns * cellW + kGap, rows * cellH + kGap, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  gfx::Bitmap screen(newPicture->width(), newPicture->height());
  vantor::RandomSource random;
  for (int i = 0; i < count; ++i) {
    const int style = o.firstStyle + i;
    transitions::drawFrame(screen, *oldPicture, *newPicture, style, o.step, o.progress, random);
    const QRect cell(kGap + (i % o.columns) * cellW, kGap + (i / o.columns) * cellH, cellW - kGap,
                     cellH - kGap);
    drawCell(painter, cell, imageFromBitmap(screen), labelFor(style));
  }
  painter.end();
  if (!sheet.save(outPath)) {
    std::fprintf(stderr, "vantor-effects: cannot write %s\n", qPrintable(outPath));
    return 1;
  }
  return 0;
}

}  // namespace effects_tool
