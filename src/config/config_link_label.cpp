#include "config/config_link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace vantor {

void ConfigLinkLabel::makeLink(const QColor &color) {
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  QPalette p = palette();
  p.setColor(QPalette::WindowText, color);
  setPalette(p);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

void ConfigLinkLabel::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
      onClick) {
    onClick();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void ConfigLinkLabel::keyPressEvent(QKeyEvent *event) {
  const int key = event->key();
  if (onClick && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    onClick();
    return;
  }
  QLabel::keyPressEvent(event);
}

void ConfigLinkLabel::paintEvent(QPaintEvent *event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect();
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace vantor
