#include "preview/still_preview_form.h"

#include <QPainter>
#include <QShowEvent>

#include "gfx/qimage_view.h"
#include "picture/decode.h"
#include "picture/picture_loader.h"
#include "platform/debug_log.h"
#include "preview/preview_form.h"

namespace vantor {

TImage::TImage(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TImage::LoadFromFile(const std::string &fileName) {
  gfx::Bitmap loaded;
  try {
    if (!LoadGraphicFile(loaded, fileName, 0).loaded) return false;
  } catch (const std::exception &e) {
    debugLogOnce(fileName, "skipped still picture " + fileName + ": " + e.what());
    return false;
  }
  picture_ = std::move(loaded);
  Fit();
  update();
  return !picture_.empty();
}

void TImage::Fit() {
  shown_ = gfx::Bitmap(std::max(width(), 0), std::max(height(), 0));
  MirrorStretch(shown_, picture_);
}

void TImage::resizeEvent(QResizeEvent *) {
  Fit();
}

void TImage::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (picture_.empty() || shown_.empty()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.drawImage(0, 0, gfx::qimageView(shown_));
}

TCommercePreviewForm::TCommercePreviewForm(StillPreviewContext context)
    : QWidget(nullptr), context_(std::move(context)), image1_(new TImage(this)) {
  const gfx::Rect r = kImageBounds;
  image1_->setGeometry(r.left, r.top, r.width(), r.height());
  showable_ =
      SetUpPreviewForm(this, context_.title, context_.parentWindow, kDesignSize, parentWatch_);
  // The placement puts the control's corner on the host's; host windows on
  // Linux come in any size, and the picture fills the whole of it.
  if (const std::optional<gfx::Size> host = ForeignParent(context_.parentWindow).Size())
    image1_->setGeometry(r.left, r.top, host->width, host->height);
}

void TCommercePreviewForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && !shown_) FormShow();
}

void TCommercePreviewForm::FormShow() {
  shown_ = true;
  // A picture that cannot be loaded leaves the miniature black.
  image1_->LoadFromFile(context_.imagePath);
}

}  // namespace vantor
