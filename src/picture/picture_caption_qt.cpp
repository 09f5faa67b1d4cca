#include "picture/picture_caption_qt.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdlib>

namespace vantor {

namespace {

// Point sizes are turned into pixels at 96 dots per inch, as on the
// platform the settings were written for, whatever the screen reports.
QFont toQFont(const CaptionFont &f) {
  QFont q(QString::fromStdString(f.name));
  q.setPixelSize(std::max(1, gfx::MulDiv(std::abs(f.size), 96, 72)));
  q.setBold(f.bold);
  q.setItalic(f.italic);
  q.setUnderline(f.underline);
  q.setStrikeOut(f.strikeOut);
  return q;
}

}  // namespace

gfx::Size QtCaptionText::measure(const std::string &text, const CaptionFont &font) {
  const QFontMetrics m(toQFont(font));
  return {m.horizontalAdvance(QString::fromStdString(text)), m.height()};
}

void QtCaptionText::draw(gfx::Bitmap &target, gfx::Point at, const std::string &text,
                         const CaptionFont &font) {
  if (target.empty()) return;
  // A view on the bitmap's own rows: the text lands in place.
  QImage view(target.data(), target.width(), target.height(), qsizetype(target.stride()),
              QImage::Format_BGR888);
  QPainter painter(&view);
  const QFont qfont = toQFont(font);
  painter.setFont(qfont);
  painter.setPen(QColor(gfx::redOf(font.color), gfx::greenOf(font.color), gfx::blueOf(font.color)));
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.drawText(at.x, at.y + QFontMetrics(qfont).ascent(), QString::fromStdString(text));
}

}  // namespace vantor
