#include "mirrors/multiscreen_form.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include "gfx/black_window.h"
#include "platform/debug_log.h"

namespace vantor {

namespace {

// The mirrors' source, and a count of the paints of the source window and
// its children, so that a mirror copies only when what the source shows may
// have changed: between transitions the picture stands still for seconds.
struct MirrorState : QObject {
  QPointer<QWidget> source;
  bool imageSameMonitor = true;
  std::vector<TMultiScreenForm *> mirrors;
  uint64_t paints = 1;

  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && source && watched->isWidgetType()) {
      auto *widget = static_cast<QWidget *>(watched);
      if (widget == source || source->isAncestorOf(widget)) ++paints;
    }
    return false;
  }
};

MirrorState &state() {
  static MirrorState s;
  return s;
}

}  // namespace

TMultiScreenForm::TMultiScreenForm()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setPalette(gfx::blackWindow(palette()));
  timer1_.setInterval(kCopyIntervalMs);
  connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
  timer1_.start();
}

namespace {

// What the source window shows: its backing store, where Qt composes the
// window before sending it to the screen. Reading the screen back from the X
// server instead costs a round trip of the whole window, which at 4K starved
// the show's own frames; it stays for a platform whose backing store is no
// image.
void copySourceInto(QImage &shown, QWidget &source) {
  QPainter painter(&shown);
  QBackingStore *store = source.backingStore();
  QPaintDevice *device = store ? store->paintDevice() : nullptr;
  if (device && device->devType() == QInternal::Image) {
    // Drawn at once: holding a reference would make the next paint of the
    // source copy its whole backing store.
    painter.drawImage(shown.rect(), *static_cast<const QImage *>(device));
    return;
  }
  if (QScreen *screen = source.screen())
    painter.drawImage(shown.rect(), screen->grabWindow(source.winId()).toImage());
}

}  // namespace

void TMultiScreenForm::Timer1Timer() {
  try {
    MirrorState &s = state();
    if (!s.imageSameMonitor || !s.source || !s.source->isVisible()) return;
    const bool sameSize = shown_.size() == size();
    if (sameSize && copiedPaints_ == s.paints) return;
    copiedPaints_ = s.paints;
    if (!sameSize) {
      shown_ = QImage(size(), QImage::Format_RGB32);
      shown_.fill(Qt::black);
    }
    // Stretched over the whole mirror, distorted when the shapes differ.
    copySourceInto(shown_, *s.source);
    update();
  } catch (...) {
    // A missed copy is made up 25 ms later.
    debugLogOnce("mirror copy", "mirror copy missed: " + currentExceptionText());
  }
}

void TMultiScreenForm::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (shown_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, shown_);
}

void SetMirrorSource(QWidget *source, bool imageSameMonitor) {
  state().source = source;
  state().imageSameMonitor = imageSameMonitor;
}

void CreateMirrors() {
  MirrorState &s = state();
  const QList<QScreen *> screens = QGuiApplication::screens();
  if (screens.isEmpty() || !s.mirrors.empty()) return;
  if (screens.size() > 1) qApp->installEventFilter(&s);
  for (qsizetype m = 1; m < screens.size(); ++m) {
    auto *form = new TMultiScreenForm;
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->show();
    form->setGeometry(screens[m]->geometry());
    form->raise();
    s.mirrors.push_back(form);
  }
}

void FreeMirrors() {
  MirrorState &s = state();
  // The show often ends inside the delivery of a key or click over a mirror,
  // and Qt goes on using the receiver after the filters have run: the
  // mirrors go off the screen now and are deleted once that delivery is over.
  for (TMultiScreenForm *form : s.mirrors) {
    try {
      form->Timer1().stop();
      form->hide();
      form->deleteLater();
    } catch (...) {
      debugLog("closing a mirror: " + currentExceptionText());
    }
  }
  s.mirrors.clear();
  if (qApp) qApp->removeEventFilter(&s);
}

const std::vector<TMultiScreenForm *> &Mirrors() {
  return state().mirrors;
}

}  // namespace vantor
