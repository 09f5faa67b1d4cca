#include "Vantorscreen/vantorscreen_widget.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <vector>

#include "gfx/qimage_view.h"

namespace vantor {

VantorscreenWidget::VantorscreenWidget(QWidget *parent) : QWidget(parent), control_(this) {
  // Opaque: the back buffer covers every pixel, so nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  control_.Loader().captionText = &captionText_;
  syncBounds();
}

VantorscreenWidget::~VantorscreenWidget() {
  // The animation thread's last calls must not reach this widget once its
  // members are gone, nor post to it while it is being torn down.
  control_.Shutdown();
}

void VantorscreenWidget::SetTransparency(bool on, gfx::Color key) {
  control_.TransparentMode = on;
  control_.TransparentColor = key;
  // Keyed pixels are not drawn, so the parent must paint beneath them first;
  // an opaque widget would leave whatever was there before.
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
  update();
}

void VantorscreenWidget::syncBounds() {
  const QRect g = geometry();
  control_.SetBounds(gfx::Rect::fromXYWH(g.x(), g.y(), g.width(), g.height()));
}

void VantorscreenWidget::resizeEvent(QResizeEvent *) {
  syncBounds();
}
void VantorscreenWidget::moveEvent(QMoveEvent *) {
  syncBounds();
}

void VantorscreenWidget::invalidate(gfx::Rect r) {
  // The control speaks in parent coordinates; this widget is the control.
  QRect own(r.left - x(), r.top - y(), r.width(), r.height());
  own = own.intersected(rect());
  if (own.isEmpty()) return;
  pending_ += own;
  update(own);
}

void VantorscreenWidget::repaintNow() {
  if (pending_.isEmpty()) return;
  repaint(pending_);
}

void VantorscreenWidget::processEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void VantorscreenWidget::wakeMainThread() {
  QMetaObject::invokeMethod(
      this, [this] { control_.runPendingCall(); }, Qt::QueuedConnection);
}

bool VantorscreenWidget::onMainThread() const {
  return QThread::currentThread() == thread();
}

void VantorscreenWidget::paintEvent(QPaintEvent *event) {
  if (control_.Painting()) return;
  // Only the region of the event is composed and drawn: during a transition
  // that is the part of the picture the frame changed.
  const QRect area = event->region().boundingRect().intersected(rect());
  std::vector<gfx::Rect> parts;
  if (control_.TransparentMode) {
    parts.push_back(gfx::Rect::fromXYWH(area.x(), area.y(), area.width(), area.height()));
  } else {
    for (const QRect &r : event->region())
      parts.push_back(gfx::Rect::fromXYWH(r.x(), r.y(), r.width(), r.height()));
  }
  control_.HandlePaint(parts);
  pending_ -= event->region();
  const gfx::Bitmap &buffer = control_.BackBuffer();
  if (buffer.empty()) return;
  QPainter painter(this);
  const QImage view = gfx::qimageView(buffer);
  if (!control_.TransparentMode) {
    for (const QRect &r : event->region()) painter.drawImage(r, view, r);
    return;
  }
  // Pixels of the transparent colour are not drawn; the parent shows there.
  QImage keyed = view.copy(area).convertToFormat(QImage::Format_ARGB32);
  const gfx::Color key = control_.TransparentColor;
  const QRgb keyRgb = qRgb(gfx::redOf(key), gfx::greenOf(key), gfx::blueOf(key));
  for (int y = 0; y < keyed.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (keyRgb & 0xFFFFFF)) line[x] = 0;
  }
  painter.drawImage(area.topLeft(), keyed);
}

}  // namespace vantor
