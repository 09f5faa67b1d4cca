#include "display/vantorscreen_widget.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "gfx/qimage_view.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vantor {

namespace {

// Rows of the back buffer converted and drawn at a time: the band stays in
// the cache between the two.
constexpr int kBandRows = 32;

// 3-byte pixels (blue, green, red) to the window system's 4-byte ones. Qt
// draws 3-byte images through a general per-pixel path several times slower
// than this conversion and a plain copy of its result together.
void toRgb32Scalar(uint8_t *d, const uint8_t *s, int first, int count) {
  for (int i = first; i < count; ++i) {
    d[4 * i] = s[3 * i];
    d[4 * i + 1] = s[3 * i + 1];
    d[4 * i + 2] = s[3 * i + 2];
    d[4 * i + 3] = 0xFF;
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a step; the 16-byte load reads 4 bytes past them, which stays
// inside the row as long as two more pixels follow.
__attribute__((target("ssse3"))) void toRgb32Shuffle(uint8_t *d, const uint8_t *s, int count) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  int i = 0;
  for (; i + 6 <= count; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + 4 * i),
                     _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
  }
  toRgb32Scalar(d, s, i, count);
}
const bool kHasShuffle = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
#else
void toRgb32Shuffle(uint8_t *d, const uint8_t *s, int count) {
  toRgb32Scalar(d, s, 0, count);
}
const bool kHasShuffle = false;
#endif

void toRgb32(uint8_t *d, const uint8_t *s, int count) {
  if (kHasShuffle)
    toRgb32Shuffle(d, s, count);
  else
    toRgb32Scalar(d, s, 0, count);
}

}  // namespace

VantorscreenWidget::VantorscreenWidget(QWidget *parent) : QWidget(parent), control_(this) {
  // Opaque: the back buffer covers every pixel, so nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  control_.Loader().captionText = &captionText_;
  SyncBounds();
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

void VantorscreenWidget::SyncBounds() {
  const QRect g = geometry();
  control_.SetBounds(gfx::Rect::fromXYWH(g.x(), g.y(), g.width(), g.height()));
}

void VantorscreenWidget::resizeEvent(QResizeEvent *) {
  SyncBounds();
}
void VantorscreenWidget::moveEvent(QMoveEvent *) {
  SyncBounds();
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
  if (!control_.TransparentMode) {
    const QRect bounds(0, 0, buffer.width(), buffer.height());
    if (band_.width() < buffer.width())
      band_ = QImage(buffer.width(), kBandRows, QImage::Format_RGB32);
    for (const QRect &region : event->region()) {
      const QRect r = region.intersected(bounds);
      for (int top = r.top(); top <= r.bottom(); top += kBandRows) {
        const int rows = std::min(kBandRows, r.bottom() + 1 - top);
        for (int j = 0; j < rows; ++j)
          toRgb32(band_.scanLine(j), buffer.row(top + j) + size_t(r.left()) * 3, r.width());
        painter.drawImage(QPoint(r.left(), top), band_, QRect(0, 0, r.width(), rows));
      }
    }
    return;
  }
  const QImage view = gfx::qimageView(buffer);
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
