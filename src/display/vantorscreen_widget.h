#pragma once
// The display control on a Qt window: a child widget without a native window
// that presents the control's back buffer and runs the animation thread's
// calls on the GUI thread.

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "display/vantorscreen.h"
#include "picture/picture_caption_qt.h"

namespace vantor {

class VantorscreenWidget : public QWidget, public ControlHost {
 public:
  explicit VantorscreenWidget(QWidget *parent);
  ~VantorscreenWidget() override;

  TVantorscreen &control() { return control_; }
  // Transparent mode: pixels of `key` show the parent window beneath.
  void SetTransparency(bool on, gfx::Color key);
  // Gives the control this widget's geometry. Resizing and moving call it;
  // a hidden widget receives those events only when it is shown, so whoever
  // places it while hidden calls it too.
  void SyncBounds();

  // ControlHost
  void invalidate(gfx::Rect parentRect) override;
  void repaintNow() override;
  void processEvents() override;
  void wakeMainThread() override;
  bool onMainThread() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void moveEvent(QMoveEvent *event) override;

 private:
  QtCaptionText captionText_;  // captions are drawn with Qt's text
  TVantorscreen control_;
  QRegion pending_;  // invalidated, not yet painted
  QImage band_;      // rows of the back buffer in the window system's format
};

}  // namespace vantor
